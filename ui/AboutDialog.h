#ifndef ABOUTDIALOG_H
#define ABOUTDIALOG_H

#include "ui_AboutDialog.h"

#include <QDialog>
#include <QPoint>

// The about box: program and camera SDK versions, the maker's notice, and the toolkit.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    AboutDialog(const QString &sdkVersion, QWidget *parent = nullptr);
    ~AboutDialog() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void FillTexts(const QString &sdkVersion);

    Ui::AboutDialog ui;
    QPoint dragPosition;
};

#endif
