#include "CommandLine.h"

#include "BackupFileName.h"
#include "CoordinateSet.h"
#include "DefectDetection.h"
#include "DetectionReport.h"
#include "DefectFileLayout.h"
#include "ListFileIO.h"
#include "ListValidation.h"
#include "NeighborByteEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QtEndian>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

QStringList debugLines;
bool verbose = false;

// The camera access lines are kept to explain a refusal, and shown only with --verbose.
void KeepDebugLine(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        debugLines.append(message);
    if (type != QtDebugMsg || verbose)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void PrintLine(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

// Why the list reader refused a file, from its own lines.
QString ListFileReason()
{
    static const QRegularExpression lineRefused(QStringLiteral("^Line \\d+ "));
    for (auto line = debugLines.crbegin(); line != debugLines.crend(); ++line) {
        if (lineRefused.match(*line).hasMatch())
            return line->toLower().left(1) + line->mid(1);
        if (*line == QLatin1String("Incorrect file format!"))
            return QStringLiteral("its first line is not the header Row,Column");
    }
    return QStringLiteral("it is not a list of rows and columns");
}

QString Absolute(const QString &fileName)
{
    return QFileInfo(fileName).absoluteFilePath();
}

QString KindName(Finding::Kind kind)
{
    switch (kind) {
    case Finding::OutsideSensor:
        return QStringLiteral("outsideSensor");
    case Finding::MoreThanEight:
        return QStringLiteral("moreThanEight");
    case Finding::MoreThanFour:
        return QStringLiteral("moreThanFour");
    case Finding::BeyondCapacity:
        return QStringLiteral("beyondCapacity");
    }
    return QString();
}

// The finding as the upload confirmation words it, without its dash.
QString FindingText(Finding::Kind kind)
{
    return ListValidation::Item(kind).mid(2);
}

QJsonArray FindingsJson(const QList<Finding> &findings)
{
    QJsonArray array;
    for (const Finding &finding : findings) {
        array.append(QJsonObject{{QStringLiteral("kind"), KindName(finding.kind)},
                                 {QStringLiteral("text"), FindingText(finding.kind)},
                                 {QStringLiteral("coordinates"), CameraReport::Json(finding.coordinates)},
                                 {QStringLiteral("cameraDefectsLost"), CameraReport::Json(finding.cameraDefectsLost)}});
    }
    return array;
}

QStringList FindingLines(const QList<Finding> &findings, const QString &before = QString())
{
    QStringList lines;
    for (const Finding &finding : findings) {
        const QString text = FindingText(finding.kind);
        lines.append((before.isEmpty() ? text : before + QStringLiteral(" (") + text.toLower() + QLatin1Char(')'))
                     + QStringLiteral(": ")
                     + CameraReport::Text(finding.coordinates));
        if (!finding.cameraDefectsLost.isEmpty())
            lines.append(QStringLiteral("  camera defects no longer corrected: ")
                         + CameraReport::Text(finding.cameraDefectsLost));
    }
    return lines;
}

// Only a run of five to eight is written as it is; everything else found is dropped.
QList<Finding> Dropped(QList<Finding> findings)
{
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [](const Finding &finding) { return finding.kind == Finding::MoreThanFour; }),
                   findings.end());
    return findings;
}

// The model of an entry: "model-serial", with "(ID)" after it when the ID differs.
QString Model(QString entry, const QString &serialNumber, const QString &id)
{
    const QString idPart = QLatin1Char('(') + id + QLatin1Char(')');
    if (entry.endsWith(idPart))
        entry.chop(idPart.size());
    entry.chop(serialNumber.size() + 1);
    return entry;
}

QString Defects(int count)
{
    return count == 1 ? QStringLiteral("1 defect") : QStringLiteral("%1 defects").arg(count);
}

quint32 HeaderWord(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

} // namespace

CommandLine::CommandLine()
{
    usages = {
        {QStringLiteral("cameras"), {&CommandLine::Cameras, 0, 0, false, false}},
        {QStringLiteral("show"), {&CommandLine::Show, 0, 0, false, true}},
        {QStringLiteral("download"), {&CommandLine::Download, 0, 0, true, true}},
        {QStringLiteral("check"), {&CommandLine::Check, 0, 1 << 20, false, true}},
        {QStringLiteral("upload"), {&CommandLine::Upload, 1, 1 << 20, false, true}},
        {QStringLiteral("backup"), {&CommandLine::Backup, 0, 0, true, true}},
        {QStringLiteral("restore"), {&CommandLine::Restore, 0, 1, false, false}},
        {QStringLiteral("revert"), {&CommandLine::Revert, 0, 0, false, false}},
        {QStringLiteral("history"), {&CommandLine::History, 0, 0, false, false}},
        {QStringLiteral("recover"), {&CommandLine::Recover, 0, 0, false, false}},
        {QStringLiteral("decode"), {&CommandLine::Decode, 1, 1, false, false}},
        {QStringLiteral("detect"), {&CommandLine::Detect, 0, 0, false, false}},
    };
    connect(&session, &Session::TransferProgress, this, &CommandLine::ShowProgress);
}

