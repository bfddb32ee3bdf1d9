#ifndef BOXANSWERER_H
#define BOXANSWERER_H

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// Answers the modal message boxes that open while it lives: polls the
// top-level widgets, records each visible box and clicks the given button.
class BoxAnswerer
{
public:
    struct Seen
    {
        QString title;
        QString text;
        QWidget *parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    };

    explicit BoxAnswerer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] { AnswerVisibleBox(answer); });
        timer.start(5);
    }

    QList<Seen> seen;

private:
    void AnswerVisibleBox(QMessageBox::StandardButton answer)
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            QAbstractButton *button = box->button(answer) ? box->button(answer) : box->button(QMessageBox::Ok);
            if (!button)
                continue;
            seen.append({box->windowTitle(), box->text(), box->parentWidget(), box->icon(),
                         box->standardButtons()});
            button->click();
            return;
        }
    }

    QTimer timer;
};

#endif
