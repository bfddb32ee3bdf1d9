#ifndef HISTORYDIALOG_H
#define HISTORYDIALOG_H

#include "ui_HistoryDialog.h"

#include "PixelCoords.h"

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QString>

// The earlier lists of the connected camera, newest first: for the chosen one, what restoring
// it would add to the camera list and remove from it; accepted with the one to restore.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    struct Entry
    {
        QString time;
        QString done;
        int defects = 0;
        bool readable = false;      // the copy is there and is what was recorded
        QList<PixelCoords> list;    // its defects, when readable
    };

    HistoryDialog(const QList<Entry> &entries, const QList<PixelCoords> &cameraList, QWidget *parent = nullptr);
    ~HistoryDialog() override;

    // The row chosen, -1 when none is.
    int Chosen() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private slots:
    void ShowDifference();

private:
    void FillTable();

    Ui::HistoryDialog ui;
    QPoint dragPosition;
    QList<Entry> entries;
    QList<PixelCoords> cameraList;
};

#endif
