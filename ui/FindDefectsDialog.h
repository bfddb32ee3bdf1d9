#ifndef FINDDEFECTSDIALOG_H
#define FINDDEFECTSDIALOG_H

#include "ui_FindDefectsDialog.h"

#include "Candidate.h"
#include "CoordinateSet.h"
#include "DetectionInput.h"
#include "DetectionSettings.h"
#include "PixelCoords.h"
#include "SensorLayout.h"

#include <QDialog>
#include <QList>
#include <QSize>
#include <QStringList>
#include <QVector>

#include <memory>

class DetectionWorker;
class QThread;

// Finds defect candidates in dark and flat frames on a worker thread and lists them with
// whether the camera or user list already holds them; the window shows what it finds on the
// map and adds the chosen new ones to the user list. It keeps no list of its own.
class FindDefectsDialog : public QDialog
{
    Q_OBJECT

public:
    // An invalid sensor size takes frames of any size, as long as they agree.
    FindDefectsDialog(QSize sensorSize, SensorLayout layout, const QList<PixelCoords> &cameraList,
                      const QList<PixelCoords> &userList, QWidget *parent = nullptr);
    ~FindDefectsDialog() override;

    // Marks the listed candidates anew as known or new.
    void SetLists(const QList<PixelCoords> &cameraList, const QList<PixelCoords> &userList);
    // The frames the next run reads, as the Dark Frames and Flat Frames buttons choose them.
    void SetFrames(const QStringList &darks, const QStringList &flats);
    bool IsRunning() const;

public slots:
    // Closing stops a run first.
    void reject() override;

signals:
    // Every candidate of a finished run.
    void CandidatesFound(const QList<PixelCoords> &coords);
    // The chosen candidates that neither list holds.
    void AddRequested(const QList<PixelCoords> &coords);

private slots:
    void on_darkButton_clicked();
    void on_flatButton_clicked();
    void on_findButton_clicked();
    void on_cancelButton_clicked();
    void on_addButton_clicked();
    void UpdateAddButton();

private:
    void ShowSettings(const DetectionSettings &settings);
    QStringList ChooseFrames(const QString &title);
    void ShowFrameCounts();
    DetectionInput Input() const;
    DetectionSettings Settings() const;
    void StartRun();
    void ConnectWorker(DetectionWorker *run);
    void ShowProgress(int done, int total);
    void TakeResult(bool ok, const QString &error, const QVector<Candidate> &found);
    void StopRun();
    void EndRun();
    void ShowRunning(bool running);
    void FillTable();
    void ShowKnown();
    QString KnownAs(PixelCoords coords) const;
    QList<PixelCoords> SelectedNew() const;

    Ui::FindDefectsDialog ui;
    const QSize sensorSize;
    const SensorLayout layout;
    CoordinateSet cameraSet;
    CoordinateSet userSet;
    QStringList darkFiles;
    QStringList flatFiles;
    QVector<Candidate> candidates;
    DetectionWorker *worker = nullptr; // the run under way; a child, none between runs
    std::unique_ptr<QThread> thread;
};

#endif
