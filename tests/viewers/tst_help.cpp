#include "AboutInfo.h"
#include "CommandTable.h"
#include "TestSupport.h"
#include "TipList.h"
#include "ViewerWindows.h"
#include "frmAbout.h"
#include "frmMain.h"
#include "frmTip.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QtTest>

// Stands in for the desktop's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TstHelp : public QObject {
    Q_OBJECT
private slots:
    void stepping_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("steps");   // n next, p previous
        QTest::addColumn<QString>("position");
        QTest::newRow("after the last stored tip comes the first") << 3 << "" << "(1/3)";
        QTest::newRow("previous wraps to the last") << 3 << "p" << "(3/3)";
        QTest::newRow("next steps on") << 1 << "n" << "(3/3)";
        QTest::newRow("never shown: the first") << 0 << "" << "(1/3)";
        QTest::newRow("stored index beyond the list") << 99 << "" << "(1/3)";
        QTest::newRow("negative stored index") << -5 << "" << "(1/3)";
        QTest::newRow("back and forth") << 2 << "ppn" << "(2/3)";
    }
    void stepping()
    {
        QFETCH(int, stored);
        QFETCH(QString, steps);
        QFETCH(QString, position);
        QTemporaryDir dir;
        TipList tips;
        tips.setIndex(stored);
        QVERIFY(tips.load(TestSupport::writeFile(dir, "tips.txt", "one\r\ntwo\r\n\r\nthree\\nmore\r\n")));
        for (const QChar step : steps)
            step == u'n' ? tips.next() : tips.previous();
        QCOMPARE(tips.positionText(), position);
        QCOMPARE(tips.count(), 3);
    }

    void missingAndEmptyFiles()
    {
        QTemporaryDir dir;
        TipList tips;
        tips.setIndex(2);
        QVERIFY(!tips.load(dir.filePath(QStringLiteral("tipofday.txt"))));
        QVERIFY(tips.load(TestSupport::writeFile(dir, "empty.txt", "\r\n  \r\n")));
        tips.next();
        tips.previous();
        QCOMPARE(tips.index(), 2);
        QCOMPARE(tips.currentText(), QString());
        QCOMPARE(tips.positionText(), QString());
    }

    // The window on a real main window: the tip, its line break, the start-up box written at once,
    // the shown tip's number stored and written as soon as it is shown, so the next start goes on.
    void tipWindow()
    {
        QTemporaryDir dir;
        TestSupport::writeFile(dir, "tipofday.txt", "first\r\nsecond\\nline\r\nthird\r\n");
        TestSupport::PrompterGuard prompter;
        frmMain window(dir.path());
        window.settings().CurrentTip = 1;
        window.settings().ShowTip = true;
        const auto written = [&] { return TestSupport::readFile(dir.filePath(QStringLiteral("settings.ini"))); };
        CommandTable::findCommand(&window, "mnuHelpTipoftheDay")->trigger();
        auto *tip = window.findChild<frmTip *>(QStringLiteral("frmTip"));
        QVERIFY(tip);
        QCOMPARE(tip->lblTipText->text(), QStringLiteral("second\nline"));
        QCOMPARE(tip->lblTipXY->text(), QStringLiteral("(2/3)"));
        QCOMPARE(window.settings().CurrentTip, 2);
        QVERIFY(written().contains("CurrentTip=2\r\n"));
        QVERIFY(tip->chkLoadTipsAtStartup->isChecked());

        tip->chkLoadTipsAtStartup->click();
        QVERIFY(!window.settings().ShowTip);
        QVERIFY(written().contains("ShowTip=0"));

        tip->cmdNextTip->click();
        QVERIFY(written().contains("CurrentTip=3\r\n"));
        tip->close();
        QCOMPARE(window.settings().CurrentTip, 3);

        CommandTable::findCommand(&window, "mnuHelpTipoftheDay")->trigger();
        // The closed window is only deleted later: a fresh one is shown.
        QVERIFY(window.viewers().tipWindow() != tip);
        tip = window.viewers().tipWindow();
        QVERIFY(tip);
        QCOMPARE(tip->lblTipXY->text(), QStringLiteral("(1/3)"));
        tip->Command1->click();
        tip->Command1->click();
        tip->cmdOK->click();
        QCOMPARE(window.settings().CurrentTip, 2);
        QVERIFY(written().contains("CurrentTip=2\r\n"));
        QVERIFY(prompter->asked.isEmpty());
    }

    void tipsFileMissing()
    {
        QTemporaryDir dir;
        Settings settings;
        frmTip tip(settings, dir.filePath(QStringLiteral("tipofday.txt")), nullptr);
        QCOMPARE(tip.lblTipText->text(),
                 QStringLiteral("That the tipofday.txt file was not found? \n\nCreate a text file named tipofday.txt using "
                                "Orvane with 1 tip per line. Then place it in the same directory as the application. "));
        QVERIFY(!tip.cmdNextTip->isEnabled());
    }

    void helpMenu()
    {
        QTemporaryDir dir;
        TestSupport::PrompterGuard prompter;
        frmMain window(dir.path());
        auto *help = window.menuBar()->findChild<QMenu *>(QStringLiteral("mnuHelp"));
        QAction *about = CommandTable::findCommand(&window, "mnuHelpAbout");
        about->setText(QString());
        emit help->aboutToShow();
        QCOMPARE(about->text(), QStringLiteral("About Orvane..."));

        // No manual in the folder: said so, nothing opened.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        prompter->answers << QMessageBox::Ok;
        CommandTable::findCommand(&window, "mnuHelpIndex")->trigger();
        QCOMPARE(prompter->asked.size(), 1);
        QVERIFY(catcher.opened.isEmpty());

        QDir(dir.path()).mkdir(QStringLiteral("help"));
        TestSupport::writeFile(dir, "help/index.html", "<html></html>");
        CommandTable::findCommand(&window, "mnuHelpIndex")->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(dir.filePath(QStringLiteral("help/index.html")))});
        QCOMPARE(prompter->asked.size(), 1);

        QString shown;
        QTimer::singleShot(0, &window, [&] {
            if (auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget())) {
                shown = box->lblTitle->text() + QLatin1Char('\n') + box->lblText->text();
                box->cmdOK->click();
            }
        });
        about->trigger();
        QVERIFY(shown.startsWith(QStringLiteral("Orvane ") + AboutInfo::version()));
        QVERIFY(shown.contains(QLatin1String(qVersion())));
        QVERIFY(shown.contains(QStringLiteral("QScintilla 2.")));
    }

    // The about box showed "Orvane <version>" twice and "version 3 or later" beside a metainfo
    // that says GPL-3.0-only: one name, one version, one licence everywhere.
    void aboutBoxRepeatedItselfAndDisagreedOnTheLicence()
    {
        frmAbout box(QString(), nullptr);
        const QString shown = box.lblTitle->text() + QLatin1Char('\n') + box.lblText->text();
        QCOMPARE(shown.count(AboutInfo::version()), 1);
        QCOMPARE(shown.count(QStringLiteral("Orvane")), 1);

        const QString source = TestSupport::sourceDir();
        QVERIFY(TestSupport::readFile(source + QStringLiteral("/LICENSE")).contains("GNU GENERAL PUBLIC LICENSE\n                       Version 3,"));
        const QString metainfo = QString::fromUtf8(TestSupport::readFile(source + QStringLiteral("/desktop/io.github.orvane.Orvane.metainfo.xml.in")));
        const QString licence = QRegularExpression(QStringLiteral("<project_license>([^<]+)</project_license>")).match(metainfo).captured(1);
        QCOMPARE(licence, QStringLiteral("GPL-3.0-only"));
        QTextDocument manual;
        manual.setHtml(QString::fromUtf8(TestSupport::readFile(source + QStringLiteral("/data/help/index.html"))));
        const QString readme = QString::fromUtf8(TestSupport::readFile(source + QStringLiteral("/README.md")));
        for (const QString &text : {shown, manual.toPlainText()}) {
            QVERIFY(text.contains(licence));
            QVERIFY(!text.contains(QStringLiteral("or later")));
        }
        QVERIFY(readme.contains(licence + QStringLiteral(" (see `LICENSE`)")));
    }

    // The shipped manual names every command of the menus, and the tips file is worth opening.
    void shippedFiles()
    {
        const QString source = TestSupport::sourceDir() + QStringLiteral("/data/");
        QTextDocument manual;
        manual.setHtml(QString::fromUtf8(TestSupport::readFile(source + QStringLiteral("help/index.html"))));
        const QString text = manual.toPlainText().simplified();
        QVERIFY(text.size() > 10000);
        for (const CommandInfo &command : CommandTable::commands()) {
            QString caption = command.caption;
            caption.remove(QLatin1Char('&'));
            caption = caption.simplified();
            if (caption.endsWith(QStringLiteral("...")))
                caption.chop(3);
            if (!caption.isEmpty())
                QVERIFY2(text.contains(caption, Qt::CaseInsensitive), qPrintable(caption));
        }
        for (const char *page : {"help/templatevariables.html", "help/OrvaneDoc.png"})
            QVERIFY2(QFileInfo::exists(source + QLatin1String(page)), page);

        TipList tips;
        QVERIFY(tips.load(source + QStringLiteral("tipofday.txt")));
        QVERIFY(tips.count() >= 30);
    }
};

QTEST_MAIN(TstHelp)
#include "tst_help.moc"
