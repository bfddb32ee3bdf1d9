#include "CoordinatesDialog.h"

#include <QtTest>

// One coordinate typed in: row from the "Row" box, column from the "Column" box.
class tst_CoordinatesDialog : public QObject
{
    Q_OBJECT

private slots:
    void typedValues_data()
    {
        QTest::addColumn<QString>("rowText");
        QTest::addColumn<QString>("columnText");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("nothing typed") << "" << "" << 0 << 0;
        QTest::newRow("row and column differ") << "3" << "7" << 3 << 7;
        QTest::newRow("largest values") << "65535" << "65535" << 65535 << 65535;
        QTest::newRow("too large is refused") << "70000" << "65536" << 7000 << 6553;
        QTest::newRow("minus sign is refused") << "-5" << "12" << 5 << 12;
    }

    void typedValues()
    {
        QFETCH(QString, rowText);
        QFETCH(QString, columnText);
        QFETCH(int, row);
        QFETCH(int, column);
        CoordinatesDialog dialog;
        QCOMPARE(dialog.findChild<QLabel *>("yLabel")->text(), QStringLiteral("Row"));
        QCOMPARE(dialog.findChild<QLabel *>("xLabel")->text(), QStringLiteral("Column"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (auto [name, text] : {std::pair{"yCoordinate", rowText}, std::pair{"xCoordinate", columnText}}) {
            auto *box = dialog.findChild<QSpinBox *>(name);
            box->selectAll();
            QTest::keyClicks(box, text);
            box->interpretText();
        }
        QCOMPARE(dialog.GetCoordinates(), PixelCoords(quint16(row), quint16(column)));
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "okButton" << int(QDialog::Accepted);
        QTest::newRow("Cancel") << "cancelButton" << int(QDialog::Rejected);
        QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
    }

    void closing()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        CoordinatesDialog dialog;
        QCOMPARE(dialog.findChild<QPushButton *>("cancelButton")->text(), QStringLiteral("Cancel"));
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (!dialog.isVisible())
                return;
            dialog.findChild<QSpinBox *>("yCoordinate")->setValue(12);
            if (how == "escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.findChild<QPushButton *>(how)->click();
        });
        answer.start(10);
        QCOMPARE(dialog.exec(), result);
        QCOMPARE(dialog.GetCoordinates(), PixelCoords(12, 0));
    }
};

QTEST_MAIN(tst_CoordinatesDialog)
#include "tst_CoordinatesDialog.moc"
