#include "MainWindow.h"

#include "AboutDialog.h"
#include "BackupFileName.h"
#include "CoordinatesDialog.h"
#include "CameraListChange.h"
#include "DebugLog.h"
#include "FramelessWindow.h"
#include "HelpDialog.h"
#include "FindDefectsDialog.h"
#include "HistoryDialog.h"
#include "NeighborByteEncoding.h"
#include "SensorMap.h"
#include "TransferDialog.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QListWidgetItem>
#include <QMessageBox>
#include <QRegExp>
#include <QScreen>
#include <QSettings>

#include <algorithm>
#include <utility>

namespace {

const QString Organisation = QStringLiteral("Corvane");
const QString Application = QStringLiteral("Talvern");
const QString SettingsGroup = QStringLiteral("MainWindow");
const QString PositionKey = QStringLiteral("position");
const QString StartDirectory = QStringLiteral("/");
const QString BackupFilter = QStringLiteral("Defective Pixel List Files (*.bin)");
const QString ListFilter = QStringLiteral("DP List Files (*.csv)");

void ShowModel(QTableView *view, QStandardItemModel *model)
{
    if (!model)
        return;
    view->setModel(model);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

// Enough of the visible frame to take hold of with the pointer; the window's transparent shadow
// margin on a screen is not.
constexpr int MinimumHold = 40;

bool CanBeTakenHoldOf(const QRect &frame)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(), [&frame](const QScreen *screen) {
        const QRect visible = screen->geometry().intersected(frame);
        return visible.width() >= MinimumHold && visible.height() >= MinimumHold;
    });
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.mainFrame);
    SetupTableViews();
    listManager.SetPrompt(&boxPrompt);
    RestoreWindowPosition();

    connect(&session, &Session::CameraListChanged, this, &MainWindow::OnCameraListChanged);
    connect(&session, &Session::ConnectedCameraDisconnected, this, &MainWindow::OnConnectedCameraDisconnected);
    connect(&listManager, &ListManager::HighlightDefects, this, &MainWindow::HighlightDefects);
    FollowListsOnMap();

    UpdateCameraListView();
    SetConnectedState(false);
}

MainWindow::~MainWindow()
{
    SaveWindowPosition();
}

void MainWindow::SetConnectedState(bool connected)
{
    ui.disconnectButton->setEnabled(connected);
    ui.connectButton->setEnabled(!connected);
    const QList<QToolButton *> cameraButtons = {ui.downloadButton, ui.restoreButton, ui.backupButton,
                                                ui.revertButton,   ui.historyButton, ui.mapButton,
                                                ui.loadButton,     ui.saveButton,
                                                ui.addButton,      ui.removeButton,  ui.clearButton,
                                                ui.uploadButton};
    for (QToolButton *button : cameraButtons)
        button->setEnabled(connected);
}

void MainWindow::RestoreWindowPosition()
{
    QSettings settings(Organisation, Application);
    settings.beginGroup(SettingsGroup);
    if (settings.contains(PositionKey)) {
        const QPoint position = settings.value(PositionKey, QVariant()).toPoint();
        layout()->activate(); // places the frame inside the margin before the window is shown
        if (CanBeTakenHoldOf(ui.mainFrame->geometry().translated(position)))
            move(position);
    }
    settings.endGroup();
}

void MainWindow::SaveWindowPosition()
{
    QSettings settings(Organisation, Application);
    settings.beginGroup(SettingsGroup);
    settings.setValue(PositionKey, pos());
    settings.endGroup();
}

void MainWindow::SetupTableViews()
{
    ShowModel(ui.userDefectivePixelView, listManager.GetModel(UserList));
    ShowModel(ui.cameraDefectivePixelView, listManager.GetModel(CameraList));
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (!FramelessWindow::BeginDrag(this, event, dragPosition))
        return;
    if (QItemSelectionModel *selection = ui.userDefectivePixelView->selectionModel())
        selection->clearCurrentIndex();
    ui.userDefectivePixelView->clearSelection();
    ui.userDefectivePixelView->clearFocus();
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    FramelessWindow::Drag(this, event, dragPosition);
}