void CommandLine::SetupParser()
{
    parser.setApplicationDescription(HelpText());
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do; see the list above."));
    parser.addOptions({
        {QStringLiteral("all"), QStringLiteral("Run the command on every supported camera with a flash file system.")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("The file to write (with --all: the folder, one file per camera named after its serial number)."),
         QStringLiteral("path")},
        {QStringLiteral("yes"), QStringLiteral("Go on where the window would ask: drop what the camera cannot hold, revert.")},
        {QStringLiteral("from-history"),
         QStringLiteral("restore: the copy to restore from the history, by its number, 'latest' or 'factory'."),
         QStringLiteral("which")},
        {QStringLiteral("no-backup"),
         QStringLiteral("Write without keeping a copy of the camera's file first, and without putting it back on failure.")},
        {QStringLiteral("camera"), QStringLiteral("detect: check the frames against this camera and mark what its list holds."),
         QStringLiteral("CAMERA")},
        {QStringLiteral("width"), QStringLiteral("detect: the width of .raw frames."), QStringLiteral("W")},
        {QStringLiteral("height"), QStringLiteral("detect: the height of .raw frames."), QStringLiteral("H")},
        {QStringLiteral("bayer"), QStringLiteral("detect: compare each pixel with its own colour (without --camera).")},
        {QStringLiteral("hot"), QStringLiteral("detect: the hot threshold in robust spreads."), QStringLiteral("N")},
        {QStringLiteral("flicker"), QStringLiteral("detect: the flickering threshold as a factor of the typical spread."), QStringLiteral("N")},
        {QStringLiteral("dead"), QStringLiteral("detect: the dead threshold as a share of the neighbourhood's response."), QStringLiteral("N")},
        {QStringLiteral("deviation"), QStringLiteral("detect: the weak or bright threshold as a share of the neighbourhood's response."), QStringLiteral("N")},
        {QStringLiteral("neighbourhood"), QStringLiteral("detect: same-colour pixels along a side of the neighbourhood."), QStringLiteral("N")},
        {QStringLiteral("json"), QStringLiteral("Print one JSON document on standard output.")},
        {QStringLiteral("verbose"), QStringLiteral("Print the camera access lines on standard error.")},
    });
    parser.addHelpOption();
    parser.addVersionOption();
}

QString CommandLine::HelpText() const
{
    return QStringLiteral(
        "The defective pixel lists of Zorvik cameras, from a shell or a script.\n"
        "\n"
        "Commands (CAMERA is a serial number, a camera ID or an entry as 'cameras' prints it;\n"
        "--all in its place runs show, check, download, backup or upload on every camera):\n"
        "  cameras                          every attached camera\n"
        "  show CAMERA                      the camera and its defect list\n"
        "  download CAMERA -o FILE.csv      the camera's defect list as a list file\n"
        "  check CAMERA [FILE.csv ...]      what an upload of these files would find\n"
        "  upload CAMERA FILE.csv ... [--yes]  the camera's list and these files into the camera\n"
        "  backup CAMERA -o FILE.bin        the camera's defect file, byte for byte\n"
        "  restore CAMERA FILE.bin          a backup into the camera\n"
        "  restore CAMERA --from-history N|latest|factory  a copy from the history into the camera\n"
        "  revert CAMERA --yes              the camera back to its factory list\n"
        "  history CAMERA                   the copies kept of the camera's file, newest first\n"
        "  recover CAMERA                   the list a camera held before a write that did not finish\n"
        "  decode FILE.bin                  a backup's header and defects\n"
        "  detect --dark FILES --flat FILES [--camera CAMERA] [-o FILE.csv]\n"
        "                                   defective pixels found in dark and flat frames (16-bit PGM,\n"
        "                                   8/16-bit PNG or TIFF, .raw with --width and --height); -o writes\n"
        "                                   those the camera list does not hold, ready for upload\n"
        "\n"
        "Exit status: 0 done; 1 refused (findings or a question without --yes, a file that is not\n"
        "a list file, a backup that does not fit the camera); 2 usage error; 3 camera not found,\n"
        "not supported or without the flash file system; 4 a transfer with the camera failed;\n"
        "5 a file could not be read or written, or no copy of the camera's file could be kept.\n"
        "\n"
        "Before every upload, restore and revert the camera's file is copied into the history;\n"
        "when the write fails, that copy is put back.\n"
        "\n"
        "detect's thresholds and their defaults:\n  ")
        + DescribeSettings().join(QStringLiteral("\n  "));
}

