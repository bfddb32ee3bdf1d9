#ifndef BOXPROMPT_H
#define BOXPROMPT_H

#include "ListPrompt.h"

// The list checks' warnings and questions as warning boxes in front of the active window.
class BoxPrompt : public ListPrompt
{
public:
    void Warn(const QString &title, const QString &text) override;
    bool Ask(const QString &title, const QString &text) override;
};

#endif
