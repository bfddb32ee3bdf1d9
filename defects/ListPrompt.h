#ifndef LISTPROMPT_H
#define LISTPROMPT_H

#include <QString>

// How the list checks put a warning or a question to the user; a front end supplies it.
class ListPrompt
{
public:
    virtual ~ListPrompt() = default;

    virtual void Warn(const QString &title, const QString &text) = 0;
    // True only for an explicit Yes.
    virtual bool Ask(const QString &title, const QString &text) = 0;
};

#endif
