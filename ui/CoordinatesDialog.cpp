#include "CoordinatesDialog.h"

#include "FramelessWindow.h"

CoordinatesDialog::CoordinatesDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.coordinatesFrame);
}

CoordinatesDialog::~CoordinatesDialog() = default;

PixelCoords CoordinatesDialog::GetCoordinates() const
{
    // The boxes take 0 to 65535 only, so narrowing keeps the value.
    return PixelCoords(static_cast<quint16>(ui.yCoordinate->value()),
                       static_cast<quint16>(ui.xCoordinate->value()));
}

void CoordinatesDialog::mousePressEvent(QMouseEvent *event)
{
    FramelessWindow::BeginDrag(this, event, dragPosition);
}

void CoordinatesDialog::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}
