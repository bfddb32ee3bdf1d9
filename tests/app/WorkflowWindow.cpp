#include "WorkflowWindow.h"

#include "CoordinatesDialog.h"
#include "SimulatedCameras.h"
#include "WhenShown.h"

#include <QCursor>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

void WorkflowWindow::Prepare()
{
    static QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    SimulatedCameras::Attach();
}

WorkflowWindow::WorkflowWindow()
{
    SimulatedCameras::Reset();
    if (!files.isValid())
        qFatal("no temporary folder for the user's files");
    window = std::make_unique<MainWindow>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("the main window was not exposed");
}

bool WorkflowWindow::Click(const char *button)
{
    auto *toolButton = Find<QToolButton>(button);
    if (!toolButton->isEnabled())
        return false;
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    toolButton->click();
    const QCursor *left = QGuiApplication::overrideCursor();
    const bool balanced = left && left->shape() == Qt::CrossCursor;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    return balanced;
}

bool WorkflowWindow::Connect(const QString &entry)
{
    auto *list = Find<QListWidget>("cameraList");
    const QList<QListWidgetItem *> items = list->findItems(entry, Qt::MatchExactly);
    list->setCurrentItem(items.isEmpty() ? nullptr : items.constFirst());
    return Click("connectButton");
}

bool WorkflowWindow::ConnectAndDownload(const QString &entry)
{
    return Connect(entry) && Click("downloadButton") && !Rows("cameraDefectivePixelView").isEmpty();
}

bool WorkflowWindow::Add(const PixelCoords &coordinates)
{
    WhenShown<CoordinatesDialog> typed([&coordinates](CoordinatesDialog *dialog) {
        dialog->findChild<QSpinBox *>("yCoordinate")->setValue(coordinates.row);
        dialog->findChild<QSpinBox *>("xCoordinate")->setValue(coordinates.column);
        dialog->findChild<QPushButton *>("okButton")->click();
    });
    return Click("addButton") && typed.answered;
}

void WorkflowWindow::SetCurrentUserRow(int row)
{
    QTableView *view = View("userDefectivePixelView");
    view->setCurrentIndex(view->model()->index(row, 0));
}

QString WorkflowWindow::CameraLabel() const
{
    return Find<QLabel>("cameraLabel")->text();
}

QStringList WorkflowWindow::EnabledButtons() const
{
    static const char *const formButtons[] = {
        "helpButton",    "aboutButton",   "exitButton",   "connectButton", "disconnectButton", "refreshButton",
        "downloadButton", "restoreButton", "backupButton", "revertButton",  "loadButton",       "saveButton",
        "addButton",     "removeButton",  "clearButton",  "uploadButton"};
    QStringList names;
    for (const char *name : formButtons) {
        if (Find<QToolButton>(name)->isEnabled())
            names.append(QString::fromLatin1(name));
    }
    names.sort();
    return names;
}

QStringList WorkflowWindow::Listed() const
{
    auto *list = Find<QListWidget>("cameraList");
    QStringList entries;
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

QList<PixelCoords> WorkflowWindow::Rows(const char *view) const
{
    const QAbstractItemModel *model = View(view)->model();
    QList<PixelCoords> rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append({quint16(model->index(row, 0).data().toUInt()), quint16(model->index(row, 1).data().toUInt())});
    return rows;
}

QList<int> WorkflowWindow::ColouredRows(const char *view, const QColor &colour) const
{
    const QAbstractItemModel *model = View(view)->model();
    QList<int> rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        const bool first = model->index(row, 0).data(Qt::BackgroundRole) == QVariant(colour);
        const bool second = model->index(row, 1).data(Qt::BackgroundRole) == QVariant(colour);
        if (first != second)
            qFatal("row %d of %s coloured in one cell only", row, view);
        if (first)
            rows.append(row);
    }
    return rows;
}

QTableView *WorkflowWindow::View(const char *view) const
{
    return Find<QTableView>(view);
}

QList<PixelCoords> Sorted(QList<PixelCoords> list)
{
    std::sort(list.begin(), list.end(),
              [](const PixelCoords &a, const PixelCoords &b) { return PackedCoords(a) < PackedCoords(b); });
    return list;
}
