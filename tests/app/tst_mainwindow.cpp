#include "CriticalError.h"
#include "EditorChrome.h"
#include "LineNumberGutter.h"
#include "StatusBar.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QLabel>
#include <QMenu>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

struct Folders {
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    explicit Folders(bool shippedData)
    {
        if (shippedData)
            seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
    }
    QString doc(const QString &name, const QByteArray &bytes) { return writeFile(docs, name, bytes); }
};

// A main window over its own application folder, with a documents folder and a scripted prompter.
struct Window : Folders, frmMain {
    explicit Window(bool shippedData = false) : Folders(shippedData), frmMain(app.path()) {}
    void showExposed()
    {
        show();
        QVERIFY(QTest::qWaitForWindowExposed(this));
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void captionForms();
    void statusLabels();
    void gutterFollowsTheText();
    void closingAsksOnlyWhenChanged();
    void maximisedWindowWritesState();
    void labelDoubleClicksConvert();
    void hintReturnsToIdleText();
    void languageFollowsTheDocument();
    void criticalErrorReport();
    void saveAsProposals();
};

void TestMainWindow::captionForms()
{
    Window window;
    window.markChanged();
    QCOMPARE(window.windowTitle(), QStringLiteral("Untitled* - Orvane [NOT SAVED]"));
    QTemporaryDir dir;
    const QString folder = QDir::toNativeSeparators(dir.path());
    QVERIFY(window.WriteDocument(dir.filePath(QStringLiteral("b.txt"))));
    window.markChanged();
    QCOMPARE(window.caption(), QStringLiteral("b.txt* @ ") + folder + QStringLiteral(" - Orvane [NOT SAVED]"));
    QVERIFY(window.FileSave());
    QCOMPARE(window.caption(), QStringLiteral("b.txt @ ") + folder + QStringLiteral(" - Orvane"));

    // Typing marks the document changed.
    window.showExposed();
    window.txtText()->setFocus();
    QTest::keyClicks(window.txtText(), QStringLiteral("x"));
    QVERIFY(window.windowTitle().endsWith(QStringLiteral("* @ ") + folder + QStringLiteral(" - Orvane [NOT SAVED]")));
}

void TestMainWindow::statusLabels()
{
    Window window;
    EditorSurface &s = window.surface();
    s.setText(QString(1234, QLatin1Char('x')) + QStringLiteral("\r\nabc"));
    s.setSelStart(1238);
    window.updateXY();
    QCOMPARE(window.statusLabels().lblXY->text(), QStringLiteral("2:3"));
    // A new document is written with LF: the size is the file's.
    QCOMPARE(window.statusLabels().lblSize->text(), QStringLiteral("File Size : 1,238 bytes"));
    s.setSelStart(0);
    s.setSelLength(1234);
    window.ConvertAsciiToUnicode();
    window.updateXY();
    QCOMPARE(window.statusLabels().lblSize->text(), QStringLiteral("Bytes Sel : 2,468"));
    s.setWordWrap(true);
    window.updateXY();
    QCOMPARE(window.statusLabels().lblXY->text(), QStringLiteral("1:1(WW)"));
}

void TestMainWindow::gutterFollowsTheText()
{
    Window window;
    window.resize(600, 400);
    window.showExposed();
    auto &surface = static_cast<ScintillaSurface &>(window.surface());
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("line\r\n");
    surface.setText(text);
    QTest::qWait(50);
    // Wide enough for "  *500" in the editor's font.
    QVERIFY(window.chrome().PicLines->width() >= QFontMetrics(window.chrome().PicLines->font()).horizontalAdvance(QStringLiteral("*500")));
    for (const double size : {8.0, 14.0}) {
        CharFormat format = surface.defaultFormat();
        format.fontSize = size;
        surface.setDefaultFormat(format);
        surface.setFirstVisibleLine(100);
        QTest::qWait(20);
        QCOMPARE(surface.firstVisibleLine(), 100);
        // Row 100 of the gutter starts exactly where the widget draws line 100.
        QCOMPARE(surface.lineTop(100), 0);
        QCOMPARE(surface.lineTop(101), surface.lineHeight());
    }
    QCOMPARE(window.chrome().PicLines->rowText(99), QStringLiteral(" 100"));
}

void TestMainWindow::closingAsksOnlyWhenChanged()
{
    Window window;
    const QString path = window.doc(QStringLiteral("a.txt"), "saved");
    window.ReadFile(path, true);
    window.show();
    window.prompter->answers << QMessageBox::Cancel;
    QVERIFY(window.close());
    QVERIFY(window.prompter->asked.isEmpty());
    window.show();
    window.surface().setSelStart(5);
    window.surface().setSelText(QStringLiteral("!"));
    QVERIFY(!window.close());
    QCOMPARE(window.prompter->asked.size(), 1);
    QCOMPARE(window.prompter->asked[0].text, QStringLiteral("Save changes to ") + path + QStringLiteral("?"));
    window.prompter->answers << QMessageBox::Yes;
    QVERIFY(window.close());
    QCOMPARE(readFile(path), QByteArray("saved!"));
}

void TestMainWindow::maximisedWindowWritesState()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    {
        frmMain window(app.path());
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
    }
    const QByteArray settings2 = readFile(app.filePath(QStringLiteral("settings2.ini")));
    QVERIFY(settings2.contains("\r\nstate=2\r\n"));
    QVERIFY(!settings2.contains("width="));
    {
        frmMain window(app.path());
        QVERIFY(window.windowState() & Qt::WindowMaximized);
        window.showNormal();
        window.close();
    }
    const QByteArray normal = readFile(app.filePath(QStringLiteral("settings2.ini")));
    QVERIFY(normal.contains("\r\nwidth="));
    QVERIFY(!normal.contains("state="));
}

