#ifndef FUZZTARGET_H
#define FUZZTARGET_H

#include "FuzzEntryPoints.h"

#include <QCoreApplication>

#include <cstdlib>

// Runs one libFuzzer input through an entry point, quietly; an inconsistent
// result is a crash for the fuzzer to report.
inline int RunFuzzInput(bool (*entryPoint)(const uint8_t *, size_t), const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (!entryPoint(data, size))
        std::abort();
    return 0;
}

#endif
