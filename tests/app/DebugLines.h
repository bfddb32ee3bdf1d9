#ifndef DEBUGLINES_H
#define DEBUGLINES_H

#include <QStringList>
#include <QtGlobal>

// Collects every debug line, whole, while it exists; other messages go on as before.
class DebugLines
{
public:
    DebugLines();
    ~DebugLines();

    QStringList Lines() const;
    bool Contains(const QString &line) const;
    // The lines from the first one equal to `first` on (empty when absent).
    QStringList From(const QString &first) const;

private:
    static void Handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler previous;
};

#endif
