#ifndef FRAMELESSWINDOW_H
#define FRAMELESSWINDOW_H

#include <QPoint>

class QMouseEvent;
class QWidget;

// The look and the dragging shared by Talvern's windows, which have no title bar: each
// draws a white rounded frame with a soft shadow and is moved with the left mouse button.
namespace FramelessWindow {

// Leaves only the styled frame painted and gives it a drop shadow (the frame owns it).
void Decorate(QWidget *window, QWidget *frame);

// On a left press, remembers where the pointer is relative to the window's corner and
// accepts the event. Returns whether it was a left press.
bool BeginDrag(const QWidget *window, QMouseEvent *event, QPoint &dragPosition);

// While the left button is held, keeps the pressed point of the window under the pointer.
void Drag(QWidget *window, QMouseEvent *event, const QPoint &dragPosition);

} // namespace FramelessWindow

#endif
