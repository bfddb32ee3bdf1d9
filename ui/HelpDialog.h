#ifndef HELPDIALOG_H
#define HELPDIALOG_H

#include "ui_HelpDialog.h"

#include <QDialog>
#include <QPoint>

// The help page: each tab and button of the main window, and the limits Talvern enforces.
class HelpDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HelpDialog(QWidget *parent = nullptr);
    ~HelpDialog() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Ui::HelpDialog ui;
    QPoint dragPosition;
};

#endif