int CommandLine::Run(const QStringList &arguments)
{
    SetupParser();
    if (!parser.parse(DetectionReport::TakeFrameLists(arguments, &frameLists.darks, &frameLists.flats)))
        return UsageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        PrintLine(stdout, parser.helpText());
        return CameraReport::Done;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        PrintLine(stdout, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion());
        return CameraReport::Done;
    }
    verbose = parser.isSet(QStringLiteral("verbose"));
    qInstallMessageHandler(KeepDebugLine);
    json = parser.isSet(QStringLiteral("json"));
    yes = parser.isSet(QStringLiteral("yes"));
    session.SetKeepCopies(!parser.isSet(QStringLiteral("no-backup")));
    fromHistory = parser.value(QStringLiteral("from-history"));
    all = parser.isSet(QStringLiteral("all"));
    output = parser.value(QStringLiteral("output"));
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return UsageError(QStringLiteral("no command given; see --help"));
    command = positional.takeFirst();
    if (!usages.contains(command))
        return UsageError(QStringLiteral("unknown command '%1'; see --help").arg(command));
    return RunCommand(command, usages.value(command), positional);
}

int CommandLine::UsageError(const QString &error)
{
    PrintLine(stderr, QStringLiteral("talvern-cli: ") + error);
    return CameraReport::UsageError;
}

int CommandLine::RunCommand(const QString &command, const Usage &usage, QStringList arguments)
{
    const bool onCamera = usage.run != &CommandLine::Cameras && usage.run != &CommandLine::Decode
                          && usage.run != &CommandLine::Detect;
    if (all && !usage.all)
        return UsageError(QStringLiteral("%1 does not take --all").arg(command));
    if (onCamera && !all && arguments.isEmpty())
        return UsageError(QStringLiteral("%1 needs a camera (or --all)").arg(command));
    const QString camera = onCamera && !all ? arguments.takeFirst() : QString();
    if (arguments.size() < usage.minimumFiles || arguments.size() > usage.maximumFiles)
        return UsageError(QStringLiteral("wrong number of files for %1; see --help").arg(command));
    if (usage.output && output.isEmpty())
        return UsageError(QStringLiteral("%1 needs -o and the file to write").arg(command));
    if (usage.run == &CommandLine::Restore && arguments.isEmpty() == fromHistory.isEmpty())
        return UsageError(QStringLiteral("restore needs a backup file or --from-history"));
    files = arguments;
    if (!onCamera)
        return Print((this->*usage.run)(QString()), QString());
    return all ? RunOnEveryCamera(usage.run) : RunOnCamera(camera, usage.run);
}

int CommandLine::RunOnCamera(const QString &camera, CameraCommand run)
{
    CameraReport failure;
    const QString entry = Resolve(camera, failure);
    if (entry.isEmpty())
        return Print(failure, QString());
    progressEntry = entry;
    CameraReport report = (this->*run)(entry);
    EndProgress();
    session.Disconnect();
    return Print(report, entry);
}

int CommandLine::RunOnEveryCamera(CameraCommand run)
{
    QJsonArray cameras;
    int worst = CameraReport::Done;
    for (const QString &entry : session.CameraEntries()) {
        // A supported model without the flash file system has no list to work on.
        const bool withFileSystem = session.IsModelSupported(entry) && session.Connect(entry) != Session::NoFileSystem;
        session.Disconnect();
        if (!withFileSystem)
            continue;
        progressEntry = entry;
        const CameraReport report = (this->*run)(entry);
        EndProgress();
        session.Disconnect();
        worst = std::max<int>(worst, report.status);
        cameras.append(report.Document(entry));
        if (!json)
            PrintLine(report.error.isEmpty() ? stdout : stderr,
                      report.error.isEmpty() ? entry + QStringLiteral(": ") + report.summary
                                             : QStringLiteral("talvern-cli: ") + entry + QStringLiteral(": ") + report.error);
    }
    if (json)
        PrintLine(stdout, QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("cameras"), cameras},
                                                                       {QStringLiteral("status"), worst}})
                                                .toJson(QJsonDocument::Compact)));
    return worst;
}

