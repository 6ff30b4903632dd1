#include "EditorSurface.h"
#include "FoldScanner.h"
#include "FoldUpdater.h"
#include "Highlighter.h"
#include "ScintillaView.h"
#include "SearchWindows.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

const QByteArray Source = "int main(void)\n"
                          "{\n"
                          "    int a = 1;\n"
                          "    if (a) {\n"
                          "        a = 2;\n"
                          "    }\n"
                          "    return a;\n"
                          "}\n"
                          "int other(void) { return 0; }\n";

using Folders = WindowFolders;

struct Window : Folders, frmMain {
    QString path;

    Window() : frmMain(app.path())
    {
        show();
        path = writeFile(docs, QStringLiteral("a.c"), Source);
        ReadFile(path, false);
        txtText()->setFocus();
    }
    FoldSurface &folds() { return *surface().folding(); }
    // The file loads in pieces: its language comes last, and the levels after it.
    bool levelsRead() { return language().languageActive && !highlighter().folds().pending(); }
    QList<int> hiddenLines()
    {
        QList<int> hidden;
        for (int line = 0; line < surface().lineCount(); ++line) {
            if (!folds().isLineShown(line))
                hidden << line;
        }
        return hidden;
    }
    void caretToLine(int line) { surface().setSelStart(surface().lineIndex(line)); }
    void keys(const char *sequence) { QTest::keySequence(txtText(), QKeySequence(QString::fromLatin1(sequence))); }
};

} // namespace

class TestCodeFolding : public QObject {
    Q_OBJECT

private slots:
    void foldedFunctionHidesItsLinesAndSavesTheSameBytes();
    void typingMovesTheBlocksBelow();
    void clickingAMarkerToggles();
    void farLinesWaitForAPauseButFoldingReadsThem();
    void keptFoldsFollowEditsLikeAFreshReading();
    void longDocumentGetsLevelsWhereShownAndWhereFolded();
};

// A function folds by its key, Go to Line inside it unfolds it, fold all and unfold all by their
// chords; the text, the line numbers and the saved file never change.
void TestCodeFolding::foldedFunctionHidesItsLinesAndSavesTheSameBytes()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.levelsRead());
    const QString text = w.surface().text();
    w.caretToLine(2);
    QTest::keyClick(w.txtText(), Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.hiddenLines(), (QList<int>{2, 3, 4, 5, 6}));
    // The caret waits on the line that stands for the folded block.
    QCOMPARE(w.surface().getLineFromChar(w.surface().selStart()), 1);

    QTest::keyClick(w.txtText(), Qt::Key_G, Qt::ControlModifier);
    QDialog *gotoLine = w.search().toolWindow();
    QVERIFY(gotoLine && QTest::qWaitForWindowActive(gotoLine));
    gotoLine->findChild<QLineEdit *>(QStringLiteral("txtLine"))->setText(QStringLiteral("5"));
    QTest::mouseClick(gotoLine->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QCOMPARE(w.surface().getLineFromChar(w.surface().selStart()), 4);
    QVERIFY(w.hiddenLines().isEmpty());

    w.txtText()->setFocus();
    w.keys("Ctrl+K, Ctrl+0");
    QCOMPARE(w.hiddenLines(), (QList<int>{2, 3, 4, 5, 6}));
    QCOMPARE(w.surface().getLineFromChar(w.surface().selStart()), 1);
    QCOMPARE(w.surface().lineCount(), 10);
    QCOMPARE(w.surface().text(), text);
    w.keys("Ctrl+S");
    QCOMPARE(readFile(w.path), Source);
    w.keys("Ctrl+K, Ctrl+J");
    QVERIFY(w.hiddenLines().isEmpty());
    // Unfold Block on a folded header shows its block again.
    w.keys("Ctrl+K, Ctrl+0");
    w.keys("Ctrl+Shift+]");
    QVERIFY(w.hiddenLines().isEmpty());
}

// A brace typed above a block moves the levels of the lines below it; removing it moves them back.
void TestCodeFolding::typingMovesTheBlocksBelow()
{
    Window w;
    QTRY_VERIFY(w.levelsRead());
    const auto level = [&w](int line) { return (w.folds().lineFold(line).level & FoldLevel::NumberMask) - FoldLevel::Base; };
    QCOMPARE(level(4), 2);
    w.settings().InsertPairs = false;
    w.caretToLine(2);
    QTest::keyClicks(w.txtText(), QStringLiteral("{"));
    QTRY_COMPARE(level(4), 3);
    QVERIFY(w.folds().lineFold(2).level & FoldLevel::Header);
    // Levels set in a batch hold the text area's repaints back only while they go in.
    QVERIFY(w.txtText()->viewport()->updatesEnabled());
    QTest::keyClick(w.txtText(), Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(level(4), 2);
    QVERIFY(!(w.folds().lineFold(2).level & FoldLevel::Header));
}

void TestCodeFolding::clickingAMarkerToggles()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.levelsRead());
    QVERIFY(w.folds().marginVisible());
    QWidget *viewport = w.txtText()->viewport();
    const int y = w.txtText()->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL,
                                             w.txtText()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 1UL))
        + w.txtText()->textHeight(1) / 2;
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(7, y));
    QCOMPARE(w.hiddenLines(), (QList<int>{2, 3, 4, 5, 6}));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(7, y));
    QVERIFY(w.hiddenLines().isEmpty());
}

