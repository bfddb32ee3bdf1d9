#include "FuzzEntryPoints.h"

#include <QCoreApplication>

#include <cstdlib>

// One libFuzzer target per reader, FUZZ_ENTRY_POINT naming it, from the FuzzEntryPoints.h of the
// folder the target is built for. Each input
// runs quietly; an inconsistent result is a crash for the fuzzer to report.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (!FUZZ_ENTRY_POINT(data, size))
        std::abort();
    return 0;
}
