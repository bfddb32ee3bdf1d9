#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include "CameraReport.h"
#include "DetectionSettings.h"
#include "Session.h"

#include <QCommandLineParser>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

// talvern-cli: parses the arguments, runs one command on one camera, every camera or a file,
// prints what it did as text or JSON, and returns the exit status.
class CommandLine : public QObject
{
    Q_OBJECT

public:
    CommandLine();
    int Run(const QStringList &arguments);

private:
    using CameraCommand = CameraReport (CommandLine::*)(const QString &entry);
    // What a command takes after its name.
    struct Usage
    {
        CameraCommand run = nullptr; // none: not run on a camera
        int minimumFiles = 0;
        int maximumFiles = 0;
        bool output = false;         // -o is required
        bool all = false;            // --all may stand for CAMERA
    };

    void SetupParser();
    QString HelpText() const;
    int UsageError(const QString &error);
    int RunCommand(const QString &command, const Usage &usage, QStringList arguments);
    int RunOnCamera(const QString &camera, CameraCommand run);
    int RunOnEveryCamera(CameraCommand run);
    int Print(const CameraReport &report, const QString &entry);

    CameraReport Cameras(const QString &);
    CameraReport Show(const QString &entry);
    CameraReport Download(const QString &entry);
    CameraReport Check(const QString &entry);
    CameraReport Upload(const QString &entry);
    CameraReport Backup(const QString &entry);
    CameraReport Restore(const QString &entry);
    CameraReport Revert(const QString &entry);
    CameraReport RestoreFromHistory(const QString &entry);
    CameraReport Restored(Session::Outcome outcome, const QString &entry, const QString &fileName);
    CameraReport History(const QString &entry);
    CameraReport Recover(const QString &entry);
    CameraReport Decode(const QString &);
    CameraReport Detect(const QString &);
    bool ReadSettings(DetectionSettings *settings) const;

    QString Resolve(const QString &camera, CameraReport &failure);
    CameraReport Open(const QString &entry);
    CameraReport Failed(Session::Outcome outcome, const QString &subject) const;
    QString PutBackText() const;
    CameraReport Downloaded(const QString &entry);
    CameraReport LoadedLists(const QString &entry);
    CameraReport Rewritten(const QString &entry, const QString &done);
    QJsonObject CameraJson() const;
    QString OutputFor(const QString &suffix) const;
    void ShowProgress(const QString &step, int done, int total);
    void EndProgress();

    QCommandLineParser parser;
    QHash<QString, Usage> usages;
    Session session;
    QStringList files;
    QString command;
    QString output;
    QString fromHistory;
    struct
    {
        QStringList darks, flats;
    } frameLists;
    bool all = false;
    bool json = false;
    bool yes = false;
    bool progressShown = false;
    QString progressEntry;
};

#endif
