#ifndef WORKFLOWWINDOW_H
#define WORKFLOWWINDOW_H

#include "MainWindow.h"
#include "SimulatedCameras.h"
#include "WhenShown.h"

#include "CoordinatesDialog.h"

#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

// The real main window, shown, on the simulated cameras as they are at the start of every
// test, with the few things a user does to it and sees in it, and a folder for the files the
// user picks.
class WorkflowWindow
{
public:
    // The simulated cameras attached and the settings kept in a temporary folder; call once,
    // before any window.
    static void Prepare()
    {
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        SimulatedCameras::Attach();
    }

    WorkflowWindow()
    {
        SimulatedCameras::Reset();
        if (!files.isValid())
            qFatal("no temporary folder for the user's files");
        window = std::make_unique<MainWindow>();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("the main window was not exposed");
    }

    MainWindow *Window() const { return window.get(); }
    template <typename T>
    T *Find(const char *name) const
    {
        T *widget = window->findChild<T *>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QString File(const QString &name) const { return files.filePath(name); }
    // Writes a file into the user's folder and gives its path.
    QString WriteFile(const QString &name, const QByteArray &content) const
    {
        QFile file(File(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("could not write %s", qPrintable(name));
        return file.fileName();
    }
    QByteArray ReadFile(const QString &name) const
    {
        QFile file(File(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Presses the button under an outer cursor of our own; true when the handler left
    // exactly that cursor behind, that is set and restored its own equally often. The window
    // is active then, as under the user's hand, for boxes that take the active window as parent.
    bool Click(const char *button)
    {
        auto *toolButton = Find<QToolButton>(button);
        if (!toolButton->isEnabled())
            return false;
        QApplication::setActiveWindow(window.get());
        QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
        toolButton->click();
        const QCursor *left = QGuiApplication::overrideCursor();
        const bool balanced = left && left->shape() == Qt::CrossCursor;
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        return balanced;
    }

    // Selects the camera list's row with this text (none when absent) and presses Connect.
    bool Connect(const QString &entry)
    {
        auto *list = Find<QListWidget>("cameraList");
        list->setCurrentItem(list->findItems(entry, Qt::MatchExactly).value(0));
        return Click("connectButton");
    }

    bool ConnectAndDownload(const QString &entry)
    {
        return Connect(entry) && Click("downloadButton") && !Rows("cameraDefectivePixelView").isEmpty();
    }

    // Presses Add and types the coordinate into the dialog.
    bool Add(const PixelCoords &coordinates)
    {
        WhenShown<CoordinatesDialog> typed([&coordinates](CoordinatesDialog *dialog) {
            dialog->findChild<QSpinBox *>("yCoordinate")->setValue(coordinates.row);
            dialog->findChild<QSpinBox *>("xCoordinate")->setValue(coordinates.column);
            dialog->findChild<QAbstractButton *>("okButton")->click();
        });
        return Click("addButton") && typed.answered;
    }

    void SetCurrentUserRow(int row)
    {
        auto *view = Find<QTableView>("userDefectivePixelView");
        view->setCurrentIndex(view->model()->index(row, 0));
    }

    QString CameraLabel() const { return Find<QLabel>("cameraLabel")->text(); }

    // The form's buttons that are enabled, by name (not the tab bar's own scroll buttons).
    QStringList EnabledButtons() const
    {
        QStringList names;
        for (const QToolButton *button : window->findChildren<QToolButton *>()) {
            if (button->isEnabled() && !qobject_cast<QTabBar *>(button->parent()))
                names.append(button->objectName());
        }
        names.sort();
        return names;
    }

    QStringList Listed() const
    {
        auto *list = Find<QListWidget>("cameraList");
        QStringList entries;
        for (int row = 0; row < list->count(); ++row)
            entries.append(list->item(row)->text());
        return entries;
    }

    QList<PixelCoords> Rows(const char *view) const
    {
        const QAbstractItemModel *model = Find<QTableView>(view)->model();
        QList<PixelCoords> rows;
        for (int row = 0; row < model->rowCount(); ++row)
            rows.append({quint16(model->index(row, 0).data().toUInt()), quint16(model->index(row, 1).data().toUInt())});
        return rows;
    }

    QList<int> ColouredRows(const char *view, const QColor &colour) const
    {
        const QAbstractItemModel *model = Find<QTableView>(view)->model();
        QList<int> rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data(Qt::BackgroundRole) == QVariant(colour))
                rows.append(row);
        }
        return rows;
    }

    // The table's rows as the user reads them: "row,column", and " yellow" or " red" when
    // both cells have that colour.
    QStringList Table(const char *view) const
    {
        const QAbstractItemModel *model = Find<QTableView>(view)->model();
        QStringList rows;
        for (int row = 0; row < model->rowCount(); ++row) {
            QString text = model->index(row, 0).data().toString() + ',' + model->index(row, 1).data().toString();
            for (const auto &[colour, name] : {std::pair{QColor(Qt::yellow), " yellow"}, {QColor(Qt::red), " red"}}) {
                const bool first = model->index(row, 0).data(Qt::BackgroundRole) == QVariant(colour);
                if (first != (model->index(row, 1).data(Qt::BackgroundRole) == QVariant(colour)))
                    qFatal("row %d of %s coloured in one cell only", row, view);
                if (first)
                    text += name;
            }
            rows.append(text);
        }
        return rows;
    }

private:
    QTemporaryDir files;
    std::unique_ptr<MainWindow> window;
};

// The list in the order of its packed coordinates, for lists whose order the camera decides.
inline QList<PixelCoords> Sorted(QList<PixelCoords> list)
{
    std::sort(list.begin(), list.end(),
              [](const PixelCoords &a, const PixelCoords &b) { return PackedCoords(a) < PackedCoords(b); });
    return list;
}

#endif