// An open brace moves every line below it. The lines near the key are read with it; the rest wait
// until typing pauses, and a fold command reads them first.
void TestCodeFolding::farLinesWaitForAPauseButFoldingReadsThem()
{
    Window w;
    QTRY_VERIFY(w.levelsRead());
    QByteArray text;
    for (int i = 0; i < 1000; ++i)
        text += "int f" + QByteArray::number(i) + "(void)\n{\n    return 0;\n}\n";
    w.surface().setText(QString::fromLatin1(text));
    QTRY_VERIFY(w.levelsRead());
    const auto level = [&w](int line) { return (w.folds().lineFold(line).level & FoldLevel::NumberMask) - FoldLevel::Base; };
    const int last = w.surface().lineCount() - 3; // "    return 0;" of the last function
    QCOMPARE(level(last), 1);
    w.highlighter().folds().setPauseMs(60 * 1000);
    w.settings().InsertPairs = false;
    w.caretToLine(2);
    QTest::keyClicks(w.txtText(), QStringLiteral("{"));
    QTRY_COMPARE(level(6), 2);
    QTest::qWait(50);
    QCOMPARE(level(last), 1);
    QVERIFY(w.highlighter().folds().pending());
    // Fold All folds the blocks as they are now: the whole text under the new brace. The widget
    // takes the program's colours as they are, without asking for them line by line.
    int styleRequests = 0;
    QObject::connect(w.txtText(), &QsciScintillaBase::SCN_STYLENEEDED, [&styleRequests](int) { ++styleRequests; });
    w.keys("Ctrl+K, Ctrl+0");
    QVERIFY2(styleRequests <= 1, qPrintable(QString::number(styleRequests)));
    QCOMPARE(level(last), 2);
    QVERIFY(!w.highlighter().folds().pending());
    QVERIFY(!w.folds().isLineShown(last));
    w.keys("Ctrl+K, Ctrl+J");
    // Once typing pauses the rest is read without a command.
    w.highlighter().folds().setPauseMs(0);
    QTest::keyClick(w.txtText(), Qt::Key_Backspace);
    QTRY_COMPARE(level(last), 1);
    QTRY_VERIFY(!w.highlighter().folds().pending());
}

