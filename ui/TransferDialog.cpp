#include "TransferDialog.h"

#include "FramelessWindow.h"

#include <QThread>

#include <memory>

namespace {

QString StepText(const QString &step, int done, int total)
{
    const auto packets = [done, total](const QString &text) { return text.arg(done).arg(total); };
    if (step == QLatin1String("reading"))
        return packets(QStringLiteral("Reading packet %1 of %2 from the camera"));
    if (step == QLatin1String("erasing"))
        return QStringLiteral("Erasing the camera's defect file");
    if (step == QLatin1String("writing"))
        return packets(QStringLiteral("Writing packet %1 of %2 into the camera"));
    if (step == QLatin1String("storing"))
        return QStringLiteral("Storing the defect file in the camera's flash");
    if (step == QLatin1String("verifying"))
        return total > 0 ? packets(QStringLiteral("Verifying packet %1 of %2"))
                         : QStringLiteral("Verifying what the camera stored");
    return step;
}

} // namespace

TransferDialog::TransferDialog(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.transferFrame);
}

TransferDialog::~TransferDialog() = default;

void TransferDialog::Run(const std::function<void()> &work)
{
    const std::unique_ptr<QThread> thread(QThread::create(work));
    connect(thread.get(), &QThread::finished, this, &QDialog::accept);
    thread->start();
    exec();
    // The event loop also ends when the application quits; the camera still gets the whole write.
    thread->wait();
}

void TransferDialog::ShowStep(const QString &step, int done, int total)
{
    // Putting the previous list back takes the steps of any write; each says what it is for.
    const QString purpose = QStringLiteral("Putting the previous list back");
    if (step == QLatin1String("putting back")) {
        puttingBack = true;
        ui.stepLabel->setText(purpose);
    } else {
        ui.stepLabel->setText(puttingBack ? purpose + QStringLiteral(": ") + StepText(step, done, total)
                                          : StepText(step, done, total));
    }
    ui.progressBar->setRange(0, total);
    ui.progressBar->setValue(total > 0 ? done : 0);
}

void TransferDialog::reject()
{
}

void TransferDialog::mousePressEvent(QMouseEvent *event)
{
    FramelessWindow::BeginDrag(this, event, dragPosition);
}

void TransferDialog::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}
