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
    void fieldsKeepTheSizeTheirTextNeeds();
};

namespace {

// Counts the layout requests the main window receives.
class LayoutRequests : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return false;
    }
};

} // namespace

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

// The caret's position changes on every key: a value of the same size must not lay the whole window
// out again, and one that needs more room gets it, shown whole.
void TestStatusBar::fieldsKeepTheSizeTheirTextNeeds()
{
    QMainWindow window;
    const Settings settings;
    StatusBar bar(&window, settings);
    window.resize(800, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bar.lblXY->setText(QStringLiteral("10:1"));
    // The field's own request reaches the status bar first, then the window.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    LayoutRequests requests;
    window.installEventFilter(&requests);
    for (const char *xy : {"10:2", "10:3", "11:3", "12:4"}) {
        bar.lblXY->setText(QLatin1String(xy));
        QCoreApplication::processEvents();
    }
    const QFontMetrics metrics(bar.lblXY->font());
    if (metrics.horizontalAdvance(QStringLiteral("10:2")) == metrics.horizontalAdvance(QStringLiteral("12:4")))
        QCOMPARE(requests.count, 0);

    const QString longer = QStringLiteral("123456:7890(WW)");
    bar.lblXY->setText(longer);
    QCoreApplication::processEvents();
    QVERIFY(bar.lblXY->contentsRect().width() >= metrics.horizontalAdvance(longer));
    QCOMPARE(bar.lblXY->size(), bar.lblXY->sizeHint());
    bar.lblXY->setText(QStringLiteral("1:1"));
    QCoreApplication::processEvents();
    QCOMPARE(bar.lblXY->size(), bar.lblXY->sizeHint());
    // A larger font makes room for the same text.
    QFont font = bar.lblXY->font();
    font.setPointSizeF(font.pointSizeF() * 2);
    bar.lblXY->setFont(font);
    QCoreApplication::processEvents();
    QCOMPARE(bar.lblXY->size(), bar.lblXY->sizeHint());
}

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
