#include "FramelessWindow.h"

#include <QGraphicsDropShadowEffect>
#include <QMouseEvent>
#include <QWidget>

namespace FramelessWindow {

void Decorate(QWidget *window, QWidget *frame)
{
    window->setAttribute(Qt::WA_TranslucentBackground, true);
    auto *shadow = new QGraphicsDropShadowEffect();
    shadow->setBlurRadius(4.0);
    frame->setGraphicsEffect(shadow);
}

bool BeginDrag(const QWidget *window, QMouseEvent *event, QPoint &dragPosition)
{
    if (event->button() != Qt::LeftButton)
        return false;
    dragPosition = event->globalPos() - window->frameGeometry().topLeft();
    event->accept();
    return true;
}

void Drag(QWidget *window, QMouseEvent *event, const QPoint &dragPosition)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    window->move(event->globalPos() - dragPosition);
    event->accept();
}

} // namespace FramelessWindow
