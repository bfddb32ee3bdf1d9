#ifndef LOGCAPTURE_H
#define LOGCAPTURE_H

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects every debug line, whole, while it exists.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QStringList Lines() const;
    QStringList Last(int count) const;
    void Clear();
    bool Contains(const QString &line) const { return Lines().contains(line); }
    // The lines from the first one equal to `first` on (empty when absent).
    QStringList From(const QString &first) const;

private:
    static void Handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler previous;
};

#endif
