#include "LanguageDefinition.h"
#include "LineNavigation.h"
#include "ScintillaSurface.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"
#include "TestSupport.h"
#include "FileIO.h"
#include "frmBookmarks.h"
#include "frmFindInFiles.h"
#include "frmSymbols.h"
#include "frmFind.h"
#include "frmGotoLine.h"
#include "frmLines.h"
#include "frmReplace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QListView>
#include <QtTest>

namespace {

// A bare main window: the editing widget and the hooks the search windows call.
class TestHost : public QWidget, public SearchHost {
public:
    explicit TestHost(QString folder)
        : m_folder(std::move(folder))
    {
        resize(700, 400);
        m_surface = std::make_unique<ScintillaSurface>(this);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_surface->view());
    }
    EditorSurface &surface() override { return *m_surface; }
    Settings &settings() override { return m_settings; }
    QString appFolder() const override { return m_folder; }
    void AddHistory() override {}
    bool highlightingActive() const override { return false; }
    void renderRange(int, int) override {}
    void renderDocument() override {}
    void showHint(const QString &text) override { hints << text; }
    bool isMarkupLanguage() const override { return markup; }
    bool isBinaryMode() const override { return false; }
    void refreshStatusBar() override {}
    void redrawGutter() override { ++gutterRedraws; }
    QWidget *ownerWindow() override { return this; }
    QString documentPath() const override { return path; }
    const LanguageDefinition &language() const override { return m_language; }
    void openElsewhere(const QString &file, Launcher::Position at) override { opened << qMakePair(file, at); }

    QString path = QStringLiteral("Untitled");
    LanguageDefinition m_language;
    QList<QPair<QString, Launcher::Position>> opened;
    std::unique_ptr<ScintillaSurface> m_surface;
    Settings m_settings;
    QStringList hints;
    int gutterRedraws = 0;
    bool markup = false;

private:
    QString m_folder;
};

template <typename Window>
Window *openWindow(TestHost &host)
{
    auto *window = host.findChild<Window *>();
    return window && QTest::qWaitForWindowExposed(window) ? window : nullptr;
}

} // namespace

class TstSearchWindows : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestHost> m_host;
    std::unique_ptr<SearchWindows> m_windows;

    void setText(const QString &text, int caret)
    {
        m_host->surface().setText(text);
        m_host->surface().setSelStart(caret);
    }

