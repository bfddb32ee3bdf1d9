#ifndef WHENSHOWN_H
#define WHENSHOWN_H

#include <QApplication>
#include <QTimer>

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
            for (QWidget *window : QApplication::topLevelWidgets()) {
                auto *shown = qobject_cast<T *>(window);
                if (!shown || !shown->isVisible())
                    continue;
                timer.stop();
                answered = true;
                return answer(shown);
            }
        });
        timer.start(5);
    }

    bool answered = false;

private:
    QTimer timer;
};

#endif
