#include "LogCapture.h"

#include <QMutexLocker>

namespace {

QMutex mutex;
QStringList captured;
QtMessageHandler forward = nullptr;

} // namespace

LogCapture::LogCapture()
{
    Clear();
    previous = qInstallMessageHandler(Handler);
    forward = previous;
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::Lines() const
{
    QMutexLocker locker(&mutex);
    return captured;
}

QStringList LogCapture::Last(int count) const
{
    const QStringList lines = Lines();
    return lines.mid(lines.size() - count);
}

void LogCapture::Clear()
{
    QMutexLocker locker(&mutex);
    captured.clear();
}

QStringList LogCapture::From(const QString &first) const
{
    const QStringList lines = Lines();
    const int index = lines.indexOf(first);
    return index < 0 ? QStringList() : lines.mid(index);
}

void LogCapture::Handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg) {
        if (forward)
            forward(type, context, message);
        return;
    }
    QMutexLocker locker(&mutex);
    captured.append(message);
}