void MainWindow::on_exitButton_clicked()
{
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, QStringLiteral("Close Application?"),
                              QStringLiteral("Are you sure you want to exit?"), QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        QCoreApplication::quit();
}

void MainWindow::on_connectButton_clicked()
{
    const QListWidgetItem *item = ui.cameraList->currentItem();
    if (!item)
        return;
    const QString entry = item->text();
    if (entry.isEmpty())
        return;
    const Session::Outcome outcome = session.Connect(entry);
    if (outcome == Session::NotConnected) {
        QMessageBox::critical(this, QStringLiteral("Connection Error"),
                              QStringLiteral("Could not connect to the selected camera."));
        return;
    }
    if (outcome != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Connection Error"),
                              QStringLiteral("Talvern does not support this camera model."));
        return;
    }
    ui.cameraLabel->setText(GetCameraDisplayName(entry));
    SetConnectedState(true);
    OfferRecovery();
}

// A write that did not finish may have left the camera erased; the copy taken before it can
// go back.
void MainWindow::OfferRecovery()
{
    const std::optional<CameraCopies::Copy> unfinished = session.UnfinishedWrite();
    if (!unfinished)
        return;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QStringLiteral("Unfinished Write"),
        QStringLiteral("A write into this camera did not finish. Put back the defective pixel list it held before?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const bool recovered = Transfer([this] { return session.Recover(); }) == Session::Done;
    QGuiApplication::restoreOverrideCursor();
    TellPutBack(recovered ? Session::PutBackDone : Session::PutBackFailed, unfinished->file);
}

// Nothing is written into a camera whose file could not be copied first.
bool MainWindow::CopyKept(Session::Outcome outcome)
{
    if (outcome != Session::NotCopied)
        return true;
    QMessageBox::critical(this, QStringLiteral("Backup Error"),
                          QStringLiteral("Could not keep a copy of the camera's defective pixel list. Nothing was written to the camera."));
    return false;
}

// Told after a failed write's own box: whether the camera holds its previous list again.
void MainWindow::TellPutBack(Session::PutBack putBack, const QString &copyFile)
{
    if (putBack == Session::PutBackDone)
        QMessageBox::information(this, QStringLiteral("Previous List Restored"),
                                 QStringLiteral("The camera's previous defective pixel list was put back."));
    if (putBack == Session::PutBackFailed)
        QMessageBox::critical(this, QStringLiteral("Previous List Not Restored"),
                              QStringLiteral("The camera's previous defective pixel list could not be put back. "
                                             "A copy is kept in %1.")
                                  .arg(QDir::toNativeSeparators(copyFile)));
}

void MainWindow::TellPutBack()
{
    TellPutBack(session.LastPutBack(), session.LastCopy().file);
}

// The camera's own notice waits while a transfer runs: the transfer ends through its failure
// path first.
void MainWindow::OnConnectedCameraDisconnected()
{
    if (transferring)
        disconnectHeld = true;
    else
        on_disconnectButton_clicked();
}

void MainWindow::on_disconnectButton_clicked()
{
    delete sensorMap;
    listManager.ClearList(CameraList);
    session.Disconnect();
    ui.cameraLabel->setText(QStringLiteral("No Camera Connected..."));
    SetConnectedState(false);
}

QString MainWindow::GetCameraDisplayName(QString entry) const
{
    return entry.remove(QRegExp(QStringLiteral("\\(([^)]+)\\)-")));
}

// Camera work blocks the window until it is done; the wait cursor says so. Handlers that
// run the download handler nest its cursor inside their own.
void MainWindow::UnderWaitCursor(void (MainWindow::*work)())
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    (this->*work)();
    QGuiApplication::restoreOverrideCursor();
}

