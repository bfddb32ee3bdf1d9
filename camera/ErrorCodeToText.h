#ifndef ERRORCODETOTEXT_H
#define ERRORCODETOTEXT_H

#include <QString>

#include <cstdint>

namespace CVN {
namespace ZvkAPI {
enum ZvkErrorType : int32_t;
}
}

// The camera SDK's error code as a parenthesised text for the debug log.
QString ErrorCodeToText(CVN::ZvkAPI::ZvkErrorType code);

#endif
