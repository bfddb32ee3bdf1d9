// Built without the SDK's include path, as the application is: the camera headers it uses
// must not need the SDK's.
#include "CameraInterface.h"
#include "ErrorCodeToText.h"

#include <QtTest>

class TestErrorCodeToText : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("success") << 0 << "(No error)";
        QTest::newRow("bad handle") << -4 << "(The given handle is not valid)";
        QTest::newRow("other") << -13 << "(Other error)";
        QTest::newRow("last in the table") << -19 << "(A multiple register read or write was partially completed)";
        QTest::newRow("viewer timeout") << 7000 << "<Viewer Timeout>";
        QTest::newRow("below the table") << -20 << "(Return code undefined)";
        QTest::newRow("positive unknown") << 1 << "(Return code undefined)";
    }

    void texts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(ErrorCodeToText(static_cast<CVN::ZvkAPI::ZvkErrorType>(code)), text);
    }
};

QTEST_APPLESS_MAIN(TestErrorCodeToText)
#include "tst_errorcodetotext.moc"