// Camera work runs beside the window, which keeps painting behind a modal dialog that says what
// the camera is doing. The session is touched by nothing else meanwhile: what the camera list
// tells waits until the transfer has ended, and so does the map.
Session::Outcome MainWindow::Transfer(const std::function<Session::Outcome()> &work)
{
    TransferDialog dialog(this);
    connect(&session, &Session::TransferProgress, &dialog, &TransferDialog::ShowStep);
    Session::Outcome outcome = Session::Done;
    transferring = true;
    dialog.Run([&outcome, &work] { outcome = work(); });
    transferring = false;
    if (std::exchange(disconnectHeld, false))
        on_disconnectButton_clicked();
    for (const int changed : std::exchange(listChangesHeld, {}))
        OnCameraListChanged(changed);
    if (!mapLayersChanged.isEmpty())
        mapUpdate.start();
    return outcome;
}

void MainWindow::on_downloadButton_clicked()
{
    UnderWaitCursor(&MainWindow::DownloadCameraList);
}

void MainWindow::DownloadCameraList()
{
    const Session::Outcome outcome = Transfer([this] { return session.Download(); });
    if (outcome == Session::NotConnected)
        return;
    if (outcome != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Download Error"),
                              QStringLiteral("Could not download defective pixel list from camera. Please contact support."));
        return;
    }
    // The session counts the list as loaded before the colouring: the window handles events
    // while it colours, and an unplug handled there empties the list for good.
    listManager.LoadCameraList(session.CameraDefects(), session.Description());
    ShowModel(ui.cameraDefectivePixelView, listManager.GetModel(CameraList));
}

void MainWindow::on_backupButton_clicked()
{
    UnderWaitCursor(&MainWindow::BackupDefectFile);
}

// A failed backup is told to the user: going on to upload in the belief that a backup
// exists would lose the camera's list for good.
void MainWindow::BackupDefectFile()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Backup Defective Pixel List."),
                                                        StartDirectory, BackupFilter);
    if (chosen.isEmpty())
        return;
    const QString fileName = BackupFileName(chosen, session.Description().serialNumber);
    if (Transfer([this, &fileName] { return session.Backup(fileName); }) != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Backup Error"),
                              QStringLiteral("Could not back up the defective pixel list. No backup file was written."));
    }
    if (!session.IsCameraListLoaded())
        on_downloadButton_clicked();
}

void MainWindow::on_restoreButton_clicked()
{
    UnderWaitCursor(&MainWindow::RestoreDefectFile);
}

void MainWindow::RestoreDefectFile()
{
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("Restore Defective Pixel List."),
                                                          StartDirectory, BackupFilter);
    if (fileName.isEmpty())
        return;
    TellRestored(Transfer([this, &fileName] { return session.Restore(fileName); }));
}

// The boxes after a restore from a file or from the history.
void MainWindow::TellRestored(Session::Outcome outcome)
{
    if (outcome == Session::NotABackup || outcome == Session::FileNotRead) {
        QMessageBox::critical(this, QStringLiteral("Restore Error"),
                              QStringLiteral("Backup file not supported or corrupt. Please verify file and try again."));
        return;
    }
    if (!CopyKept(outcome))
        return;
    if (outcome != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Restore Error"),
                              QStringLiteral("Could not upload defective pixel list to camera. Please try again."));
        TellPutBack();
        return;
    }
    on_downloadButton_clicked();
}

