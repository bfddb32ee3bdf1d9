#ifndef MESSAGELOG_H
#define MESSAGELOG_H

#include <QStringList>
#include <QtGlobal>

// Collects every debug line while it lives (other messages pass through), so tests compare whole lines.
class MessageLog
{
public:
    MessageLog()
    {
        Lines().clear();
        Previous() = qInstallMessageHandler(&MessageLog::Collect);
    }
    ~MessageLog() { qInstallMessageHandler(Previous()); }
    MessageLog(const MessageLog &) = delete;
    MessageLog &operator=(const MessageLog &) = delete;

    static QStringList &Lines()
    {
        static QStringList lines;
        return lines;
    }
    bool Contains(const QString &line) const { return Lines().contains(line); }

private:
    static void Collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtDebugMsg)
            Lines().append(message);
        else if (Previous())
            Previous()(type, context, message);
    }
    static QtMessageHandler &Previous()
    {
        static QtMessageHandler previous = nullptr;
        return previous;
    }
};

#endif
