#ifndef COORDINATESDIALOG_H
#define COORDINATESDIALOG_H

#include "ui_CoordinatesDialog.h"

#include "PixelCoords.h"

#include <QDialog>
#include <QPoint>

// Asks for one pixel coordinate: a row and a column, each from 0 to 65535.
class CoordinatesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CoordinatesDialog(QWidget *parent = nullptr);
    ~CoordinatesDialog() override;

    // Row from the "Row" box, column from the "Column" box.
    PixelCoords GetCoordinates() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Ui::CoordinatesDialog ui;
    QPoint dragPosition;
};

#endif
