#include "FuzzEntryPoints.h"

#include <QCoreApplication>

#include <cstdlib>

static void Quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    qInstallMessageHandler(Quiet);
    if (!FuzzCsvReader(data, size))
        std::abort();
    return 0;
}
