#include "MainWindow.h"

#include "AboutDialog.h"
#include "FramelessWindow.h"
#include "HelpDialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

namespace {

const QString Organisation = QStringLiteral("Corvane");
const QString Application = QStringLiteral("Talvern");
const QString SettingsGroup = QStringLiteral("MainWindow");
const QString PositionKey = QStringLiteral("position");

void ShowModel(QTableView *view, QStandardItemModel *model)
{
    if (!model)
        return;
    view->setModel(model);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

quint32 CoordinateKey(const PixelCoords &coordinates)
{
    return (quint32(coordinates.row) << 16) | coordinates.column;
}

// A frameless window placed where no screen shows any part of it could never be reached.
bool IsOnAnyScreen(const QRect &geometry)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->geometry().intersects(geometry))
            return true;
    }
    return false;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
    , dragPosition(0, 0)
{
    ui.setupUi(this);
    FramelessWindow::Decorate(this, ui.mainFrame);
    SetupTableViews();
    RestoreWindowPosition();

    connect(&cameraInterface, &CameraInterface::CameraListChangedSignal, this, &MainWindow::OnCameraListChanged);
    connect(&cameraInterface, &CameraInterface::ConnectedCameraDisconnected, this,
            &MainWindow::on_disconnectButton_clicked);
    connect(&listManager, &ListManager::HighlightDefects, this, &MainWindow::HighlightDefects);

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
                                                ui.revertButton,   ui.loadButton,    ui.saveButton,
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
        if (IsOnAnyScreen(QRect(position, frameGeometry().size())))
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
}

void MainWindow::on_disconnectButton_clicked()
{
}

void MainWindow::on_downloadButton_clicked()
{
}

void MainWindow::on_restoreButton_clicked()
{
}

void MainWindow::on_backupButton_clicked()
{
}

void MainWindow::on_revertButton_clicked()
{
}

void MainWindow::on_loadButton_clicked()
{
}

void MainWindow::on_saveButton_clicked()
{
}

void MainWindow::on_addButton_clicked()
{
}

void MainWindow::on_removeButton_clicked()
{
}

void MainWindow::on_clearButton_clicked()
{
}

void MainWindow::on_uploadButton_clicked()
{
}

void MainWindow::on_helpButton_clicked()
{
    HelpDialog dialog(this);
    dialog.exec();
}

void MainWindow::on_aboutButton_clicked()
{
    AboutDialog dialog(cameraInterface.GetSdkVersion(), this);
    dialog.exec();
}

void MainWindow::OnCameraListChanged(int changed)
{
    if (changed == 0)
        qDebug().noquote() << QStringLiteral("Camera list changed. A new camera was discovered by Zorvik.");
    else if (changed == 1)
        qDebug().noquote() << QStringLiteral("Camera list changed. A camera was disconnected from the system.");
    else
        return;
    UpdateCameraListView();
}

void MainWindow::UpdateCameraListView()
{
    ui.cameraList->clear();
    ui.cameraList->insertItems(ui.cameraList->count(), cameraInterface.GetCameraList());
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
        firstRow.insert(CoordinateKey(coordinates.at(row)), row);

    for (const PixelCoords &coordinate : highlightList) {
        const auto found = firstRow.constFind(CoordinateKey(coordinate));
        if (found == firstRow.constEnd())
            continue;
        model->setData(model->index(found.value(), 0), QVariant(highlightColor), Qt::BackgroundRole);
        model->setData(model->index(found.value(), 1), QVariant(highlightColor), Qt::BackgroundRole);
    }
    QCoreApplication::processEvents();
}
