#include "Settings.h"
#include "StatusBar.h"

#include <QLabel>
#include <QMainWindow>
#include <QtTest>

class TestStatusBar : public QObject {
    Q_OBJECT

private slots:
    void modeLabelDoubleClicks_data();
    void modeLabelDoubleClicks();
};

void TestStatusBar::modeLabelDoubleClicks_data()
{
    QTest::addColumn<bool>("encodingLabel");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("conversion");
    QTest::newRow("dos") << false << QStringLiteral("DOS") << QStringLiteral("dosToUnix");
    QTest::newRow("unix") << false << QStringLiteral("UNIX") << QStringLiteral("unixToDos");
    QTest::newRow("binary converts nothing") << false << QStringLiteral("BINARY") << QString();
    QTest::newRow("ascii") << true << QStringLiteral("ASCII") << QStringLiteral("asciiToUnicode");
    QTest::newRow("unicode") << true << QStringLiteral("UNICODE") << QStringLiteral("unicodeToAscii");
    QTest::newRow("utf-8 leaves as unicode does") << true << QStringLiteral("UTF-8") << QStringLiteral("unicodeToAscii");
}

// Each double-click runs the one conversion away from the mode the label shows; single clicks none.
void TestStatusBar::modeLabelDoubleClicks()
{
    QFETCH(bool, encodingLabel);
    QFETCH(QString, shown);
    QFETCH(QString, conversion);
    QMainWindow window;
    const Settings settings;
    StatusBar bar(&window, settings);
    QStringList ran;
    const auto note = [&ran](const char *name) { return [&ran, name] { ran << QLatin1String(name); }; };
    bar.setConversions({note("dosToUnix"), note("unixToDos"), note("asciiToUnicode"), note("unicodeToAscii")});
    window.show();
    QLabel *label = encodingLabel ? bar.lblUC : bar.lblOS;
    label->setText(shown);

    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(ran.isEmpty());
    QTest::mouseDClick(label, Qt::LeftButton);
    QCOMPARE(ran, conversion.isEmpty() ? QStringList() : QStringList{conversion});
    QTest::mouseDClick(encodingLabel ? bar.lblXY : bar.lblSize, Qt::LeftButton);
    QCOMPARE(ran.size(), conversion.isEmpty() ? 0 : 1);
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
