#include "CommandLine.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvern-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TALVERN_VERSION));
    CommandLine commandLine;
    return commandLine.Run(QCoreApplication::arguments());
}
