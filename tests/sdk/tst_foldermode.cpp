// Cameras kept in a folder: the default set, content that lasts across restarts, and
// zorvik-sim changing the cameras of a running SDK.
#include "FlashClient.h"
#include "RecordingObserver.h"

#include <QtTest>

using namespace CVN::ZvkAPI;
using namespace ZorvikSim;

namespace {

const char MonoId[] = "40211001";

ZorvikSystem &System()
{
    return ZorvikSystem::GetInstance();
}

} // namespace

class FolderModeTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder.reset(new QTemporaryDir);
        QVERIFY(folder->isValid());
        path = folder->filePath("cameras");
        UseFolder(path.toStdString());
        SetDurations(5, 5);
    }

    void cleanup()
    {
        System().Shutdown();
        UseMemory();
    }

    void freshFolderHoldsTheDefaultCameras()
    {
        QCOMPARE(RunTool({"list"}), 0);
        for (const char *expected : {"HN2702-M", "HN2703-C", "VX1100-M", "HN2701-M", "Line2-Color", MonoId})
            QVERIFY2(output.contains(expected), expected);
        QCOMPARE(output.trimmed().split('\n').size(), 5); // a header and the four cameras

        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtrVector cameras;
        QCOMPARE(System().GetCameras(cameras), ZvkErrorSuccess);
        QCOMPARE(cameras.size(), size_t(4));
        int idDiffersFromSerial = 0;
        for (const CameraPtr &camera : cameras) {
            std::string id, serial;
            QVERIFY(camera->GetID(id) == ZvkErrorSuccess && camera->GetSerialNumber(serial) == ZvkErrorSuccess);
            idDiffersFromSerial += id != serial ? 1 : 0;
        }
        QCOMPARE(idDiffersFromSerial, 1);
        for (const CameraSpec &setup : DefaultCameras()) // defect capacities in the thousands
            QVERIFY((setup.maxFileSize - 4352) / 8 >= 1000 && (setup.maxFileSize - 4352) / 8 < 10000);
    }

    void contentLastsAcrossRestart()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtr camera = Open(MonoId);
        QVERIFY(camera);
        FlashClient client(camera);
        std::vector<uint8_t> content = Pattern(4104);
        QCOMPARE(client.Upload(CustomDefectFileId, content), ZvkErrorSuccess);
        QTRY_COMPARE(client.Status(), uint64_t(StatusValid));
        QCOMPARE(System().Shutdown(), ZvkErrorSuccess);

        UseFolder(path.toStdString()); // forget everything held in memory
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        camera = Open(MonoId);
        QVERIFY(camera);
        Downloaded read = FlashClient(camera).Download(CustomDefectFileId);
        QVERIFY(read.result == ZvkErrorSuccess && !read.headerMismatch && read.content == content);
    }

    void plugAndUnplugReachTheObserver()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        auto observer = std::make_shared<RecordingObserver>();
        QCOMPARE(System().RegisterCameraListObserver(observer), ZvkErrorSuccess);
        QCOMPARE(RunTool({"plug", "--serial", "900", "--id", "Hot-1", "--sensor", "Bayer"}), 0);
        QTRY_COMPARE(observer->Count(), 1);
        CameraPtr camera = Open("Hot-1");
        QVERIFY(camera);
        QCOMPARE(RunTool({"unplug", "Hot-1"}), 0);
        QTRY_COMPARE(observer->Count(), 2);
        QCOMPARE(observer->Changes(), (std::vector<std::string>{"Hot-1 0", "Hot-1 1"}));
        QVERIFY(observer->NoneOn(std::this_thread::get_id()));
        Uint64Vector values(1);
        QCOMPARE(camera->ReadRegisters({ControlsInquiry1}, values), ZvkErrorNotFound);
    }

    void faultFromTheToolReachesARunningSdk()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        CameraPtr camera = Open(MonoId);
        QVERIFY(camera);
        FlashClient client(camera);
        uint64_t value = 0;
        QCOMPARE(RunTool({"fault", MonoId, "fail-call", "1", "-12"}), 0);
        // The fault fires once, as soon as the running SDK has seen it.
        bool failed = false;
        QTRY_VERIFY((failed = failed || client.Read(FlashFileMaxSize, value) == ZvkErrorTimeout));
        QCOMPARE(client.Read(FlashFileMaxSize, value), ZvkErrorSuccess);
        // Used up, the fault is gone from the camera's file as well.
        QCOMPARE(RunTool({"list"}), 0);
        QVERIFY(!output.contains("fail-call"));

        QCOMPARE(RunTool({"fault", MonoId, "hardware-error"}), 0);
        QTRY_COMPARE(client.Status(), uint64_t(StatusHardwareError));
        QCOMPARE(RunTool({"fault", MonoId, "clear"}), 0);
        QTRY_COMPARE(client.Status(), uint64_t(StatusErased));
    }

    void showAndReset()
    {
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        QVERIFY(SetFile(MonoId, CustomDefectFileId, Pattern(4096)));
        QCOMPARE(RunTool({"show", MonoId}), 0);
        QVERIFY2(output.contains("Custom defect file: 4096 bytes, not a defect file"), qPrintable(output));
        QVERIFY(SetFile(MonoId, CustomDefectFileId, EncodeDefectFile(2048, 2048, "Mono", {{7, 100}, {2000, 31}})));
        QCOMPARE(RunTool({"show", MonoId}), 0);
        QVERIFY2(output.contains("Custom defect file: 4112 bytes, 2 defects"), qPrintable(output));
        QVERIFY(output.contains("  7, 100\n  2000, 31\n"));
        std::vector<uint8_t> factory;
        std::vector<std::pair<uint16_t, uint16_t>> factoryDefects;
        QVERIFY(GetFile(MonoId, FactoryDefectFileId, factory));
        QVERIFY(DecodeDefectFile(factory, factoryDefects));
        QVERIFY(output.contains(
            QString("Factory defect file: %1 bytes, %2 defects").arg(factory.size()).arg(factoryDefects.size())));

        QCOMPARE(RunTool({"reset", MonoId}), 0);
        std::vector<uint8_t> content = {1};
        QTRY_VERIFY(GetFile(MonoId, CustomDefectFileId, content) && content.empty());
    }

    void toolExitCodes_data()
    {
        using Args = QStringList;
        QTest::addColumn<Args>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("help") << Args{"--help"} << 0 << "";
        QTest::newRow("no command") << Args{} << 2 << "no command given";
        QTest::newRow("unknown command") << Args{"frobnicate"} << 2 << "unknown command 'frobnicate'";
        QTest::newRow("list with an argument") << Args{"list", "x"} << 2 << "list takes no arguments";
        QTest::newRow("plug without serial") << Args{"plug", "--model", "HN2702-M"} << 2 << "plug needs --serial";
        QTest::newRow("plug with a bad width")
            << Args{"plug", "--serial", "5", "--width", "wide"} << 2 << "invalid value for --width: 'wide'";
        QTest::newRow("plug with a bad ID")
            << Args{"plug", "--serial", "5", "--id", "a/b"} << 2 << "cannot use ID 'a/b'";
        QTest::newRow("plug an ID in use")
            << Args{"plug", "--serial", MonoId} << 1 << "a camera with ID '40211001' is already plugged in";
        QTest::newRow("unplug an unknown camera") << Args{"unplug", "nobody"} << 1 << "no camera with ID 'nobody'";
        QTest::newRow("show without ID") << Args{"show"} << 2 << "show needs exactly one camera ID";
        QTest::newRow("reset an unknown camera") << Args{"reset", "nobody"} << 1 << "no camera with ID 'nobody'";
        QTest::newRow("unknown fault kind")
            << Args{"fault", MonoId, "gremlins"} << 2 << "unknown fault kind 'gremlins'";
        QTest::newRow("fault count not a number")
            << Args{"fault", MonoId, "fail-call", "x"} << 2 << "the count must be a positive number";
        QTest::newRow("fault code zero")
            << Args{"fault", MonoId, "fail-call", "1", "0"} << 2 << "the code must be a non-zero number";
    }

    void toolExitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QCOMPARE(RunTool(arguments), exitCode);
        if (exitCode == 0)
            QVERIFY(output.startsWith("Usage: zorvik-sim"));
        else
            QVERIFY2(errors.startsWith("zorvik-sim: " + message), qPrintable(errors));
    }

    void unreadableCameraFilesAreSkipped_data()
    {
        const QByteArray good = "model=HN2702-M\nserial=77\nid=77\nwidth=640\nheight=480\nsensor=Mono\n"
                                "flash-file-system=yes\nmax-file-size=8192\n";
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("listed");
        QTest::newRow("a good file") << "77.camera" << good + "fault=none\n" << true;
        QTest::newRow("with a fault") << "77.camera" << good + "fault=stuck 1 -13\n" << true;
        QTest::newRow("an unknown fault") << "77.camera" << good + "fault=gremlins 1 -13\n" << false;
        QTest::newRow("a fault count of 0") << "77.camera" << good + "fault=fail-call 0 -13\n" << false;
        QTest::newRow("a width that is no number") << "77.camera" << good + "width=wide\n" << false;
        QTest::newRow("file name not the ID") << "78.camera" << good << false;
        QTest::newRow("no serial number") << "77.camera" << QByteArray(good).replace("serial=77\n", "") << false;
        QTest::newRow("garbage") << "77.camera" << QByteArray("\x01\x02 no keys at all") << false;
    }

    void unreadableCameraFilesAreSkipped()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, text);
        QFETCH(bool, listed);
        QCOMPARE(Cameras().size(), size_t(4));
        QFile file(QDir(path).filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QCOMPARE(Cameras().size(), size_t(listed ? 5 : 4));
        std::vector<uint8_t> factory;
        QCOMPARE(GetFile("77", FactoryDefectFileId, factory) && !factory.empty(), listed);
        QCOMPARE(Faults("77").size(), size_t(text.contains("stuck") && listed ? 1 : 0));
    }

    void unusableFolderHoldsNoCameras()
    {
        QVERIFY(QFile(folder->filePath("plain-file")).open(QIODevice::WriteOnly));
        UseFolder(folder->filePath("plain-file/cameras").toStdString());
        QVERIFY(Cameras().empty());
        CameraSpec setup;
        setup.serialNumber = "5";
        QVERIFY(!Attach(setup));
        QCOMPARE(System().Startup(), ZvkErrorSuccess);
        uint32_t count = 1;
        QCOMPARE(System().GetCameras(nullptr, count), ZvkErrorSuccess);
        QCOMPARE(count, 0u);
    }

private:
    // Runs zorvik-sim on the test's folder; its exit code, its output kept in output and errors.
    int RunTool(const QStringList &arguments)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZORVIK_SIM_HOME", path);
        tool.setProcessEnvironment(environment);
        tool.start(ZORVIK_SIM_TOOL, arguments);
        if (!tool.waitForFinished(10000))
            return -1;
        output = QString::fromUtf8(tool.readAllStandardOutput());
        errors = QString::fromUtf8(tool.readAllStandardError());
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }

    CameraPtr Open(const char *id)
    {
        CameraPtr camera;
        System().OpenCameraByID(id, ZvkAccessModeFull, camera);
        return camera;
    }

    QScopedPointer<QTemporaryDir> folder;
    QString path, output, errors;
};

QTEST_GUILESS_MAIN(FolderModeTest)
#include "tst_foldermode.moc"
