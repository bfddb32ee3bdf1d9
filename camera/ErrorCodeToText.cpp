#include "ErrorCodeToText.h"

#include <ZorvikCPP/ZvkCommonTypes.h>

#include <QHash>

using namespace CVN::ZvkAPI;

QString ErrorCodeToText(ZvkErrorType code)
{
    static const QHash<int, QString> texts = {
        {0, QStringLiteral("(No error)")},
        {-1, QStringLiteral("(Unexpected fault in Zorvik API or driver)")},
        {-2, QStringLiteral("(ZvkStartup() was not called before the current command)")},
        {-3, QStringLiteral("(The designated instance (camera, feature etc.) cannot be found)")},
        {-4, QStringLiteral("(The given handle is not valid)")},
        {-5, QStringLiteral("(Device was not opened for usage)")},
        {-6, QStringLiteral("(Operation is invalid with the current access mode)")},
        {-7, QStringLiteral("(One of the parameters was invalid (usually an illegal pointer))")},
        {-8, QStringLiteral("(The given struct size is not valid for this version of the API)")},
        {-9, QStringLiteral("(More data was returned in a string/list than space was provided)")},
        {-10, QStringLiteral("(The feature type for this access function was wrong)")},
        {-11, QStringLiteral("(The value was not valid; either out of bounds or not an increment of the minimum)")},
        {-12, QStringLiteral("(Timeout during wait)")},
        {-13, QStringLiteral("(Other error)")},
        {-14, QStringLiteral("(Resources not available (e.g memory))")},
        {-15, QStringLiteral("(Call is invalid in the current context (e.g callback))")},
        {-16, QStringLiteral("(No transport layers were found)")},
        {-17, QStringLiteral("(API feature is not implemented)")},
        {-18, QStringLiteral("(API feature is not supported)")},
        {-19, QStringLiteral("(A multiple register read or write was partially completed)")},
        {7000, QStringLiteral("<Viewer Timeout>")},
    };
    return texts.value(code, QStringLiteral("(Return code undefined)"));
}