// What the widget keeps of each line (level, flags and the reader's state at its end) follows
// edits that open and close comments and blocks, and equals a fresh reading of the whole text.
void TestCodeFolding::keptFoldsFollowEditsLikeAFreshReading()
{
    Window w;
    QTRY_VERIFY(w.levelsRead());
    QByteArray text = "/* a comment\n   over lines { */\n";
    for (int depth = 0; depth < 40; ++depth)
        text += QByteArray(depth, ' ') + "if (x) { /* " + QByteArray::number(depth) + "\n */\n";
    for (int depth = 40; depth > 0; --depth)
        text += QByteArray(depth - 1, ' ') + "}\n";
    text += "int tail(void)\n{\n    return 0;\n}\n";
    w.surface().setText(QString::fromLatin1(text));
    const QString loaded = w.surface().text();
    w.settings().InsertPairs = false;
    w.highlighter().folds().setPauseMs(0);
    const auto check = [&w](const char *step) {
        QTRY_VERIFY(w.levelsRead());
        const std::vector<LineFold> fresh = FoldScanner(w.language()).levels(w.surface().text().toUtf8());
        for (int line = 0; line < w.surface().lineCount(); ++line) {
            const LineFold kept = w.folds().lineFold(line);
            QVERIFY2(kept == fresh[std::size_t(line)],
                     qPrintable(QStringLiteral("%1, line %2: level %3 state %4, read %5 %6")
                                    .arg(QLatin1String(step)).arg(line).arg(kept.level, 0, 16).arg(kept.state, 0, 16)
                                    .arg(fresh[std::size_t(line)].level, 0, 16).arg(fresh[std::size_t(line)].state, 0, 16)));
        }
    };
    check("loaded");
    QVERIFY(w.folds().lineFold(30).state != 0);
    w.caretToLine(0);
    QTest::keyClicks(w.txtText(), QStringLiteral("/*"));
    check("a comment opened at the top");
    w.caretToLine(2);
    QTest::keyClicks(w.txtText(), QStringLiteral("{"));
    QTest::keyClick(w.txtText(), Qt::Key_Return);
    check("a brace and a line break");
    QTest::keyClick(w.txtText(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.txtText(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(w.txtText(), Qt::Key_Z, Qt::ControlModifier);
    check("undone");
    QCOMPARE(w.surface().text(), loaded);
}

// A long document's levels are given where it is shown, where the view goes and where a fold
// needs them; every level given equals a fresh reading of the whole text, through edits, a block
// folded by its marker, Fold All and a new text in the same window.
void TestCodeFolding::longDocumentGetsLevelsWhereShownAndWhereFolded()
{
    Window w;
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.levelsRead());
    FoldUpdater &updater = w.highlighter().folds();
    updater.setSparseLines(100);
    updater.setPauseMs(0);
    w.settings().InsertPairs = false;
    const auto textOf = [](int functions, int bigAt) {
        QByteArray text = "/* a comment\n   over lines { */\n";
        for (int i = 0; i < functions; ++i) {
            text += "int f" + QByteArray::number(i) + "(void)\n{\n    return 0;\n}\n";
            if (i == bigAt) {
                text += "int big(void)\n{\n";
                for (int k = 0; k < 400; ++k)
                    text += "    if (x) { y(); }\n";
                text += "}\n";
            }
        }
        return text;
    };
    const auto givenAsRead = [&w](const char *step) {
        QTRY_VERIFY(w.levelsRead());
        const std::vector<LineFold> fresh = FoldScanner(w.language()).levels(w.surface().text().toUtf8());
        for (int line = 0; line < w.surface().lineCount(); ++line) {
            const LineFold kept = w.folds().lineFold(line);
            if (!kept.read())
                continue;
            QVERIFY2(kept == fresh[std::size_t(line)],
                     qPrintable(QStringLiteral("%1, line %2: level %3 state %4, read %5 %6")
                                    .arg(QLatin1String(step)).arg(line).arg(kept.level, 0, 16).arg(kept.state, 0, 16)
                                    .arg(fresh[std::size_t(line)].level, 0, 16).arg(fresh[std::size_t(line)].state, 0, 16)));
        }
    };
    const auto given = [&w] {
        int count = 0;
        for (int line = 0; line < w.surface().lineCount(); ++line)
            count += w.folds().lineFold(line).read() ? 1 : 0;
        return count;
    };
    const auto shownRead = [&w] {
        for (int line = w.surface().firstVisibleLine(); line <= w.surface().lastVisibleLine(); ++line) {
            if (line < w.surface().lineCount() && !w.folds().lineFold(line).read())
                return false;
        }
        return true;
    };

    w.surface().setText(QString::fromLatin1(textOf(2000, 1200)));
    const int lines = w.surface().lineCount();
    givenAsRead("loaded");
    QVERIFY(given() < lines / 4);
    QVERIFY(shownRead());
    const int far = lines - 500;
    QVERIFY(!w.folds().lineFold(far).read());

    w.surface().setFirstVisibleLine(far);
    QTRY_VERIFY(shownRead());
    givenAsRead("scrolled down");

    // A brace at the top moves every line below, those given and those not.
    w.caretToLine(3);
    QTest::keyClicks(w.txtText(), QStringLiteral("{"));
    QTRY_VERIFY(!updater.pending());
    givenAsRead("a brace at the top");
    QTest::keyClick(w.txtText(), Qt::Key_Backspace);
    QTRY_VERIFY(!updater.pending());
    givenAsRead("the brace taken back");

    // The marker of a block longer than the view folds all of it.
    // The line with the brace that opens the long function.
    const int big = int(w.surface().text().left(w.surface().text().indexOf(QStringLiteral("int big"))).count(QLatin1Char('\n'))) + 1;
    w.surface().setFirstVisibleLine(big);
    QTRY_VERIFY(shownRead());
    QVERIFY(!w.folds().lineFold(big + 300).read());
    QWidget *viewport = w.txtText()->viewport();
    const int y = w.txtText()->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL,
                                             w.txtText()->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(big)))
        + w.txtText()->textHeight(big) / 2;
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(7, y));
    QList<int> block;
    for (int line = big + 1; line <= big + 400; ++line)
        block << line;
    QCOMPARE(w.hiddenLines(), block);
    givenAsRead("a block folded");
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(7, y));
    QVERIFY(w.hiddenLines().isEmpty());

    // Fold All reads everything first.
    w.keys("Ctrl+K, Ctrl+0");
    givenAsRead("all folded");
    QCOMPARE(given(), lines);
    w.keys("Ctrl+K, Ctrl+J");

    // A new text keeps none of the old one's levels.
    w.surface().setText(QString::fromLatin1(textOf(1500, 10)));
    givenAsRead("a new text");
    QVERIFY(given() < w.surface().lineCount() / 4);
}

QTEST_MAIN(TestCodeFolding)
#include "tst_codefolding.moc"
