#ifndef MESSAGEBOXES_H
#define MESSAGEBOXES_H

#include "WhenShown.h"

#include <QCursor>
#include <QAbstractButton>
#include <QMessageBox>

#include <list>

// A message box as one line: its icon, title and text, so that a failure shows all three.
inline QString Box(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    static const char *const iconNames[] = {"no icon", "information", "warning", "critical", "question"};
    return QStringLiteral("%1 \"%2\": %3").arg(QLatin1String(iconNames[icon]), title, text);
}

// The same box shown while a handler holds the wait cursor.
inline QString Waiting(const QString &box)
{
    return QStringLiteral("under the wait cursor, ") + box;
}

// Answers every message box that shows while it exists, in turn, with the next of the
// given buttons, and records each one as a line, marked when it had no parent window to stay
// in front of. A box beyond the given answers is closed with its escape button, so that an
// unexpected box fails the test instead of hanging it.
class MessageBoxes
{
public:
    explicit MessageBoxes(QList<QMessageBox::StandardButton> answers = {}) : answers(answers) { Arm(); }

    QStringList lines;
    QStringList titles;

private:
    void Arm()
    {
        steps.emplace_back([this](QMessageBox *box) {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            QString line = Box(box->icon(), box->windowTitle(), box->text());
            if (!box->parentWidget())
                line += QStringLiteral(" (without a parent window)");
            lines.append(cursor && cursor->shape() == Qt::WaitCursor ? Waiting(line) : line);
            titles.append(box->windowTitle());
            QAbstractButton *button = answers.isEmpty() ? nullptr : box->button(answers.takeFirst());
            Arm();
            (button ? button : box->escapeButton() ? box->escapeButton() : box->buttons().constFirst())->click();
        });
    }

    QList<QMessageBox::StandardButton> answers;
    std::list<WhenShown<QMessageBox>> steps;
};

#endif