int CommandLine::Print(const CameraReport &report, const QString &entry)
{
    if (!report.error.isEmpty())
        PrintLine(stderr, QStringLiteral("talvern-cli: ") + report.error);
    if (json) {
        PrintLine(stdout, QString::fromUtf8(QJsonDocument(report.Document(entry)).toJson(QJsonDocument::Compact)));
        return report.status;
    }
    if (report.error.isEmpty()) {
        for (const QString &line : qAsConst(report.lines))
            PrintLine(stdout, line);
        if (!report.summary.isEmpty())
            PrintLine(stdout, report.summary);
    }
    return report.status;
}

QString CommandLine::Resolve(const QString &camera, CameraReport &failure)
{
    const QStringList entries = session.CameraEntries();
    const QStringList ids = session.CameraIds();
    const QStringList serialNumbers = session.CameraSerialNumbers();
    QStringList matches;
    for (int index = 0; index < entries.size(); ++index) {
        if (entries[index] == camera || ids.value(index) == camera || serialNumbers.value(index) == camera)
            matches.append(entries[index]);
    }
    if (matches.size() == 1)
        return matches.first();
    const QString attached = entries.isEmpty() ? QStringLiteral("none") : entries.join(QStringLiteral(", "));
    const QString problem = matches.isEmpty() ? QStringLiteral("no camera '%1' is attached")
                                              : QStringLiteral("'%1' names more than one camera");
    failure = CameraReport::Failure(CameraReport::CameraNotFound,
                                    problem.arg(camera) + QStringLiteral("; attached: ") + attached);
    return QString();
}

// A camera whose last write did not finish is named on standard error by every command but recover.
CameraReport CommandLine::Open(const QString &entry)
{
    const Session::Outcome outcome = session.Connect(entry);
    if (outcome != Session::Done)
        return Failed(outcome, entry);
    if (command != QLatin1String("recover") && session.UnfinishedWrite())
        PrintLine(stderr, QStringLiteral("talvern-cli: warning: a write into %1 did not finish; 'talvern-cli recover "
                                         "%2' puts back the list it held before")
                              .arg(entry, session.Description().serialNumber));
    return CameraReport();
}

CameraReport CommandLine::Failed(Session::Outcome outcome, const QString &subject) const
{
    using Report = CameraReport;
    switch (outcome) {
    case Session::Done:
        return Report();
    case Session::NotSupported:
        return Report::Failure(Report::CameraNotFound, subject + QStringLiteral(" is a camera model Talvern does not support"));
    case Session::NotConnected:
        return Report::Failure(Report::CameraNotFound, QStringLiteral("could not connect to ") + subject);
    case Session::NoFileSystem:
        return Report::Failure(Report::CameraNotFound, subject + QStringLiteral(" has no flash file system"));
    case Session::ReadFailed:
        return Report::Failure(Report::TransferFailed, QStringLiteral("could not read the defect file of ") + subject);
    case Session::WriteFailed:
        return Report::Failure(Report::TransferFailed, QStringLiteral("writing into %1 failed").arg(subject) + PutBackText());
    case Session::NotABackup:
        return Report::Failure(Report::Refused, subject + QStringLiteral(" is not a backup of this camera's defect file"));
    case Session::NotAListFile:
        return Report::Failure(Report::Refused, QStringLiteral("%1 is not a list file: %2").arg(subject, ListFileReason()));
    case Session::FileNotRead:
        return Report::Failure(Report::FileFailed, QStringLiteral("could not read ") + subject);
    case Session::FileNotWritten:
        return Report::Failure(Report::FileFailed, QStringLiteral("could not write ") + subject);
    case Session::NothingToUpload:
        return Report::Failure(Report::Refused, QStringLiteral("the list files hold no defects; nothing was uploaded"));
    case Session::NotEncoded:
        return Report::Failure(Report::Refused, QStringLiteral("the list cannot be encoded for the sensor of ") + subject);
    case Session::Declined:
        return Report::Failure(Report::Refused,
                               QStringLiteral("the list holds defects the camera cannot take as they are; nothing was "
                                              "uploaded (see check, or give --yes to drop them)"));
    case Session::NotCopied:
        return Report::Failure(Report::FileFailed,
                               QStringLiteral("could not keep a copy of the defect file of %1; nothing was written "
                                              "(give --no-backup to write without one)").arg(subject));
    }
    return Report();
}

