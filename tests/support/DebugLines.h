#ifndef DEBUGLINES_H
#define DEBUGLINES_H

#include <QMutex>
#include <QStringList>

#include <functional>

// Collects every debug line, whole, while it exists, and hands each to `watch` as it comes;
// other messages go on as before. Lines may come from the camera stand-in's thread too.
class DebugLines
{
public:
    explicit DebugLines(std::function<void(const QString &)> watch = nullptr)
    {
        Clear();
        watcher = watch;
        previous = qInstallMessageHandler(Handler);
    }
    ~DebugLines() { qInstallMessageHandler(previous); }

    QStringList Lines() const
    {
        QMutexLocker locker(&mutex);
        return collected;
    }
    void Clear()
    {
        QMutexLocker locker(&mutex);
        collected.clear();
    }

private:
    static void Handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type != QtDebugMsg)
            return previous ? previous(type, context, message) : void();
        if (watcher)
            watcher(message);
        QMutexLocker locker(&mutex);
        collected.append(message);
    }

    static inline QMutex mutex;
    static inline QStringList collected;
    static inline std::function<void(const QString &)> watcher;
    static inline QtMessageHandler previous = nullptr;
};

#endif