void TestMainWindow::labelDoubleClicksConvert()
{
    Window window;
    const QString path = window.doc(QStringLiteral("u.txt"), "a\nb\n");
    window.ReadFile(path, true);
    window.show();
    QTest::mouseDClick(window.statusLabels().lblOS, Qt::LeftButton);
    QCOMPARE(window.statusLabels().lblOS->text(), QStringLiteral("DOS"));
    QVERIFY(!window.document().isDocumentSaved);
    QTest::mouseDClick(window.statusLabels().lblUC, Qt::LeftButton);
    QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("UNICODE"));
    QVERIFY(window.FileSave());
    QCOMPARE(readFile(path), QByteArray("\xFF\xFE" "a\0\r\0\n\0b\0\r\0\n\0", 14));

    // Leaving Unicode gives UTF-8, which holds every character: nothing is asked or replaced.
    QTest::mouseDClick(window.statusLabels().lblUC, Qt::LeftButton);
    window.surface().setSelStart(0);
    window.surface().setSelText(QStringLiteral("\u4e2d"));
    QVERIFY(window.FileSave());
    QCOMPARE(readFile(path), QByteArray("\xE4\xB8\xAD" "a\r\nb\r\n"));
    QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("UTF-8"));

    // Leaving Unicode again keeps UTF-8 while the text is not plain ASCII; the File menu's conversion agrees.
    QTest::mouseDClick(window.statusLabels().lblUC, Qt::LeftButton);
    QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("UTF-8"));
    window.surface().setSelStart(0);
    window.surface().setSelText(QStringLiteral("\u00e9"));
    window.findChild<QAction *>(QStringLiteral("mnuFileConvToUTF8"))->trigger();
    QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("UTF-8"));
    QVERIFY(window.FileSave());
    QCOMPARE(readFile(path), QByteArray("\xC3\xA9\xE4\xB8\xAD" "a\r\nb\r\n"));
}

void TestMainWindow::hintReturnsToIdleText()
{
    Window window;
    window.show();
    window.statusLabels().toolTipCaption = QStringLiteral("C");
    window.showHint(QStringLiteral("Save File (Ctrl+S)"));
    QCOMPARE(window.statusLabels().lblToolTip->text(), QStringLiteral("Save File (Ctrl+S)"));
    for (int tick = 1; tick < 20; ++tick) {
        window.toolTipTick();
        QCOMPARE(window.statusLabels().lblToolTip->isVisible(), tick % 2 == 1);
    }
    window.toolTipTick();
    QCOMPARE(window.statusLabels().lblToolTip->text(), QStringLiteral("C"));
    QVERIFY(!window.statusLabels().tmrToolTip->isActive());
}