void MainWindow::on_historyButton_clicked()
{
    if (!session.IsCameraListLoaded())
        on_downloadButton_clicked();
    const QList<CameraCopies::Copy> history = session.History();
    QList<HistoryDialog::Entry> entries;
    for (const CameraCopies::Copy &copy : history) {
        HistoryDialog::Entry entry;
        entry.time = copy.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        entry.done = copy.Done();
        entry.defects = copy.defects;
        std::vector<unsigned char> content;
        entry.readable = CameraCopies::Read(copy, content);
        DecodeDefectFile(content, &entry.list);
        entries.append(entry);
    }
    HistoryDialog dialog(entries, session.CameraDefects(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen() < 0)
        return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const CameraCopies::Copy &copy = history[dialog.Chosen()];
    TellRestored(Transfer([this, &copy] { return session.RestoreCopy(copy); }));
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::on_mapButton_clicked()
{
    if (!sensorMap) {
        sensorMap = new SensorMap(this);
        sensorMap->setAttribute(Qt::WA_DeleteOnClose);
        sensorMap->setWindowTitle(QStringLiteral("Sensor Map - ") + ui.cameraLabel->text());
        sensorMap->SetSensor(int(session.Description().sensorWidth), int(session.Description().sensorHeight));
        connect(sensorMap, &SensorMap::EntryClicked, this, &MainWindow::ShowEntry);
        connect(sensorMap, &SensorMap::AddRequested, this, &MainWindow::AddUserCoordinates);
        connect(sensorMap, &SensorMap::RemoveRequested, this, &MainWindow::RemoveUserRow);
        connect(sensorMap, &SensorMap::FindDefectsRequested, this, &MainWindow::OpenFindDefects);
        mapLayersChanged = {CameraList, UserList};
        UpdateMap();
    }
    sensorMap->show();
    sensorMap->raise();
    sensorMap->activateWindow();
}

// Every change of a table, its rows or their colours, shows on the map once the change is done;
// only the layers of the tables that changed are given to the map again.
void MainWindow::FollowListsOnMap()
{
    mapUpdate.setSingleShot(true);
    connect(&mapUpdate, &QTimer::timeout, this, &MainWindow::UpdateMap);
    for (const DefectiveListType type : {CameraList, UserList}) {
        QStandardItemModel *model = listManager.GetModel(type);
        const auto changed = [this, type] {
            mapLayersChanged.insert(type);
            mapUpdate.start();
        };
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
    }
}

// The lists as the session holds them, each entry in its table row's colour.
void MainWindow::UpdateMap()
{
    if (!sensorMap || transferring)
        return;
    const std::pair<SensorMap::Layer, DefectiveListType> layers[] = {{SensorMap::CameraLayer, CameraList},
                                                                     {SensorMap::UserLayer, UserList}};
    for (const auto &[layer, type] : layers) {
        if (!mapLayersChanged.contains(type))
            continue;
        const QStandardItemModel *model = listManager.GetModel(type);
        QList<QColor> colours;
        for (int row = 0; row < model->rowCount(); ++row)
            colours.append(model->index(row, 0).data(Qt::BackgroundRole).value<QColor>());
        sensorMap->SetLayer(layer, type == CameraList ? session.CameraDefects() : session.UserDefects(), colours);
    }
    mapLayersChanged.clear();
    if (findDefects)
        findDefects->SetLists(session.CameraDefects(), session.UserDefects());
}

// The search for defects in frames, beside the map: what it finds is the map's third layer.
void MainWindow::OpenFindDefects()
{
    if (!findDefects) {
        const CameraDescription description = session.Description();
        findDefects = new FindDefectsDialog(QSize(int(description.sensorWidth), int(description.sensorHeight)),
                                            description.sensorType == QLatin1String("Bayer") ? SensorLayout::Bayer
                                                                                             : SensorLayout::Mono,
                                            session.CameraDefects(), session.UserDefects(), sensorMap);
        findDefects->setAttribute(Qt::WA_DeleteOnClose);
        connect(findDefects, &FindDefectsDialog::CandidatesFound, sensorMap,
                [this](const QList<PixelCoords> &coords) { sensorMap->SetLayer(SensorMap::CandidateLayer, coords, {}); });
        connect(findDefects, &FindDefectsDialog::AddRequested, this, &MainWindow::AddCandidates);
    }
    findDefects->show();
    findDefects->raise();
}

// The candidates the user accepted join the user list, checked as a loaded list is.
void MainWindow::AddCandidates(const QList<PixelCoords> &coords)
{
    for (const PixelCoords &coordinates : coords)
        session.AddUserDefect(coordinates, -1);
    listManager.LoadUserList(session.UserDefects());
    ValidateUserList(ValidateAfterLoad);
}

// A defect picked on the map is shown in its table.
void MainWindow::ShowEntry(SensorMap::Layer layer, int index)
{
    QTableView *view = layer == SensorMap::CameraLayer ? ui.cameraDefectivePixelView : ui.userDefectivePixelView;
    ui.tabWidget->setCurrentWidget(view->parentWidget());
    view->selectRow(index);
    view->scrollTo(view->model()->index(index, 0));
}

void MainWindow::on_revertButton_clicked()
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QStringLiteral("Revert Defective Pixel List?"),
        QStringLiteral("Are you sure you want to revert back to the factory settings? \nAll user added defective pixels will be lost."),
        QMessageBox::Yes | QMessageBox::No);
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    if (answer == QMessageBox::Yes)
        RevertDefectFile();
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::RevertDefectFile()
{
    const Session::Outcome outcome = Transfer([this] { return session.Revert(); });
    if (!CopyKept(outcome))
        return;
    if (outcome != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Revert Error"),
                              QStringLiteral("Could not revert defective pixel list back to original factory configuration. Please contact support."));
        TellPutBack();
        return;
    }
    on_downloadButton_clicked();
}