private slots:
    void init()
    {
        m_host = std::make_unique<TestHost>(m_dir.path());
        m_windows = std::make_unique<SearchWindows>(*m_host);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    }
    void cleanup()
    {
        m_windows.reset();
        m_host.reset();
    }

    // Results of another file go to its own window; results of this document move the caret here.
    void findInFilesOpensResultsAtTheirPlace()
    {
        QTemporaryDir tree;
        const QString here = TestSupport::writeFile(tree, QStringLiteral("here.c"), "int a;\nint needle;\n");
        const QString there = TestSupport::writeFile(tree, QStringLiteral("there.c"), "x\ny\n  needle\n");
        TestSupport::writeFile(tree, QStringLiteral("skip.txt"), "needle\n");
        m_host->path = here;
        setText(QStringLiteral("int a;\nint needle;\n"), 0);
        m_windows->FindInFiles();
        auto *window = qobject_cast<frmFindInFiles *>(m_windows->findInFilesWindow());
        QVERIFY(window);
        QCOMPARE(window->txtFolder->text(), tree.path());
        window->cboFind->setEditText(QStringLiteral("needle"));
        window->txtFiles->setText(QStringLiteral("*.c;*.h"));
        QTest::keyClick(window->cboFind->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY(!window->search().isRunning());
        QCOMPARE(window->lblInfo->text().section(QLatin1Char(' '), 0, 5), QStringLiteral("2 matching lines in 2 files"));
        QAbstractItemModel *model = window->lstResults->model();
        QCOMPARE(model->rowCount(), 4);
        QModelIndex inThere;
        QModelIndex inHere;
        for (int row = 0; row < model->rowCount(); ++row) {
            const QString shown = model->index(row, 0).data().toString();
            if (shown == QStringLiteral("there.c:3:3:   needle"))
                inThere = model->index(row, 0);
            if (shown == QStringLiteral("here.c:2:5: int needle;"))
                inHere = model->index(row, 0);
        }
        QVERIFY(inThere.isValid() && inHere.isValid());
        window->lstResults->setCurrentIndex(inThere);
        QTest::keyClick(window->lstResults, Qt::Key_Return);
        QCOMPARE(m_host->opened.size(), 1);
        QCOMPARE(m_host->opened.at(0).first, there);
        QCOMPARE(m_host->opened.at(0).second.line, 3);
        QCOMPARE(m_host->opened.at(0).second.column, 3);
        window->openResult(inHere);
        QCOMPARE(m_host->opened.size(), 1);
        QCOMPARE(m_host->surface().selStart(), m_host->surface().lineIndex(1) + 4);
    }

    void goToSymbolFiltersAndJumps()
    {
        m_host->m_language.applyLines(FileIO::readLines(TestSupport::sourceDir() + QStringLiteral("/data/keywords/c.kw")));
        m_host->m_language.languageActive = true;
        m_host->path = QStringLiteral("/tmp/x.c");
        const QString text = QStringLiteral("static int first(void)\n{\n    if (x) { return 1; }\n}\n\n"
                                            "/* int commented(void) { } */\nvoid second(int a)\n{\n}\n");
        setText(text, 0);
        m_windows->GoToSymbol();
        auto *window = openWindow<frmSymbols>(*m_host);
        QVERIFY(window);
        QCOMPARE(window->lstSymbols->count(), 2);
        QCOMPARE(window->lstSymbols->item(0)->text(), QStringLiteral("first    (line 1)"));
        QCOMPARE(window->lstSymbols->item(1)->text(), QStringLiteral("second    (line 7)"));
        QTest::keyClicks(window->txtFilter, QStringLiteral("sec"));
        QVERIFY(window->lstSymbols->item(0)->isHidden());
        QTest::keyClick(window->txtFilter, Qt::Key_Return);
        QCOMPARE(m_host->surface().selText(), QStringLiteral("second"));
        QCOMPARE(m_host->surface().selStart(), int(m_host->surface().text().indexOf(QStringLiteral("second"))));
        QTRY_VERIFY(!m_host->findChild<frmSymbols *>());
    }

    // A large text without a kept list is read on a worker: the list opens when it is done, and a
    // change made meanwhile is read again rather than listed at the old places.
    void goToSymbolReadsALargeTextAside()
    {
        m_host->m_language.applyLines(FileIO::readLines(TestSupport::sourceDir() + QStringLiteral("/data/keywords/c.kw")));
        m_host->m_language.languageActive = true;
        m_host->path = QStringLiteral("/tmp/x.c");
        QString text;
        for (int i = 0; text.size() < (1 << 20); ++i)
            text += QStringLiteral("int f%1(void) { return 0; }\n").arg(i);
        setText(text, 0);
        const int count = int(text.count(u'\n'));
        m_windows->GoToSymbol();
        QVERIFY(!m_host->findChild<frmSymbols *>());
        m_host->surface().setSelStart(0);
        m_host->surface().setSelText(QStringLiteral("int g(void) { }\n"));
        QTRY_VERIFY_WITH_TIMEOUT(m_host->findChild<frmSymbols *>(), 20000);
        auto *window = m_host->findChild<frmSymbols *>();
        QCOMPARE(window->lstSymbols->count(), count + 1);
        QCOMPARE(window->lstSymbols->item(1)->text(), QStringLiteral("f0    (line 2)"));
        window->close();
    }

    void oneToolWindowAtATimeWithItsCaption()
    {
        setText(QStringLiteral("ab\r\ncd\r\nef"), 0);
        m_windows->Find();
        QCOMPARE(openWindow<frmFind>(*m_host)->windowTitle(), QStringLiteral("Find"));
        m_windows->GotoLine();
        QTRY_VERIFY(!m_host->findChild<frmFind *>());
        auto *gotoLine = openWindow<frmGotoLine>(*m_host);
        QCOMPARE(gotoLine->windowTitle(), QStringLiteral("Goto"));
        QCOMPARE(gotoLine->lblInfo->text(), QStringLiteral("(1 - 3)"));
        gotoLine->txtLine->setText(QStringLiteral("x"));
        QCOMPARE(gotoLine->txtLine->text(), QStringLiteral("1"));
        m_windows->Replace();
        QTRY_VERIFY(!m_host->findChild<frmGotoLine *>());
        QCOMPARE(openWindow<frmReplace>(*m_host)->windowTitle(), QStringLiteral("Replace"));
    }

    void bookmarksInGutterAndList()
    {
        setText(QStringLiteral("one\r\ntwo\r\n  three  \r\nfour\r\nfive"), 0);
        EditorSurface &surface = m_host->surface();
        surface.setSelStart(LineNavigation::LineStart(5, surface.text()));
        m_windows->ToggleBookmark();
        surface.setSelStart(LineNavigation::LineStart(3, surface.text()));
        m_windows->ToggleBookmark();
        QCOMPARE(m_host->hints, (QStringList{"Bookmark Set at Line 5", "Bookmark Set at Line 3"}));
        QCOMPARE(m_host->gutterRedraws, 2);
        // Next walks the marks in the order they were set, not by line.
        m_windows->NextBookmark();
        QCOMPARE(surface.getLineFromChar(surface.selStart()), 4);
        m_windows->NextBookmark();
        QCOMPARE(surface.getLineFromChar(surface.selStart()), 2);

        m_windows->ViewAllBookmarks();
        auto *list = openWindow<frmBookmarks>(*m_host);
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("Editor Bookmarks"));
        QCOMPARE(list->lstLines->item(1)->text(), QStringLiteral("3\tthree"));
        QTest::mouseClick(list->cmdClipboard, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("five\r\n  three  \r\n"));
        list->lstLines->setCurrentRow(0);
        QTest::mouseClick(list->cmdGoto, Qt::LeftButton);
        QCOMPARE(surface.selStart(), LineNavigation::LineStart(5, surface.text()));
        QTRY_VERIFY(!m_host->findChild<frmBookmarks *>());
        m_windows->ToggleBookmark();
        QCOMPARE(m_host->hints.last(), QStringLiteral("Bookmark Removed at Line 5"));
    }

    void linesContainingFromTheFindDialog()
    {
        setText(QStringLiteral("alpha\r\nbeta\r\n gamma alpha\r\n"), 0);
        m_windows->Find();
        auto *find = openWindow<frmFind>(*m_host);
        find->chkListLines->setChecked(true);
        QTest::keyClicks(find->cboFind->lineEdit(), QStringLiteral("ALPHA"));
        QTest::mouseClick(find->cmdFindNext, Qt::LeftButton);
        QTRY_VERIFY(!m_host->findChild<frmFind *>());
        auto *lines = openWindow<frmLines>(*m_host);
        QVERIFY(lines);
        QCOMPARE(lines->lstLines->count(), 2);
        QCOMPARE(lines->lstLines->item(1)->text(), QStringLiteral("3\tgamma alpha"));
        lines->lstLines->setCurrentRow(1);
        QTest::mouseClick(lines->cmdGoto, Qt::LeftButton);
        QCOMPARE(m_host->surface().selStart(), 13);
        QVERIFY(m_host->findChild<frmLines *>());
    }

    void bracketMarker_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("markup");
        QTest::addColumn<int>("target");    // -1: no marker
        QTest::addColumn<QString>("shown");
        QTest::newRow("( shows ) over the last bracket") << "(a(b)c)" << 0 << false << 6 << ")";
        QTest::newRow("< outside markup: none") << "<a>" << 0 << false << -1 << "";
        QTest::newRow("< in markup") << "<a>" << 0 << true << 2 << ">";
    }
    void bracketMarker()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, markup);
        QFETCH(int, target);
        QFETCH(QString, shown);
        m_host->markup = markup;
        setText(text, caret);
        m_windows->onCaretMoved();
        picBracket *marker = m_windows->marker();
        QCOMPARE(marker && marker->isVisible(), target >= 0);
        QCOMPARE(m_host->surface().selStart(), caret);
        if (target < 0)
            return;
        QCOMPARE(QString(marker->character()), shown);
        QCOMPARE(marker->geometry(), *m_host->surface().characterRect(target));
        m_windows->onMouseEvent();
        QVERIFY(!marker->isVisible());
    }
};

QTEST_MAIN(TstSearchWindows)
#include "tst_searchwindows.moc"
