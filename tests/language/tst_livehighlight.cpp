#include "Highlighter.h"
#include "LiveHighlighter.h"
#include "MemorySurface.h"
#include "Settings.h"

#include <QtTest>

namespace {

LanguageDefinition cLanguage()
{
    LanguageDefinition lang;
    lang.applyLines({QStringLiteral("LineComment://"), QStringLiteral("CaseSensitive:1"),
                     QStringLiteral("StringChar:\""), QStringLiteral("KeyWord1:int return ")});
    lang.buildPatterns();
    lang.languageActive = true;
    return lang;
}

// One letter per character: K keyword, . anything else.
QString keywordMap(const EditorSurface &surface, OleColor keywordColor)
{
    QString map;
    for (int i = 0; i < surface.textLength(); ++i)
        map += surface.formatAt(i).color == keywordColor ? QLatin1Char('K') : QLatin1Char('.');
    return map;
}

// A document, its language and the live highlighter, as the main window holds them.
struct Editor : HighlightHost {
    Settings settings;
    LanguageDefinition language = cLanguage();
    DocumentLanguageFlags flags;
    MemorySurface surface;
    Highlighter highlighter{surface, settings, language, flags, this};
    LiveHighlighter live{highlighter, settings, language};

    explicit Editor(const QString &text, int caret)
    {
        surface.setText(text);
        surface.setSelStart(caret);
    }
    QString map() const { return keywordMap(surface, settings.fcolor1); }
};

} // namespace

class TestLiveHighlight : public QObject {
    Q_OBJECT

private slots:
    void currentLineRange_data();
    void currentLineRange();
    void refreshDecision_data();
    void refreshDecision();
    void enterColoursTheLineBeingFinished();
    void pasteRanges_data();
    void pasteRanges();
    void nothingWhileInactiveOrDeclined();
};

void TestLiveHighlight::currentLineRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    // Ranges are 1-based and run through the line break that ends the line.
    QTest::newRow("caret at a line start") << "ab\r\ncd\r\nef" << 4 << 5 << 4;
    QTest::newRow("end of document without a line break") << "ab\r\ncd" << 6 << 5 << 3;
    QTest::newRow("end of document after a line break") << "ab\r\n" << 4 << 5 << 1;
    QTest::newRow("empty document") << "" << 0 << 1 << 1;
    QTest::newRow("lone LF lines run to the next CR LF") << "a\nb\nc\r\nd" << 2 << 3 << 5;
    QTest::newRow("long line spans several search pieces")
        << QString(300, QLatin1Char('x')) + "\r\n" + QString(600, QLatin1Char('y')) + "\r\nz" << 700 << 303 << 602;
}

void TestLiveHighlight::currentLineRange()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(int, start);
    QFETCH(int, length);

    MemorySurface surface;
    // Lone LF lines are a binary document's: a text document takes every LF as CR LF.
    surface.setBinaryDocument(true);
    surface.setText(text);
    surface.setSelStart(caret);
    const LiveHighlighter::Range range = LiveHighlighter::currentLineRange(surface);
    QCOMPARE(QPoint(range.start, range.length), QPoint(start, length));
}

void TestLiveHighlight::refreshDecision_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("shift");
    QTest::addColumn<bool>("refresh");

    QTest::newRow("letter") << int(Qt::Key_A) << 0 << true;
    QTest::newRow("Ctrl+letter is a command") << int(Qt::Key_A) << 2 << false;
    QTest::newRow("Ctrl+Alt+letter types an AltGr character") << int(Qt::Key_Q) << 6 << true;
    QTest::newRow("blank") << int(Qt::Key_Space) << 0 << true;
    QTest::newRow("Enter was handled on key down") << int(Qt::Key_Return) << 0 << false;
    QTest::newRow("arrow") << int(Qt::Key_Left) << 0 << false;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 0 << false;
    QTest::newRow("Page Down is not an exception") << int(Qt::Key_PageDown) << 0 << true;
    QTest::newRow("Shift key itself") << int(Qt::Key_Shift) << 1 << false;
    // As Qt keys these share numbers with Page Up, Home and an arrow.
    QTest::newRow("exclamation mark") << int(Qt::Key_Exclam) << 1 << true;
    QTest::newRow("dollar") << int(Qt::Key_Dollar) << 1 << true;
    QTest::newRow("opening parenthesis") << int(Qt::Key_ParenLeft) << 1 << true;
}

void TestLiveHighlight::refreshDecision()
{
    QFETCH(int, key);
    QFETCH(int, shift);
    QFETCH(bool, refresh);
    QCOMPARE(LiveHighlighter::refreshOnKeyUp(LiveHighlighter::virtualKey(key), shift), refresh);
}

void TestLiveHighlight::enterColoursTheLineBeingFinished()
{
    Editor editor(QStringLiteral("x\r\nint a return\r\nint"), 6);
    editor.live.onKeyDown(Qt::Key_Return, 0);
    QCOMPARE(editor.map(), QStringLiteral("...KKK...KKKKKK....."));
    // Once: the colours taken away again stay away through the keys that follow.
    editor.surface.applyFormatRuns(0, {FormatRun{editor.surface.textLength(), editor.surface.defaultFormat()}});
    const QString plain = editor.map();
    editor.live.onKeyDown(Qt::Key_Return, ShiftMask);
    editor.live.onKeyUp(Qt::Key_Return, 0);
    QCOMPARE(editor.map(), plain);
}

void TestLiveHighlight::pasteRanges_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two lines whose last word is a keyword") << "int\r\nx" << "a\r\nreturn" << 6
                                                            << ".........KKKKKK";
    QTest::newRow("paste starting with a line break is one line") << "int x" << "\r\nint" << 5
                                                                  << ".......KKK";
    QTest::newRow("single-line paste colours the whole line") << "x\r\n in" << "t" << 6 << "....KKK";
}

void TestLiveHighlight::pasteRanges()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(int, at);
    QFETCH(QString, expected);

    Editor editor(before, at);
    editor.surface.setSelText(pasted);
    editor.live.afterPaste(pasted);
    QCOMPARE(editor.map(), expected);
}

void TestLiveHighlight::nothingWhileInactiveOrDeclined()
{
    for (int off = 0; off < 3; ++off) {
        Editor editor(QStringLiteral("int "), 4);
        editor.settings.enableSyntaxHighlightning = off != 0;
        editor.language.languageActive = off != 1;
        editor.flags.highlightingDeclined = off == 2;
        editor.live.onKeyUp(Qt::Key_Space, 0);
        editor.live.afterDrop();
        QCOMPARE(editor.map(), QStringLiteral("...."));
    }
    Editor empty(QString(), 0);
    empty.live.onKeyUp(Qt::Key_A, 0);
    QCOMPARE(empty.surface.textLength(), 0);
}

QTEST_GUILESS_MAIN(TestLiveHighlight)
#include "tst_livehighlight.moc"