QString CommandLine::PutBackText() const
{
    switch (session.LastPutBack()) {
    case Session::NothingToPutBack:
        break;
    case Session::PutBackDone:
        return QStringLiteral("; its previous list was put back");
    case Session::PutBackFailed:
        return QStringLiteral("; its previous list could not be put back, a copy is kept in ") + session.LastCopy().file;
    }
    return QString();
}

// Connected and the camera list read, as every camera command starts.
CameraReport CommandLine::Downloaded(const QString &entry)
{
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    return Failed(session.Download(), entry);
}

// After a write: the camera's list read back, and how many defects it now holds.
CameraReport CommandLine::Rewritten(const QString &entry, const QString &done)
{
    CameraReport report = Failed(session.Download(), entry);
    if (report.status != CameraReport::Done)
        return report;
    const int defects = session.CameraDefects().size();
    report.summary = done + QStringLiteral("; the camera holds ") + Defects(defects);
    report.json = {{QStringLiteral("defects"), defects}};
    return report;
}

// Downloaded, then the files as the user list.
CameraReport CommandLine::LoadedLists(const QString &entry)
{
    CameraReport report = Downloaded(entry);
    if (report.status != CameraReport::Done || files.isEmpty())
        return report;
    debugLines.clear();
    QString refused;
    const Session::Outcome outcome = session.LoadUserList(files, &refused);
    return Failed(outcome, refused);
}

QJsonObject CommandLine::CameraJson() const
{
    return CameraReport::Json(session.Description());
}

QString CommandLine::OutputFor(const QString &suffix) const
{
    if (!all)
        return Absolute(output);
    return QDir(Absolute(output)).filePath(FileNameSafe(session.Description().serialNumber) + suffix);
}

void CommandLine::ShowProgress(const QString &step, int done, int total)
{
    if (json || !isatty(fileno(stderr)))
        return;
    const QString text = total > 0 ? QStringLiteral("%1 packet %2 of %3").arg(step).arg(done).arg(total) : step;
    std::fprintf(stderr, "\r\033[K%s: %s", qPrintable(progressEntry), qPrintable(text));
    std::fflush(stderr);
    progressShown = true;
}

void CommandLine::EndProgress()
{
    if (progressShown)
        std::fprintf(stderr, "\r\033[K");
    progressShown = false;
}

CameraReport CommandLine::Cameras(const QString &)
{
    CameraReport report;
    const QStringList entries = session.CameraEntries();
    const QStringList ids = session.CameraIds();
    const QStringList serialNumbers = session.CameraSerialNumbers();
    QJsonArray cameras;
    QList<QStringList> rows{{QStringLiteral("ENTRY"), QStringLiteral("MODEL"), QStringLiteral("SERIAL"),
                             QStringLiteral("ID"), QStringLiteral("SUPPORTED"), QStringLiteral("FLASH FILE"),
                             QStringLiteral("SENSOR AND CAPACITY")}};
    for (int index = 0; index < entries.size(); ++index) {
        const QString &entry = entries[index];
        const QString serialNumber = serialNumbers.value(index);
        const QString model = Model(entry, serialNumber, ids.value(index));
        const bool supported = session.IsModelSupported(entry);
        const Session::Outcome outcome = supported ? session.Connect(entry) : Session::NotSupported;
        QJsonObject camera{{QStringLiteral("entry"), entry},
                           {QStringLiteral("model"), model},
                           {QStringLiteral("serialNumber"), serialNumber},
                           {QStringLiteral("id"), ids.value(index)},
                           {QStringLiteral("supported"), supported},
                           {QStringLiteral("flashFileSystem"), supported ? QJsonValue(outcome == Session::Done) : QJsonValue()}};
        QString details = supported ? QStringLiteral("-") : QString();
        if (outcome == Session::Done) {
            const CameraDescription description = session.Description();
            camera = CameraJson();
            camera.insert(QStringLiteral("entry"), entry);
            camera.insert(QStringLiteral("id"), ids.value(index));
            camera.insert(QStringLiteral("supported"), true);
            camera.insert(QStringLiteral("flashFileSystem"), true);
            details = CameraReport::SensorText(description) + QStringLiteral(", room for ") + Defects(description.defectCapacity);
        }
        session.Disconnect();
        cameras.append(camera);
        const QString fileSystem = !supported                ? QStringLiteral("-")
                                   : outcome == Session::Done ? QStringLiteral("yes")
                                                              : QStringLiteral("no");
        rows.append({entry, model, serialNumber, ids.value(index),
                     supported ? QStringLiteral("yes") : QStringLiteral("no"), fileSystem, details});
    }
    if (!entries.isEmpty())
        report.lines = CameraReport::Table(rows);
    report.summary = QStringLiteral("Cameras attached: %1").arg(entries.size());
    report.json.insert(QStringLiteral("cameras"), cameras);
    return report;
}

