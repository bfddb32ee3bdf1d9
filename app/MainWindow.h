#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "ui_MainWindow.h"

#include "BoxPrompt.h"
#include "ListManager.h"
#include "PixelCoords.h"
#include "FindDefectsDialog.h"
#include "SensorMap.h"
#include "Session.h"
#include "ValidationMode.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <functional>

// The one window of Talvern: each button's slot runs one workflow of its session and shows
// how it went.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_exitButton_clicked();
    void on_connectButton_clicked();
    void on_disconnectButton_clicked();
    void on_downloadButton_clicked();
    void on_restoreButton_clicked();
    void on_backupButton_clicked();
    void on_revertButton_clicked();
    void on_historyButton_clicked();
    void on_mapButton_clicked();
    void AddUserCoordinates(const PixelCoords &coordinates);
    void RemoveUserRow(int row);
    void UpdateMap();
    void ShowEntry(SensorMap::Layer layer, int index);
    void OpenFindDefects();
    void AddCandidates(const QList<PixelCoords> &coords);
    void on_loadButton_clicked();
    void on_saveButton_clicked();
    void on_addButton_clicked();
    void on_removeButton_clicked();
    void on_clearButton_clicked();
    void on_uploadButton_clicked();
    void on_helpButton_clicked();
    void on_aboutButton_clicked();
    void OnCameraListChanged(int changed);
    void OnConnectedCameraDisconnected();
    void UpdateCameraListView();
    void HighlightDefects(QList<PixelCoords> highlightList, DefectiveListType listType, QColor highlightColor);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void SetConnectedState(bool connected);
    void RestoreWindowPosition();
    void SaveWindowPosition();
    void SetupTableViews();
    QString GetCameraDisplayName(QString entry) const;
    void ValidateUserList(ValidationMode mode);

    void UnderWaitCursor(void (MainWindow::*work)());
    Session::Outcome Transfer(const std::function<Session::Outcome()> &work);
    bool AcceptedForUpload(const QList<Finding> &findings);
    bool CameraAndUserListsPresent();
    void DownloadCameraList();
    void BackupDefectFile();
    void RestoreDefectFile();
    void TellRestored(Session::Outcome outcome);
    void RevertDefectFile();
    void RecolourCameraList();
    void UploadUserList();
    void OfferRecovery();
    void FollowListsOnMap();
    bool CopyKept(Session::Outcome outcome);
    void TellPutBack(Session::PutBack putBack, const QString &copyFile);
    void TellPutBack();

    // Declaration order matters: the camera SDK starts before the lists and the form
    // exist, and shuts down after the lists are gone.
    Ui::MainWindow ui;
    QPoint dragPosition;
    QPointer<SensorMap> sensorMap;
    QPointer<FindDefectsDialog> findDefects;
    QTimer mapUpdate;
    QSet<DefectiveListType> mapLayersChanged;
    bool transferring = false;
    bool disconnectHeld = false;
    QList<int> listChangesHeld;
    Session session;
    BoxPrompt boxPrompt;
    ListManager listManager;
};

#endif
