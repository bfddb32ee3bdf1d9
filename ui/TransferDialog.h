#ifndef TRANSFERDIALOG_H
#define TRANSFERDIALOG_H

#include "ui_TransferDialog.h"

#include <QDialog>
#include <QPoint>
#include <QString>

#include <functional>

// Says what a transfer with the camera is doing while it runs on a thread of its own. It is
// modal, so nothing else can be started meanwhile, and it cannot be closed before the transfer
// has ended: a flash write stopped halfway leaves the camera without its list.
class TransferDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TransferDialog(QWidget *parent = nullptr);
    ~TransferDialog() override;

    // Runs `work` on a thread of its own and returns once it has ended; the application's events
    // are handled meanwhile, so its windows keep painting.
    void Run(const std::function<void()> &work);

public slots:
    // A step the camera reports: "reading", "erasing", "writing", "storing", "verifying" or
    // "putting back", with the packets done of total where it counts them.
    void ShowStep(const QString &step, int done, int total);
    // Escape does not end a transfer.
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    Ui::TransferDialog ui;
    QPoint dragPosition;
    bool puttingBack = false;
};

#endif