// Both lists are needed before anything is checked or uploaded: the camera list is
// downloaded when it is missing, and an empty user list has nothing to offer.
bool MainWindow::CameraAndUserListsPresent()
{
    if (!session.IsCameraListLoaded())
        on_downloadButton_clicked();
    return session.IsCameraListLoaded() && !session.UserDefects().isEmpty();
}

void MainWindow::ValidateUserList(ValidationMode mode)
{
    if (!CameraAndUserListsPresent()) {
        QMessageBox::warning(this, QStringLiteral("Validation Error"),
                             QStringLiteral("User defective pixel list empty. Please verify contents and try again."));
        return;
    }
    const Session::ListCheck check = session.Check();
    if (check.encoded)
        listManager.ValidateDefectivePixelCoordinates(check.findings, session.Description(), mode);
}

void MainWindow::on_addButton_clicked()
{
    CoordinatesDialog dialog(this);
    if (dialog.exec() == QDialog::Rejected)
        return;
    AddUserCoordinates(dialog.GetCoordinates());
}

// Typed in the dialog or picked on the map.
void MainWindow::AddUserCoordinates(const PixelCoords &coordinates)
{
    const int row = ui.userDefectivePixelView->currentIndex().row();
    if (!session.AddUserDefect(coordinates, row)) {
        QMessageBox::warning(this, QStringLiteral("Duplicate Coordinates Added"),
                             QStringLiteral("Coordinates already exist in the user defective pixel list.\nPlease verify input and try again."));
        return;
    }
    listManager.AddUserCoordinate(coordinates, row);
    ValidateUserList(ValidateAfterAdd);
}

void MainWindow::on_removeButton_clicked()
{
    RemoveUserRow(ui.userDefectivePixelView->currentIndex().row());
}

void MainWindow::RemoveUserRow(int row)
{
    if (row == -1)
        return;
    session.RemoveUserDefect(row);
    listManager.RemoveUserListItem(row);
    if (!session.UserDefects().isEmpty())
        ValidateUserList(ValidateAfterRemove);
    else
        RecolourCameraList();
}

void MainWindow::on_clearButton_clicked()
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QStringLiteral("Clear User Defective Pixel List?"),
        QStringLiteral("Are you sure you want to clear the user defective pixel list?"), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    session.ClearUserDefects();
    listManager.ClearList(UserList);
    RecolourCameraList();
}

// Without user entries only the camera's own runs of more than four are left to show.
void MainWindow::RecolourCameraList()
{
    listManager.HighlightCameraListDefects(session.CameraDefects(), session.Description(), true);
}

void MainWindow::on_loadButton_clicked()
{
    if (!session.UserDefects().isEmpty()) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, QStringLiteral("Overwrite User Defective Pixel List?"),
            QStringLiteral("Warning! User defect list not empty. Are you sure you want to overwrite list?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    const QString fileName = QFileDialog::getOpenFileName(this, QStringLiteral("Open Custom Defective Pixel List"),
                                                          StartDirectory, ListFilter);
    if (fileName.isEmpty())
        return;
    if (session.LoadUserList({fileName}) != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Incorrect file format"),
                              QStringLiteral("Please refer to the help page for the correct defective pixel list file format."));
        return;
    }
    listManager.LoadUserList(session.UserDefects());
    ValidateUserList(ValidateAfterLoad);
}

