#include "DebugLines.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

// Lines may come from the camera stand-in's thread too.
QMutex mutex;
QStringList collected;
QtMessageHandler forward = nullptr;

} // namespace

DebugLines::DebugLines()
{
    QMutexLocker locker(&mutex);
    collected.clear();
    previous = qInstallMessageHandler(Handler);
    forward = previous;
}

DebugLines::~DebugLines()
{
    qInstallMessageHandler(previous);
}

QStringList DebugLines::Lines() const
{
    QMutexLocker locker(&mutex);
    return collected;
}

bool DebugLines::Contains(const QString &line) const
{
    return Lines().contains(line);
}

QStringList DebugLines::From(const QString &first) const
{
    const QStringList lines = Lines();
    const int index = lines.indexOf(first);
    return index < 0 ? QStringList() : lines.mid(index);
}

void DebugLines::Handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtDebugMsg) {
        if (forward)
            forward(type, context, message);
        return;
    }
    QMutexLocker locker(&mutex);
    collected.append(message);
}
