#ifndef MESSAGEBOXES_H
#define MESSAGEBOXES_H

#include "WhenShown.h"

#include <QCursor>
#include <QGuiApplication>
#include <QList>
#include <QMessageBox>

#include <list>

// One message box as the user saw it.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QWidget *parent = nullptr;
    bool waitCursor = false;
};

// Answers every message box that shows while it exists, in turn, with the next of the
// given buttons, and records each one. A box beyond the given answers is closed with its
// escape button, so that an unexpected box fails the test instead of hanging it.
class MessageBoxes
{
public:
    explicit MessageBoxes(QList<QMessageBox::StandardButton> answers = {}) : answers(answers) { Arm(); }

    QStringList Titles() const
    {
        QStringList titles;
        for (const SeenBox &box : seen)
            titles.append(box.title);
        return titles;
    }

    QList<SeenBox> seen;

private:
    void Arm()
    {
        steps.emplace_back([this](QMessageBox *box) { Answer(box); });
    }

    void Answer(QMessageBox *box)
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->parentWidget(),
                     cursor && cursor->shape() == Qt::WaitCursor});
        QAbstractButton *button = answers.isEmpty() ? nullptr : box->button(answers.takeFirst());
        if (!button)
            button = box->escapeButton() ? box->escapeButton() : box->buttons().constFirst();
        Arm();
        button->click();
    }

    QList<QMessageBox::StandardButton> answers;
    std::list<WhenShown<QMessageBox>> steps;
};

#endif
