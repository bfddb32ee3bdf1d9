#ifndef MOUSEEVENTS_H
#define MOUSEEVENTS_H

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

// Mouse events delivered the way the window system would: through QApplication, so that a
// child that leaves the event unhandled passes it on to its parents.
namespace MouseEvents {

inline void Send(QWidget *target, QEvent::Type type, QPoint localPos, Qt::MouseButton button,
                 Qt::MouseButtons buttons, QPoint offset = {})
{
    QMouseEvent event(type, localPos + offset, target->mapToGlobal(localPos) + offset, button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Press with `button` over `localPos`, move by `offset` holding it, release.
inline void Drag(QWidget *target, QPoint localPos, QPoint offset, Qt::MouseButton button)
{
    Send(target, QEvent::MouseButtonPress, localPos, button, button);
    Send(target, QEvent::MouseMove, localPos, Qt::NoButton, button, offset);
    Send(target, QEvent::MouseButtonRelease, localPos, button, Qt::NoButton, offset);
}

} // namespace MouseEvents

#endif
