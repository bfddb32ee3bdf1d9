#include "CoordinatesDialog.h"

#include <QtTest>

// One coordinate typed in: row from the "Row" box, column from the "Column" box.
class tst_CoordinatesDialog : public QObject
{
    Q_OBJECT

private slots:
    void formAfterConstruction();
    void typedValues_data();
    void typedValues();
    void closing_data();
    void closing();
};

void tst_CoordinatesDialog::formAfterConstruction()
{
    CoordinatesDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("CoordinatesDialog"));
    QCOMPARE(dialog.size(), QSize(267, 138));
    QCOMPARE(dialog.findChild<QLabel *>("yLabel")->text(), QStringLiteral("Row"));
    QCOMPARE(dialog.findChild<QLabel *>("xLabel")->text(), QStringLiteral("Column"));
    QCOMPARE(dialog.findChild<QPushButton *>("okButton")->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.findChild<QPushButton *>("cancelButton")->text(), QStringLiteral("Cancel"));
    for (const char *name : {"yCoordinate", "xCoordinate"}) {
        auto *box = dialog.findChild<QSpinBox *>(name);
        QCOMPARE(box->minimum(), 0);
        QCOMPARE(box->maximum(), 65535);
        QCOMPARE(box->value(), 0);
        QCOMPARE(box->buttonSymbols(), QAbstractSpinBox::NoButtons);
        QCOMPARE(box->font().pointSize(), 10);
    }
    QCOMPARE(dialog.GetCoordinates(), PixelCoords(0, 0));
}

void tst_CoordinatesDialog::typedValues_data()
{
    QTest::addColumn<QString>("rowText");
    QTest::addColumn<QString>("columnText");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("row and column differ") << "3" << "7" << 3 << 7;
    QTest::newRow("largest values") << "65535" << "65535" << 65535 << 65535;
    QTest::newRow("too large is refused") << "70000" << "65536" << 7000 << 6553;
    QTest::newRow("minus sign is refused") << "-5" << "12" << 5 << 12;
}

void tst_CoordinatesDialog::typedValues()
{
    QFETCH(QString, rowText);
    QFETCH(QString, columnText);
    QFETCH(int, row);
    QFETCH(int, column);
    CoordinatesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    for (auto [name, text] : {std::pair{"yCoordinate", rowText}, std::pair{"xCoordinate", columnText}}) {
        auto *box = dialog.findChild<QSpinBox *>(name);
        box->selectAll();
        QTest::keyClicks(box, text);
        box->interpretText();
    }

    const PixelCoords coordinates = dialog.GetCoordinates();
    QCOMPARE(int(coordinates.row), row);
    QCOMPARE(int(coordinates.column), column);
}

void tst_CoordinatesDialog::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "okButton" << int(QDialog::Accepted);
    QTest::newRow("Cancel") << "cancelButton" << int(QDialog::Rejected);
    QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
}

void tst_CoordinatesDialog::closing()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    CoordinatesDialog dialog;
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

QTEST_MAIN(tst_CoordinatesDialog)
#include "tst_CoordinatesDialog.moc"