CameraReport CommandLine::Show(const QString &entry)
{
    CameraReport report = Downloaded(entry);
    if (report.status != CameraReport::Done)
        return report;
    const CameraDescription description = session.Description();
    const QList<PixelCoords> defects = session.CameraDefects();
    const QList<PixelCoords> runList = session.CameraListRuns();
    const CoordinateSet runs(runList);
    report.lines << QStringLiteral("Camera: ") + entry << QStringLiteral("Model: ") + description.model
                 << QStringLiteral("Serial number: ") + description.serialNumber
                 << QStringLiteral("Sensor: ") + CameraReport::SensorText(description)
                 << QStringLiteral("Defect capacity: %1").arg(description.defectCapacity)
                 << QStringLiteral("Row,Column");
    QJsonArray rows;
    for (const PixelCoords &coords : defects) {
        const bool inRun = runs.Contains(coords);
        report.lines.append(QStringLiteral("%1,%2").arg(coords.row).arg(coords.column)
                            + (inRun ? QStringLiteral("  in a run of more than four") : QString()));
        rows.append(QJsonObject{{QStringLiteral("row"), coords.row},
                                {QStringLiteral("column"), coords.column},
                                {QStringLiteral("inRunOfMoreThanFour"), inRun}});
    }
    report.summary = Defects(defects.size()) + QStringLiteral(", %1 in runs of more than four").arg(runList.size());
    report.json = CameraJson();
    report.json.insert(QStringLiteral("defects"), rows);
    return report;
}

CameraReport CommandLine::Download(const QString &entry)
{
    CameraReport report = Downloaded(entry);
    if (report.status != CameraReport::Done)
        return report;
    const QString fileName = OutputFor(QStringLiteral(".csv"));
    if (!ListFileIO().WriteCsvFile(fileName, session.CameraDefects()))
        return Failed(Session::FileNotWritten, fileName);
    report.summary = Defects(session.CameraDefects().size()) + QStringLiteral(" written to ") + fileName;
    report.json = {{QStringLiteral("file"), fileName}, {QStringLiteral("defects"), session.CameraDefects().size()}};
    return report;
}

CameraReport CommandLine::Check(const QString &entry)
{
    CameraReport report = LoadedLists(entry);
    if (report.status != CameraReport::Done)
        return report;
    QList<Finding> findings;
    if (files.isEmpty()) {
        const QList<PixelCoords> runs = session.CameraListRuns();
        if (!runs.isEmpty())
            findings.append({Finding::MoreThanFour, runs, {}});
    } else {
        const Session::ListCheck check = session.Check();
        if (!check.encoded)
            return Failed(Session::NotEncoded, entry);
        findings = check.findings;
    }
    report.lines = FindingLines(findings);
    report.summary = findings.isEmpty()      ? QStringLiteral("No findings")
                     : findings.size() == 1 ? QStringLiteral("1 finding")
                                            : QStringLiteral("%1 findings").arg(findings.size());
    report.json.insert(QStringLiteral("findings"), FindingsJson(findings));
    return report;
}

CameraReport CommandLine::Upload(const QString &entry)
{
    CameraReport report = LoadedLists(entry);
    if (report.status != CameraReport::Done)
        return report;
    QList<Finding> found;
    const Session::Outcome outcome = session.Upload([this, &found](const QList<Finding> &findings) {
        found = findings;
        return findings.isEmpty() || yes;
    });
    if (outcome != Session::Done) {
        report = Failed(outcome, entry);
        report.json.insert(QStringLiteral("findings"), FindingsJson(found));
        return report;
    }
    report = Rewritten(entry, QStringLiteral("Uploaded"));
    const QList<Finding> dropped = Dropped(found);
    report.lines = FindingLines(dropped, QStringLiteral("Dropped"));
    report.json.insert(QStringLiteral("dropped"), FindingsJson(dropped));
    return report;
}

CameraReport CommandLine::Backup(const QString &entry)
{
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    const QString fileName = OutputFor(QStringLiteral(".bin"));
    const Session::Outcome outcome = session.Backup(fileName);
    if (outcome != Session::Done)
        return Failed(outcome, outcome == Session::FileNotWritten ? fileName : entry);
    report.summary = QStringLiteral("Backup written to ") + fileName;
    report.json = {{QStringLiteral("file"), fileName}};
    return report;
}