void TestMainWindow::languageFollowsTheDocument()
{
    Window window(true);
    const QString path = window.doc(QStringLiteral("a.c"), "int x;\n");
    window.showExposed();
    window.ReadFile(path, false);
    EditorSurface &s = window.surface();
    QCOMPARE(s.formatAt(0).color, window.settings().fcolor1);
    QCOMPARE(s.formatAt(4).color, window.settings().fcolor);

    // A keyword typed and followed by a blank is coloured when the blank is released.
    s.setSelStart(s.textLength());
    window.txtText()->setFocus();
    QTest::keyClicks(window.txtText(), QStringLiteral("return "));
    QCOMPARE(s.formatAt(s.textLength() - 7).color, window.settings().fcolor1);

    // Saving under another extension picks that language; the no-highlighting command clears colours.
    QVERIFY(window.WriteDocument(window.docs.filePath(QStringLiteral("a.txt"))));
    QVERIFY(!window.language().languageActive);
    window.LoadLanguage(path, true);
    window.NoHighlighting();
    QVERIFY(!window.language().languageActive);
    QCOMPARE(s.formatAt(0).color, window.settings().fcolor);

    // A document over the colouring limit asks first; No is remembered for the document.
    window.settings().ColorFileSizeLimit = 3;
    window.prompter->answers << QMessageBox::No;
    window.LoadLanguage(path, true);
    QVERIFY(window.prompter->asked.last().text.contains(QStringLiteral("Are you sure you want to enable highlighning?")));
    QVERIFY(window.docFlags().highlightingDeclined);
    QCOMPARE(s.formatAt(0).color, window.settings().fcolor);

    // A file make reads by its name ticks the Makefile item, as its colouring does.
    window.settings().ColorFileSizeLimit = 100000;
    window.ReadFile(window.doc(QStringLiteral("Makefile"), "all:\n"), false);
    auto *syntax = window.findChild<QMenu *>(QStringLiteral("mnuProgramming"));
    emit syntax->aboutToShow();
    QStringList ticked;
    for (QAction *item : syntax->actions()) {
        if (item->objectName() == QLatin1String("mnuKeyWord") && item->isChecked())
            ticked << item->text();
    }
    QCOMPARE(ticked, QStringList{QStringLiteral("Makefile")});
}

void TestMainWindow::criticalErrorReport()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    writeFile(app, QStringLiteral("error.txt"), "an old report that is much longer than the new one will be");
    prompter->answers << QMessageBox::No;
    QVERIFY(!CriticalError::report(nullptr, app.path(), 7, QStringLiteral("Out of memory"), QStringLiteral("frmMain")));
    const QString text = CriticalError::reportText(7, QStringLiteral("Out of memory"), QStringLiteral("frmMain"));
    QVERIFY(text.startsWith(QStringLiteral("A critical error occured, please report this error to ")));
    QVERIFY(text.contains(QStringLiteral("\r\nErr number = 7\r\nErr description = Out of memory\r\nErr source = frmMain\r\n\r\n")));
    QCOMPARE(prompter->asked[0].title, QStringLiteral("Critical Error"));
    QCOMPARE(prompter->asked[0].text, text + QStringLiteral("\r\n\r\n(This info can be located in the error.txt file)"));
    const QString written = QString::fromUtf8(readFile(app.filePath(QStringLiteral("error.txt"))));
    QVERIFY(written.contains(QStringLiteral("\r\nVersion = ")));
    QVERIFY(written.endsWith(text));
}

void TestMainWindow::saveAsProposals()
{
    QCOMPARE(frmMain::javaClassFileName(QStringLiteral("import x;\r\npublic class Foo extends Bar\r\n{")), QStringLiteral("Foo.java"));
    QCOMPARE(frmMain::javaClassFileName(QStringLiteral("final class Baz\r\n{")), QStringLiteral("Baz.java"));
    QCOMPARE(frmMain::javaClassFileName(QStringLiteral("int x;")), QStringLiteral("noclass.java"));

    Window window;
    const QString path = window.doc(QStringLiteral("report.old.txt"), "text");
    window.ReadFile(path, false);
    window.prompter->saveAnswers << window.docs.filePath(QStringLiteral("out"));
    window.ExportRichText();
    QVERIFY(readFile(window.docs.filePath(QStringLiteral("out.rtf"))).startsWith("{\\rtf1"));
    window.surface().setSelStart(0);
    window.surface().setSelLength(2);
    window.prompter->saveAnswers << window.docs.filePath(QStringLiteral("sel.txt"));
    window.SaveSelection();
    QCOMPARE(readFile(window.docs.filePath(QStringLiteral("sel.txt"))), QByteArray("te\r\n"));
    QCOMPARE(window.document().strfilename, path);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
