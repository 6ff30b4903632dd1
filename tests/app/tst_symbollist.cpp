#include "EditorSurface.h"
#include "Highlighter.h"
#include "ScintillaView.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "frmSymbols.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

const QByteArray Source = "/* int commented(void) { } */\n"
                          "static int first(int a)\n"
                          "{\n"
                          "    if (a) { return 1; }\n"
                          "    return 0;\n"
                          "}\n"
                          "struct point { int x; };\n"
                          "int second(void) { return 2; }\n";

using Folders = WindowFolders;

struct Window : Folders, frmMain {
    explicit Window(const QByteArray &text = Source, bool onDemand = false) : frmMain(app.path())
    {
        settings().InsertPairs = false;
        show();
        // Coloured in the background, as a large document is.
        highlighter().setBackgroundThreshold(0);
        if (onDemand)
            highlighter().setOnDemandThreshold(0);
        ReadFile(writeFile(docs, QStringLiteral("a.c"), text), false);
        txtText()->setFocus();
    }
    void keys(const char *sequence) { QTest::keySequence(txtText(), QKeySequence(QString::fromLatin1(sequence))); }
    void closeList()
    {
        if (auto *list = findChild<frmSymbols *>())
            list->close();
        QTRY_VERIFY(!findChild<frmSymbols *>());
    }
    QStringList shown()
    {
        activateWindow();
        txtText()->setFocus();
        keys("Ctrl+Shift+O");
        auto *list = findChild<frmSymbols *>();
        QStringList items;
        for (int i = 0; list && i < list->lstSymbols->count(); ++i)
            items << list->lstSymbols->item(i)->text();
        return items;
    }
};

} // namespace

class TestSymbolList : public QObject {
    Q_OBJECT

private slots:
    void colouringKeepsTheListThroughTyping();
    void largeDocumentReadsItsListWhenAsked();
};

// The colouring leaves the list behind; Go to Symbol shows it, typing a function keeps it current,
// and it is the list a reading of the whole text gives. Filtering and Enter go to the one chosen.
void TestSymbolList::colouringKeepsTheListThroughTyping()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.highlighter().symbols().known());
    QCOMPARE(w.shown(), QStringList({"first    (line 2)", "class point    (line 7)", "second    (line 8)"}));
    auto *list = w.findChild<frmSymbols *>();
    QTest::keyClicks(list->txtFilter, QStringLiteral("sec"));
    QTest::keyClick(list->txtFilter, Qt::Key_Return);
    QTRY_VERIFY(!w.findChild<frmSymbols *>());
    QCOMPARE(w.surface().selText(), QStringLiteral("second"));

    w.surface().setSelStart(w.surface().lineIndex(1));
    QTest::keyClicks(w.txtText(), QStringLiteral("void typed(void) {}"));
    QTest::keyClick(w.txtText(), Qt::Key_Return);
    QVERIFY(w.highlighter().symbols().known());
    const QStringList kept = w.shown();
    QCOMPARE(kept, QStringList({"typed    (line 2)", "first    (line 3)", "class point    (line 8)", "second    (line 9)"}));
    w.closeList();
    w.highlighter().symbols().clear();
    QCOMPARE(w.shown(), kept);
    w.closeList();

    // A change the list cannot follow within its read limit drops it; a worker reads it again
    // once the typing pauses.
    w.highlighter().symbols().setReadLimit(1);
    QTest::keyClicks(w.txtText(), QStringLiteral("int later(void) {}"));
    QTest::keyClick(w.txtText(), Qt::Key_Return);
    QVERIFY(!w.highlighter().symbols().known());
    QTRY_VERIFY(w.highlighter().symbols().known());
    QCOMPARE(w.shown().value(0), QStringLiteral("typed    (line 2)"));
    QCOMPARE(w.findChild<frmSymbols *>()->lstSymbols->item(1)->text(), QStringLiteral("later    (line 3)"));
    w.closeList();
}

// A document coloured only where it is shown reads no symbols up front: Go to Symbol has them read
// off the window's thread, opens the list once they are, and the list is kept from then on.
void TestSymbolList::largeDocumentReadsItsListWhenAsked()
{
    QByteArray text = Source;
    while (text.size() < (1 << 20) + 1000)
        text += "// filler line of a large document\n";
    text += "int last(void) { return 3; }\n";
    Window w(text, true);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(!w.highlighter().isRendering());
    QVERIFY(!w.highlighter().symbols().known());
    w.activateWindow();
    w.txtText()->setFocus();
    w.keys("Ctrl+Shift+O");
    // The reading's speed is not what is tested: under the sanitizers on a busy machine it took 7 s.
    QTRY_VERIFY_WITH_TIMEOUT(w.findChild<frmSymbols *>(), 30000);
    QVERIFY(w.highlighter().symbols().known());
    const QStringList listed = w.shown();
    QCOMPARE(listed.size(), 4);
    QVERIFY(listed.value(3).startsWith(QStringLiteral("last    (line ")));
    w.closeList();

    w.surface().setSelStart(w.surface().lineIndex(1));
    QTest::keyClicks(w.txtText(), QStringLiteral("void typed(void) {}"));
    QTest::keyClick(w.txtText(), Qt::Key_Return);
    QCOMPARE(w.shown().value(0), QStringLiteral("typed    (line 2)"));
    w.closeList();
}

QTEST_MAIN(TestSymbolList)
#include "tst_symbollist.moc"
