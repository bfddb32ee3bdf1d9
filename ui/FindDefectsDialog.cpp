#include "FindDefectsDialog.h"

#include "DetectionWorker.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QThread>

namespace {

enum Column { RowColumn, ColumnColumn, KindColumn, DnColumn, SpreadsColumn, KnownColumn };

const QString NewText = QStringLiteral("new");

QString Counted(int count, const QString &singular, const QString &plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? singular : plural);
}

QString FramesText(int count, const QString &setName)
{
    if (count == 0)
        return QStringLiteral("No %1 frames").arg(setName);
    return Counted(count, setName + QStringLiteral(" frame"), setName + QStringLiteral(" frames"));
}

QTableWidgetItem *NumberItem(double value)
{
    auto *item = new QTableWidgetItem(QString::number(value, 'f', 1));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

FindDefectsDialog::FindDefectsDialog(QSize sensorSize, SensorLayout layout, const QList<PixelCoords> &cameraList,
                                     const QList<PixelCoords> &userList, QWidget *parent)
    : QDialog(parent)
    , sensorSize(sensorSize)
    , layout(layout)
    , cameraSet(cameraList)
    , userSet(userList)
{
    ui.setupUi(this);
    ShowSettings(DetectionSettings());
    if (sensorSize.isValid()) {
        ui.rawWidthBox->setValue(sensorSize.width());
        ui.rawHeightBox->setValue(sensorSize.height());
    }
    ui.candidateTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui.candidateTable->verticalHeader()->hide();
    // The wrapped description of the thresholds takes the height the system's font needs.
    resize(width(), qMax(height(), heightForWidth(width())));
    connect(ui.candidateTable, &QTableWidget::itemSelectionChanged, this, &FindDefectsDialog::UpdateAddButton);
    ShowFrameCounts();
    ShowKnown();
}

FindDefectsDialog::~FindDefectsDialog()
{
    StopRun();
}

void FindDefectsDialog::SetLists(const QList<PixelCoords> &cameraList, const QList<PixelCoords> &userList)
{
    cameraSet = CoordinateSet(cameraList);
    userSet = CoordinateSet(userList);
    ShowKnown();
}

void FindDefectsDialog::SetFrames(const QStringList &darks, const QStringList &flats)
{
    darkFiles = darks;
    flatFiles = flats;
    ShowFrameCounts();
}

bool FindDefectsDialog::IsRunning() const
{
    return worker != nullptr;
}

void FindDefectsDialog::reject()
{
    StopRun();
    QDialog::reject();
}

void FindDefectsDialog::on_darkButton_clicked()
{
    const QStringList files = ChooseFrames(QStringLiteral("Dark Frames"));
    if (!files.isEmpty())
        SetFrames(files, flatFiles);
}

void FindDefectsDialog::on_flatButton_clicked()
{
    const QStringList files = ChooseFrames(QStringLiteral("Flat Frames"));
    if (!files.isEmpty())
        SetFrames(darkFiles, files);
}

void FindDefectsDialog::on_findButton_clicked()
{
    StartRun();
}

void FindDefectsDialog::on_cancelButton_clicked()
{
    StopRun();
}

void FindDefectsDialog::on_addButton_clicked()
{
    emit AddRequested(SelectedNew());
}

void FindDefectsDialog::UpdateAddButton()
{
    ui.addButton->setEnabled(!SelectedNew().isEmpty());
}

// The defaults stand in the boxes and, with their meaning, in the label below them.
void FindDefectsDialog::ShowSettings(const DetectionSettings &settings)
{
    ui.hotSpreadsBox->setValue(settings.hotSpreads);
    ui.flickerFactorBox->setValue(settings.flickerFactor);
    ui.deadFractionBox->setValue(settings.deadFraction);
    ui.responseDeviationBox->setValue(settings.responseDeviation);
    ui.neighbourhoodBox->setValue(settings.neighbourhood);
    ui.settingsLabel->setText(QStringLiteral("Defaults:\n") + DescribeSettings(settings).join(QLatin1Char('\n')));
}

QStringList FindDefectsDialog::ChooseFrames(const QString &title)
{
    return QFileDialog::getOpenFileNames(this, title, QString(),
                                         QStringLiteral("Frames (*.pgm *.png *.tif *.tiff *.raw)"));
}

void FindDefectsDialog::ShowFrameCounts()
{
    ui.darkLabel->setText(FramesText(darkFiles.size(), QStringLiteral("dark")));
    ui.flatLabel->setText(FramesText(flatFiles.size(), QStringLiteral("flat")));
}

DetectionInput FindDefectsDialog::Input() const
{
    DetectionInput input;
    input.darkFiles = darkFiles;
    input.flatFiles = flatFiles;
    input.sensorSize = sensorSize;
    input.rawSize = QSize(ui.rawWidthBox->value(), ui.rawHeightBox->value());
    input.layout = layout;
    return input;
}

DetectionSettings FindDefectsDialog::Settings() const
{
    DetectionSettings settings;
    settings.hotSpreads = ui.hotSpreadsBox->value();
    settings.flickerFactor = ui.flickerFactorBox->value();
    settings.deadFraction = ui.deadFractionBox->value();
    settings.responseDeviation = ui.responseDeviationBox->value();
    settings.neighbourhood = ui.neighbourhoodBox->value();
    return settings;
}

void FindDefectsDialog::StartRun()
{
    worker = new DetectionWorker(Input(), Settings(), this);
    ConnectWorker(worker);
    DetectionWorker *run = worker;
    thread.reset(QThread::create([run] { run->Run(); }));
    ui.progressBar->setValue(0);
    ui.statusLabel->setText(QStringLiteral("Finding defects..."));
    ShowRunning(true);
    thread->start();
}

// The worker is the signals' context: a stopped run's late signals go with it, and until it is
// gone no other worker can share its address.
void FindDefectsDialog::ConnectWorker(DetectionWorker *run)
{
    connect(run, &DetectionWorker::Progressed, run, [this, run](int done, int total) {
        if (run == worker)
            ShowProgress(done, total);
    }, Qt::QueuedConnection);
    connect(run, &DetectionWorker::Finished, run, [this, run](bool ok, const QString &error, const QVector<Candidate> &found) {
        if (run == worker)
            TakeResult(ok, error, found);
    }, Qt::QueuedConnection);
}

void FindDefectsDialog::ShowProgress(int done, int total)
{
    ui.progressBar->setMaximum(total);
    ui.progressBar->setValue(done);
}

// A failed run changes nothing but the status; the box comes last, with the dialog settled.
void FindDefectsDialog::TakeResult(bool ok, const QString &error, const QVector<Candidate> &found)
{
    EndRun();
    ui.statusLabel->clear();
    if (!ok) {
        QMessageBox::critical(this, QStringLiteral("Find Defects"), error);
        return;
    }
    candidates = found;
    FillTable();
    QList<PixelCoords> coords;
    for (const Candidate &candidate : candidates)
        coords.append(candidate.Coords());
    emit CandidatesFound(coords);
}

void FindDefectsDialog::StopRun()
{
    if (!worker)
        return;
    worker->Cancel();
    EndRun();
    ui.statusLabel->setText(QStringLiteral("Cancelled."));
}

// Deleted later: this may run inside one of the worker's own signals.
void FindDefectsDialog::EndRun()
{
    thread->wait();
    worker->deleteLater();
    worker = nullptr;
    ShowRunning(false);
}

void FindDefectsDialog::ShowRunning(bool running)
{
    ui.framesBox->setEnabled(!running);
    ui.thresholdsBox->setEnabled(!running);
    ui.findButton->setEnabled(!running);
    ui.cancelButton->setEnabled(running);
}

void FindDefectsDialog::FillTable()
{
    QTableWidget *table = ui.candidateTable;
    table->clearContents();
    table->setRowCount(candidates.size());
    for (int row = 0; row < candidates.size(); ++row) {
        const Candidate &candidate = candidates[row];
        table->setItem(row, RowColumn, new QTableWidgetItem(QString::number(candidate.row)));
        table->setItem(row, ColumnColumn, new QTableWidgetItem(QString::number(candidate.column)));
        table->setItem(row, KindColumn, new QTableWidgetItem(DefectKindName(candidate.kind)));
        table->setItem(row, DnColumn, NumberItem(candidate.strengthDn));
        table->setItem(row, SpreadsColumn, NumberItem(candidate.strengthSpread));
        table->setItem(row, KnownColumn, new QTableWidgetItem());
    }
    ShowKnown();
    table->selectAll();
}

void FindDefectsDialog::ShowKnown()
{
    int fresh = 0;
    for (int row = 0; row < candidates.size(); ++row) {
        const QString known = KnownAs(candidates[row].Coords());
        ui.candidateTable->item(row, KnownColumn)->setText(known);
        fresh += known == NewText;
    }
    ui.countLabel->setText(Counted(candidates.size(), QStringLiteral("candidate"), QStringLiteral("candidates"))
                           + QStringLiteral(", %1 new").arg(fresh));
    UpdateAddButton();
}

QString FindDefectsDialog::KnownAs(PixelCoords coords) const
{
    if (cameraSet.Contains(coords))
        return QStringLiteral("camera list");
    if (userSet.Contains(coords))
        return QStringLiteral("user list");
    return NewText;
}

QList<PixelCoords> FindDefectsDialog::SelectedNew() const
{
    QList<PixelCoords> coords;
    for (const QModelIndex &index : ui.candidateTable->selectionModel()->selectedRows()) {
        const PixelCoords pixel = candidates[index.row()].Coords();
        if (KnownAs(pixel) == NewText)
            coords.append(pixel);
    }
    return coords;
}