CameraReport CommandLine::Restore(const QString &entry)
{
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    if (!fromHistory.isEmpty())
        return RestoreFromHistory(entry);
    const QString fileName = Absolute(files.first());
    return Restored(session.Restore(fileName), entry, fileName);
}

// A failed write names the camera, a refused file the file.
CameraReport CommandLine::Restored(Session::Outcome outcome, const QString &entry, const QString &fileName)
{
    if (outcome != Session::Done)
        return Failed(outcome, outcome == Session::WriteFailed || outcome == Session::NotCopied ? entry : fileName);
    return Rewritten(entry, QStringLiteral("Restored"));
}

// N counts as history lists the copies: 1 is the newest.
CameraReport CommandLine::RestoreFromHistory(const QString &entry)
{
    const QList<CameraCopies::Copy> history = session.History();
    bool isNumber = false;
    const int number = fromHistory.toInt(&isNumber);
    int index = isNumber ? number - 1 : -1;
    if (fromHistory == QLatin1String("latest"))
        index = 0;
    if (fromHistory == QLatin1String("factory") && !history.isEmpty()
        && history.last().operation == QLatin1String("factory"))
        index = history.size() - 1;
    if (index < 0 || index >= history.size())
        return CameraReport::Failure(CameraReport::Refused,
                                     QStringLiteral("the history of %1 holds no copy '%2' (see history)").arg(entry, fromHistory));
    const CameraCopies::Copy copy = history[index];
    return Restored(session.RestoreCopy(copy), entry, copy.file);
}

CameraReport CommandLine::History(const QString &entry)
{
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    QList<QStringList> rows{{QStringLiteral("N"), QStringLiteral("TIME (UTC)"), QStringLiteral("DONE"),
                             QStringLiteral("DEFECTS"), QStringLiteral("FILE")}};
    QJsonArray copies;
    const QList<CameraCopies::Copy> history = session.History();
    for (int index = 0; index < history.size(); ++index) {
        const CameraCopies::Copy &copy = history[index];
        const QString time = copy.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        rows.append({QString::number(index + 1), time, copy.Done(), QString::number(copy.defects), copy.file});
        copies.append(QJsonObject{{QStringLiteral("number"), index + 1},
                                  {QStringLiteral("time"), copy.time.toString(Qt::ISODateWithMs)},
                                  {QStringLiteral("operation"), copy.operation},
                                  {QStringLiteral("defects"), copy.defects},
                                  {QStringLiteral("factoryListInUse"), copy.factoryListInUse},
                                  {QStringLiteral("finished"), copy.finished},
                                  {QStringLiteral("sha256"), copy.sha256},
                                  {QStringLiteral("file"), copy.file}});
    }
    if (!history.isEmpty())
        report.lines = CameraReport::Table(rows);
    report.summary = QStringLiteral("Copies kept: %1").arg(history.size());
    report.json = {{QStringLiteral("copies"), copies}};
    return report;
}

CameraReport CommandLine::Recover(const QString &entry)
{
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    const std::optional<CameraCopies::Copy> copy = session.UnfinishedWrite();
    if (!copy) {
        report.summary = QStringLiteral("Nothing to recover: the last write into %1 finished").arg(entry);
        return report;
    }
    const Session::Outcome outcome = session.Recover();
    if (outcome != Session::Done)
        return Failed(outcome, outcome == Session::FileNotRead ? copy->file : entry);
    return Rewritten(entry, QStringLiteral("Recovered"));
}

CameraReport CommandLine::Revert(const QString &entry)
{
    if (!yes)
        return CameraReport::Failure(CameraReport::Refused,
                                     QStringLiteral("revert replaces every defect added to %1 by its factory list; "
                                                    "give --yes to do it").arg(entry));
    CameraReport report = Open(entry);
    if (report.status != CameraReport::Done)
        return report;
    const Session::Outcome outcome = session.Revert();
    if (outcome != Session::Done)
        return Failed(outcome, entry);
    return Rewritten(entry, QStringLiteral("Reverted"));
}

