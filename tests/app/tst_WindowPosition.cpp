#include "MainWindow.h"

#include "ZorvikSim/Simulator.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

// The one persisted setting: where the window was left.
class tst_WindowPosition : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void savedWhenTheWindowGoes();
    void restoredAtStart_data();
    void restoredAtStart();

private:
    static QVariant StoredPosition();
    static void StorePosition(const QVariant &position);

    QTemporaryDir settingsDir;
};

void tst_WindowPosition::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    ZorvikSim::UseMemory();
}

void tst_WindowPosition::init()
{
    QSettings("Corvane", "Talvern").clear();
}

QVariant tst_WindowPosition::StoredPosition()
{
    QSettings settings("Corvane", "Talvern");
    return settings.value("MainWindow/position");
}

void tst_WindowPosition::StorePosition(const QVariant &position)
{
    QSettings settings("Corvane", "Talvern");
    settings.setValue("MainWindow/position", position);
}

void tst_WindowPosition::savedWhenTheWindowGoes()
{
    {
        MainWindow window;
        window.move(123, 45);
    }
    QCOMPARE(StoredPosition().toPoint(), QPoint(123, 45));

    // The next start opens where the last one was left.
    MainWindow window;
    QCOMPARE(window.pos(), QPoint(123, 45));
}

void tst_WindowPosition::restoredAtStart_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<bool>("used");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QTest::newRow("nothing stored") << false << QPoint() << false;
    QTest::newRow("on the screen") << true << screen.topLeft() + QPoint(60, 70) << true;
    QTest::newRow("mostly left of the screen") << true << screen.topLeft() + QPoint(-350, -600) << true;
    QTest::newRow("just inside the bottom right corner") << true << screen.bottomRight() - QPoint(2, 2) << true;
    QTest::newRow("right of every screen") << true << screen.topRight() + QPoint(3000, 0) << false;
    QTest::newRow("above every screen") << true << screen.topLeft() - QPoint(0, 2000) << false;
}

void tst_WindowPosition::restoredAtStart()
{
    QFETCH(bool, stored);
    QFETCH(QPoint, position);
    QFETCH(bool, used);
    const QPoint unplaced = MainWindow().pos();
    init();
    if (stored)
        StorePosition(position);

    MainWindow window;

    QCOMPARE(window.pos(), used ? position : unplaced);
}

QTEST_MAIN(tst_WindowPosition)
#include "tst_WindowPosition.moc"
