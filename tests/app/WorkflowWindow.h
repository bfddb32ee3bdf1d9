#ifndef WORKFLOWWINDOW_H
#define WORKFLOWWINDOW_H

#include "MainWindow.h"

#include <QColor>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QTableView;

// The real main window, shown, on the simulated cameras as they are at the start of every
// test, with the few things a user does to it and sees in it, and a folder for the files the
// user picks.
class WorkflowWindow
{
public:
    // The simulated cameras attached and the settings kept in a temporary folder; call once,
    // before any window.
    static void Prepare();

    WorkflowWindow();

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

    // Presses the button under an outer cursor of our own; true when the handler left
    // exactly that cursor behind, that is set and restored its own equally often.
    bool Click(const char *button);
    // Selects the camera list's row with this text (none when absent) and presses Connect.
    bool Connect(const QString &entry);
    // Connects and downloads the camera list.
    bool ConnectAndDownload(const QString &entry);
    // Presses Add and types the coordinate into the dialog.
    bool Add(const PixelCoords &coordinates);
    void SetCurrentUserRow(int row);

    QString CameraLabel() const;
    QStringList EnabledButtons() const;
    QStringList Listed() const;
    QList<PixelCoords> Rows(const char *view) const;
    QList<int> ColouredRows(const char *view, const QColor &colour) const;

private:
    QTableView *View(const char *view) const;

    QTemporaryDir files;
    std::unique_ptr<MainWindow> window;
};

// The list in the order of its packed coordinates, for lists whose order the camera decides.
QList<PixelCoords> Sorted(QList<PixelCoords> list);

#endif
