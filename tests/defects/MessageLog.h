#ifndef MESSAGELOG_H
#define MESSAGELOG_H

#include <QStringList>
#include <QtGlobal>

// Collects every debug line while it lives, so tests compare whole lines.
class MessageLog
{
public:
    MessageLog()
    {
        Lines().clear();
        previous = qInstallMessageHandler(&MessageLog::Collect);
    }
    ~MessageLog() { qInstallMessageHandler(previous); }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    static QStringList &Lines()
    {
        static QStringList lines;
        return lines;
    }
    void Clear() { Lines().clear(); }
    bool Contains(const QString &line) const { return Lines().contains(line); }

private:
    static void Collect(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        Lines().append(message);
    }
    QtMessageHandler previous = nullptr;
};

#endif
