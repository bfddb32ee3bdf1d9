#ifndef WHENSHOWN_H
#define WHENSHOWN_H

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers a modal window from inside its own event loop: polls the top-level widgets until
// a visible one of type T shows up, then hands it to `answer`, once.
template <typename T>
class WhenShown
{
public:
    explicit WhenShown(std::function<void(T *)> answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            for (QWidget *window : windows) {
                auto *shown = qobject_cast<T *>(window);
                if (!shown || !shown->isVisible())
                    continue;
                timer.stop();
                answered = true;
                answer(shown);
                return;
            }
        });
        timer.start(5);
    }

    bool answered = false;

private:
    QTimer timer;
};

// Runs `dialog` modally and clicks its button named `buttonName` once it shows.
inline int ExecAndClick(QDialog &dialog, const char *buttonName)
{
    WhenShown<QDialog> click([&dialog, buttonName](QDialog *shown) {
        if (shown == &dialog)
            dialog.findChild<QAbstractButton *>(buttonName)->click();
    });
    return dialog.exec();
}

#endif