void MainWindow::on_saveButton_clicked()
{
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Save As..."), StartDirectory,
                                                          ListFilter);
    if (fileName.isEmpty())
        return;
    if (session.SaveUserList(fileName) != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Save Error"),
                              QStringLiteral("Could not save user defective pixel list file."));
    }
}

void MainWindow::on_uploadButton_clicked()
{
    UnderWaitCursor(&MainWindow::UploadUserList);
}

void MainWindow::UploadUserList()
{
    if (!CameraAndUserListsPresent()) {
        QMessageBox::warning(this, QStringLiteral("Upload Error"),
                             QStringLiteral("User defective pixel list empty. Please verify contents and try again."));
        return;
    }
    const Session::Outcome outcome = Transfer([this] {
        return session.Upload([this](const QList<Finding> &findings) { return AcceptedForUpload(findings); });
    });
    if (outcome == Session::NotEncoded || outcome == Session::Declined) {
        LogLine(QStringLiteral("Error! Prepare binary defect file failed."));
        return;
    }
    if (!CopyKept(outcome))
        return;
    if (outcome != Session::Done) {
        QMessageBox::critical(this, QStringLiteral("Upload Error"),
                              QStringLiteral("Could not upload user defective pixel list to camera. Please try again."));
        TellPutBack();
        return;
    }
    on_downloadButton_clicked();
}

// Asked on the window's thread while the upload's own waits for the answer.
bool MainWindow::AcceptedForUpload(const QList<Finding> &findings)
{
    bool accepted = false;
    QMetaObject::invokeMethod(
        this,
        [this, &findings, &accepted] {
            accepted = listManager.ValidateDefectivePixelCoordinates(findings, session.Description(), ValidateForUpload);
        },
        Qt::BlockingQueuedConnection);
    return accepted;
}

void MainWindow::on_helpButton_clicked()
{
    HelpDialog dialog(this);
    dialog.exec();
}

void MainWindow::on_aboutButton_clicked()
{
    AboutDialog dialog(session.SdkVersion(), this);
    dialog.exec();
}

void MainWindow::OnCameraListChanged(int changed)
{
    if (transferring) {
        listChangesHeld.append(changed);
        return;
    }
    if (changed == CameraAppeared)
        LogLine(QStringLiteral("Camera list changed. A new camera was discovered by Zorvik."));
    else if (changed == CameraDisappeared)
        LogLine(QStringLiteral("Camera list changed. A camera was disconnected from the system."));
    else
        return;
    UpdateCameraListView();
}

void MainWindow::UpdateCameraListView()
{
    ui.cameraList->clear();
    ui.cameraList->insertItems(ui.cameraList->count(), session.CameraEntries());
}

void MainWindow::HighlightDefects(QList<PixelCoords> highlightList, DefectiveListType listType,
                                  QColor highlightColor)
{
    const DefectiveListType type = listType == CameraList ? CameraList : UserList;
    const QList<PixelCoords> coordinates = listManager.GetCoordinateList(type);
    QStandardItemModel *model = listManager.GetModel(type);

    // The first row of each coordinate, found once per call instead of a scan per coordinate.
    QHash<quint32, int> firstRow;
    firstRow.reserve(coordinates.size());
    for (int row = coordinates.size() - 1; row >= 0; --row)
        firstRow.insert(PackedCoords(coordinates.at(row)), row);

    for (const PixelCoords &coordinate : highlightList) {
        const auto found = firstRow.constFind(PackedCoords(coordinate));
        if (found == firstRow.constEnd())
            continue;
        model->setData(model->index(found.value(), 0), QVariant(highlightColor), Qt::BackgroundRole);
        model->setData(model->index(found.value(), 1), QVariant(highlightColor), Qt::BackgroundRole);
    }
    QCoreApplication::processEvents();
}
