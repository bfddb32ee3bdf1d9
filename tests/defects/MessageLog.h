#ifndef MESSAGELOG_H
#define MESSAGELOG_H

#include <QStringList>
#include <QtGlobal>

// Collects every debug line while it lives (other messages pass on), so tests compare whole lines.
class MessageLog
{
public:
    MessageLog()
    {
        Lines().clear();
        previous = qInstallMessageHandler(&Collect);
    }
    ~MessageLog() { qInstallMessageHandler(previous); }
    static QStringList &Lines()
    {
        static QStringList lines;
        return lines;
    }

private:
    static void Collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtDebugMsg)
            Lines().append(message);
        else if (previous)
            previous(type, context, message);
    }
    static inline QtMessageHandler previous = nullptr;
};

#endif
