#ifndef BOXANSWERER_H
#define BOXANSWERER_H

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// Answers the modal message boxes that open while it lives: polls for the
// active modal box, records it and clicks the given button (or OK).
class BoxAnswerer
{
public:
    struct Seen
    {
        QString title;
        QString text;
        QWidget *parent;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    explicit BoxAnswerer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.append({box->windowTitle(), box->text(), box->parentWidget(), box->icon(), box->standardButtons()});
            QAbstractButton *button = box->button(answer) ? box->button(answer) : box->button(QMessageBox::Ok);
            if (button)
                button->click();
            else
                box->reject();
        });
        timer.start(5);
    }

    QList<Seen> seen;

private:
    QTimer timer;
};

#endif
