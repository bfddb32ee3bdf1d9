#ifndef MOUSEEVENTS_H
#define MOUSEEVENTS_H

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Mouse events delivered the way the window system would: through QApplication, so that a
// child that leaves the event unhandled passes it on to its parents.
namespace MouseEvents {

inline bool Send(QWidget *target, QEvent::Type type, QPoint localPos, QPoint globalPos, Qt::MouseButton button,
                 Qt::MouseButtons buttons)
{
    QMouseEvent event(type, localPos, globalPos, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

inline void Press(QWidget *target, QPoint localPos, Qt::MouseButton button)
{
    Send(target, QEvent::MouseButtonPress, localPos, target->mapToGlobal(localPos), button, button);
}

inline void Release(QWidget *target, QPoint localPos, Qt::MouseButton button)
{
    Send(target, QEvent::MouseButtonRelease, localPos, target->mapToGlobal(localPos), button, Qt::NoButton);
}

// A move of the pointer by `offset` from where it is over `localPos`, with `held` pressed.
inline void Move(QWidget *target, QPoint localPos, QPoint offset, Qt::MouseButtons held)
{
    const QPoint globalPos = target->mapToGlobal(localPos) + offset;
    Send(target, QEvent::MouseMove, localPos + offset, globalPos, Qt::NoButton, held);
}

// Press with `button` over `localPos`, move by `offset` holding it, release.
inline void Drag(QWidget *target, QPoint localPos, QPoint offset, Qt::MouseButton button)
{
    Press(target, localPos, button);
    const QPoint globalPos = target->mapToGlobal(localPos) + offset;
    Move(target, localPos, offset, button);
    Send(target, QEvent::MouseButtonRelease, localPos + offset, globalPos, button, Qt::NoButton);
}

} // namespace MouseEvents

#endif
