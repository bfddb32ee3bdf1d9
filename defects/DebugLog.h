#ifndef DEBUGLOG_H
#define DEBUGLOG_H

#include <QDebug>
#include <QString>

// Every debug line is one message whose text is exactly the line, so that it can be read and
// compared whole.
inline void LogLine(const QString &line)
{
    qDebug().noquote() << line;
}

// A failure path: the line that says why, then false for the caller to return.
inline bool LogFailure(const QString &line)
{
    LogLine(line);
    return false;
}

#endif