CameraReport CommandLine::Detect(const QString &)
{
    DetectionInput input;
    input.darkFiles = frameLists.darks;
    input.flatFiles = frameLists.flats;
    input.rawSize = QSize(parser.value(QStringLiteral("width")).toInt(), parser.value(QStringLiteral("height")).toInt());
    input.layout = parser.isSet(QStringLiteral("bayer")) ? SensorLayout::Bayer : SensorLayout::Mono;
    DetectionSettings settings;
    if (!ReadSettings(&settings))
        return CameraReport::Failure(CameraReport::UsageError, QStringLiteral("a threshold is not a positive number; see --help"));
    for (const QString &fileName : input.darkFiles + input.flatFiles) {
        if (!QFileInfo(fileName).isReadable())
            return Failed(Session::FileNotRead, fileName);
    }
    QList<PixelCoords> cameraList;
    const QString camera = parser.value(QStringLiteral("camera"));
    if (!camera.isEmpty()) {
        CameraReport failure;
        const QString entry = Resolve(camera, failure);
        if (entry.isEmpty())
            return failure;
        failure = Downloaded(entry);
        if (failure.status != CameraReport::Done)
            return failure;
        const CameraDescription description = session.Description();
        input.sensorSize = QSize(int(description.sensorWidth), int(description.sensorHeight));
        input.layout = description.sensorType == QLatin1String("Bayer") ? SensorLayout::Bayer : SensorLayout::Mono;
        cameraList = session.CameraDefects();
    }
    DefectDetection detection;
    std::vector<Candidate> candidates;
    if (!detection.Run(input, settings, &candidates))
        return CameraReport::Failure(CameraReport::Refused, detection.ErrorString());
    const DetectionReport found(candidates, camera.isEmpty() ? nullptr : &cameraList);
    CameraReport report = found.Report();
    if (!output.isEmpty()) {
        const QString fileName = Absolute(output);
        if (!ListFileIO().WriteCsvFile(fileName, found.NewDefects()))
            return Failed(Session::FileNotWritten, fileName);
        report.lines.append(Defects(found.NewDefects().size()) + QStringLiteral(" written to ") + fileName);
    }
    return report;
}

// The thresholds given on the command line over their defaults.
bool CommandLine::ReadSettings(DetectionSettings *settings) const
{
    const std::pair<const char *, double *> thresholds[] = {{"hot", &settings->hotSpreads},
                                                            {"flicker", &settings->flickerFactor},
                                                            {"dead", &settings->deadFraction},
                                                            {"deviation", &settings->responseDeviation}};
    for (const auto &[name, value] : thresholds) {
        if (!parser.isSet(QLatin1String(name)))
            continue;
        bool isNumber = false;
        *value = parser.value(QLatin1String(name)).toDouble(&isNumber);
        if (!isNumber || *value <= 0)
            return false;
    }
    if (!parser.isSet(QStringLiteral("neighbourhood")))
        return true;
    bool isNumber = false;
    settings->neighbourhood = parser.value(QStringLiteral("neighbourhood")).toInt(&isNumber);
    return isNumber && settings->neighbourhood >= 3;
}

CameraReport CommandLine::Decode(const QString &)
{
    const QString fileName = files.first();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return Failed(Session::FileNotRead, fileName);
    const QByteArray bytes = file.readAll();
    const std::vector<unsigned char> content(bytes.cbegin(), bytes.cend());
    CameraDescription sensor;
    if (bytes.size() >= DefectFileLayout::HeaderSize) {
        sensor.sensorWidth = HeaderWord(bytes, 20);
        sensor.sensorHeight = HeaderWord(bytes, 24);
    }
    if (!ListFileIO().ValidateBackupFile(sensor, content))
        return CameraReport::Failure(CameraReport::Refused, fileName + QStringLiteral(" is not a defect file"));
    QList<PixelCoords> defects;
    DecodeDefectFile(content, &defects);
    CameraReport report;
    const QStringList names{QStringLiteral("byteOrder"), QStringLiteral("version"), QStringLiteral("headerSize"),
                            QStringLiteral("entries"), QStringLiteral("entrySize"), QStringLiteral("sensorWidth"),
                            QStringLiteral("sensorHeight")};
    QJsonObject header;
    for (int word = 0; word < names.size(); ++word) {
        const quint32 value = HeaderWord(bytes, 4 * word);
        header.insert(names[word], qint64(value));
        report.lines.append(names[word] + QStringLiteral(": ")
                            + (word == 0 ? QStringLiteral("0x") + QString::number(value, 16) : QString::number(value)));
    }
    report.lines.append(QStringLiteral("Row,Column"));
    for (const PixelCoords &coords : defects)
        report.lines.append(QStringLiteral("%1,%2").arg(coords.row).arg(coords.column));
    report.summary = Defects(defects.size());
    report.json = {{QStringLiteral("header"), header}, {QStringLiteral("defects"), CameraReport::Json(defects)}};
    return report;
}
