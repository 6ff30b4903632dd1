#include "CodeHighlighter.h"
#include "Highlighter.h"
#include "MarkupHighlighter.h"
#include "MemorySurface.h"
#include "RenderClock.h"
#include "ScintillaSurface.h"
#include "Settings.h"

#include <QRandomGenerator>
#include <QtTest>

// Colours are written one letter per character: . plain, K keyword, F function, N number,
// S string, C comment, ? anything else.
namespace {

Settings colourSettings(bool numbers)
{
    Settings s;
    s.fcolor = 0x111111;
    s.fcolor1 = 0x0000FF;
    s.fcolor2 = 0x00FF00;
    s.fcolorNumber = 0xFF0000;
    s.fcolorString = 0x00FFFF;
    s.fcolorComment = 0xFF00FF;
    s.HighLightNumbers = numbers;
    s.BoldKeyWords = true;
    s.ItalicComments = true;
    return s;
}

QChar letterFor(OleColor color)
{
    switch (color) {
    case 0x111111: return QLatin1Char('.');
    case 0x0000FF: return QLatin1Char('K');
    case 0x00FF00: return QLatin1Char('F');
    case 0xFF0000: return QLatin1Char('N');
    case 0x00FFFF: return QLatin1Char('S');
    case 0xFF00FF: return QLatin1Char('C');
    default: return QLatin1Char('?');
    }
}

QString colourMap(const EditorSurface &surface)
{
    QString map;
    for (int i = 0; i < surface.textLength(); ++i)
        map += letterFor(surface.formatAt(i).color);
    return map;
}

LanguageDefinition language(const QStringList &lines)
{
    LanguageDefinition lang;
    lang.applyLines(lines);
    lang.buildPatterns();
    lang.languageActive = true;
    return lang;
}

const QStringList cLanguage = {
    QStringLiteral("Name:C"),
    QStringLiteral("LineComment://"),
    QStringLiteral("BlockCommentStart:/*"),
    QStringLiteral("BlockCommentEnd:*/"),
    QStringLiteral("CaseSensitive:1"),
    QStringLiteral("StringChar:\""),
    QStringLiteral("KeyWord1:int return if "),
    QStringLiteral("KeyWord2:printf strlen "),
};

struct Rendered {
    MemorySurface surface;
    RenderResult result;
};

} // namespace

class TestHighlighter : public QObject {
    Q_OBJECT

private slots:
    void codePasses_data();
    void codePasses();
    void attributes();
    void frameRestoresSelectionHintAndFocus();
    void declinedDocumentStaysPlain();
    void partialRangeTouchesOnlyItself();
    void wholeRenderYieldsAndStopsWhenTextChanges();
    void clearHighlighting();
    void markupPasses_data();
    void markupPasses();
    void scannersMatchPatternsOnRandomText();
    void scintillaSurfaceMatchesMemorySurface();
};

void TestHighlighter::codePasses_data()
{
    QTest::addColumn<QStringList>("definition");
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("C sample, numbers on") << cLanguage << true
        << "int f() { return printf(\"if %d\", 42); } // if x\r\n/* int\r\n */ x1 0x1F"
        << "KKK.......KKKKKK.FFFFFF.SSSSSSS..NN.....CCCCCCC..CCCCCCCCCCC........";
    QTest::newRow("numbers off") << cLanguage << false << "x = 42;" << ".......";
    QTest::newRow("keyword inside a word is not coloured") << cLanguage << false << "integer int_x int"
                                                           << "..............KKK";
    QTest::newRow("comment marker inside a string starts a comment") << cLanguage << false
        << "\"a // b\" int" << "SSSCCCCCCCCC";
    QTest::newRow("block comment inside a line comment") << cLanguage << false << "// a /* b */ c\r\nint"
                                                         << "CCCCCCCCCCCCCC..KKK";
    QTest::newRow("unclosed block comment stays plain") << cLanguage << false << "/* int" << "...KKK";
    QTest::newRow("unterminated string colours nothing, strings stop at line end") << cLanguage << false
        << "\"int\r\n\"x\"" << ".KKK..SSS";
    QTest::newRow("hex colour either case, five digits and a letter not") << cLanguage << true
        << "#A0b1C2 #12345g" << "NNNNNNN........";
    QTest::newRow("case-sensitive language leaves INT") << cLanguage << false << "INT int" << "....KKK";
    QTest::newRow("case-insensitive language colours INT")
        << QStringList{QStringLiteral("CaseSensitive:0"), QStringLiteral("KeyWord1:int ")} << false
        << "INT Int" << "KKK.KKK";
    QTest::newRow("empty keyword list: strings, numbers and comments only")
        << QStringList{QStringLiteral("StringChar:'"), QStringLiteral("LineComment:#")} << true
        << "int 'a' 7 # c" << "....SSS.N.CCC";
    QTest::newRow("hyphenated keyword hides a -- comment marker")
        << QStringList{QStringLiteral("LineComment:--"), QStringLiteral("KeyWord1:end-if ")} << false
        << "end-if -- c" << "KKKKKK.....";
    QTest::newRow("keyword pattern the engine rejects: pass skipped, others run")
        << QStringList{QStringLiteral("KeyWord1:int (oops "), QStringLiteral("KeyWord2:strlen ")} << false
        << "int strlen" << "....FFFFFF";
    QTest::newRow("function pass overwrites keyword pass")
        << QStringList{QStringLiteral("KeyWord1:len "), QStringLiteral("KeyWord2:len ")} << false << "len"
        << "FFF";
    QTest::newRow("one-character markers: empty comment is closed at once")
        << QStringList{QStringLiteral("BlockCommentStart:{"), QStringLiteral("BlockCommentEnd:}")} << false
        << "{}x{y}" << "CC.CCC";
    QTest::newRow("three-character closing marker")
        << QStringList{QStringLiteral("BlockCommentStart:--[["), QStringLiteral("BlockCommentEnd:]]]")}
        << false << "a--[[b]]]c" << ".CCCCCCCC.";
    QTest::newRow("equal markers: a closing marker opens nothing")
        << QStringList{QStringLiteral("BlockCommentStart:'''"), QStringLiteral("BlockCommentEnd:'''")}
        << false << "'''a''' b '''c'''" << "CCCCCCC...CCCCCCC";
    QTest::newRow("star in a line comment marker is literal")
        << QStringList{QStringLiteral("LineComment:*")} << false << "a * b\r\nc" << "..CCC..." ;
    QTest::newRow("line comment marker in letters ignores case like the keywords")
        << QStringList{QStringLiteral("CaseSensitive:0"), QStringLiteral("LineComment:REM"),
                       QStringLiteral("KeyWord1:echo ")}
        << false << "rem x\r\necho" << "CCCCC..KKKK";
}

void TestHighlighter::codePasses()
{
    QFETCH(QStringList, definition);
    QFETCH(bool, numbers);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    const Settings settings = colourSettings(numbers);
    const LanguageDefinition lang = language(definition);
    const DocumentLanguageFlags flags;
    MemorySurface surface;
    surface.setText(text);
    Highlighter highlighter(surface, settings, lang, flags);
    const RenderResult result = highlighter.renderDocument();
    QCOMPARE(result.outcome, RenderResult::Outcome::Rendered);
    QCOMPARE(colourMap(surface), expected);

    // The pattern engine colours the same.
    MemorySurface reference;
    reference.setText(text);
    Highlighter patterns(reference, settings, lang, flags);
    patterns.setEngine(HighlightPasses::Engine::PatternOnly);
    patterns.renderDocument();
    QCOMPARE(colourMap(reference), expected);
}

void TestHighlighter::attributes()
{
    Settings settings = colourSettings(true);
    settings.TextItalic = true;
    settings.TextBold = false;
    settings.ItalicComments = false;
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    MemorySurface surface;
    surface.setText(QStringLiteral("int x; // c"));
    Highlighter(surface, settings, lang, flags).renderDocument();

    const CharFormat keyword = surface.formatAt(0);
    QVERIFY(keyword.bold);
    QVERIFY2(keyword.italic, "tokens keep the italic of plain text");
    const CharFormat plain = surface.formatAt(4);
    QCOMPARE(plain.color, settings.fcolor);
    QVERIFY(!plain.bold);
    QVERIFY(plain.italic);
    const CharFormat comment = surface.formatAt(8);
    QVERIFY(comment.bold);
    QVERIFY(!comment.italic);
    QCOMPARE(comment.fontName, surface.defaultFormat().fontName);
}

void TestHighlighter::frameRestoresSelectionHintAndFocus()
{
    const Settings settings = colourSettings(false);
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    MemorySurface surface;
    surface.setText(QStringLiteral("int a;\r\nreturn b;"));
    surface.setSelStart(5);
    surface.setSelLength(4);

    QString hint = QStringLiteral("language hint");
    QStringList captionsSeen;
    int timerStarts = 0;
    HighlightHost host;
    host.hintCaption = [&] { return hint; };
    host.setHintCaption = [&](const QString &c) { hint = c; captionsSeen << c; };
    host.enableToolTipTimer = [&] { ++timerStarts; };
    Highlighter highlighter(surface, settings, lang, flags, host);
    highlighter.renderDocument();

    QCOMPARE(surface.selStart(), 5);
    QCOMPARE(surface.selLength(), 4);
    QVERIFY(surface.isVisible());
    QCOMPARE(captionsSeen, (QStringList{Highlighter::RenderingCaption, QStringLiteral("language hint")}));
    QCOMPARE(timerStarts, 1);
}

void TestHighlighter::declinedDocumentStaysPlain()
{
    const Settings settings = colourSettings(false);
    const LanguageDefinition lang = language(cLanguage);
    DocumentLanguageFlags flags;
    flags.highlightingDeclined = true;
    MemorySurface surface;
    surface.setText(QStringLiteral("int"));
    const RenderResult result = Highlighter(surface, settings, lang, flags).renderDocument();
    QCOMPARE(result.outcome, RenderResult::Outcome::Declined);
    QCOMPARE(surface.formatAt(0), surface.defaultFormat());
}

void TestHighlighter::partialRangeTouchesOnlyItself()
{
    const Settings settings = colourSettings(false);
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    MemorySurface surface;
    surface.setText(QStringLiteral("int a\r\nint b\r\nint"));
    Highlighter highlighter(surface, settings, lang, flags);

    const RenderResult middle = highlighter.renderRange(8, 6);
    QVERIFY(!middle.wholeDocument);
    QCOMPARE(colourMap(surface).mid(7, 6), QStringLiteral("KKK..."));
    QCOMPARE(surface.formatAt(0), surface.defaultFormat());
    QCOMPARE(surface.formatAt(14), surface.defaultFormat());

    // Past the end: the subject is just shorter.
    const RenderResult tail = highlighter.renderRange(15, 100);
    QCOMPARE(tail.length, 3);
    QCOMPARE(colourMap(surface).mid(14), QStringLiteral("KKK"));
}

void TestHighlighter::wholeRenderYieldsAndStopsWhenTextChanges()
{
    const Settings settings = colourSettings(false);
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    const QString text = QStringLiteral("int a; // one\r\nint b; // two\r\n");

    MemorySurface surface;
    surface.setText(text);
    int yields = 0;
    HighlightHost host;
    host.yieldIntervalMs = 0;
    host.yield = [&] {
        QVERIFY2(!surface.isVisible(), "the surface is locked while events run");
        ++yields;
    };
    Highlighter highlighter(surface, settings, lang, flags, host);
    QCOMPARE(highlighter.renderDocument().outcome, RenderResult::Outcome::Rendered);
    QVERIFY(yields > 0);
    QVERIFY(surface.isVisible());

    yields = 0;
    highlighter.renderRange(1, 6);
    QCOMPARE(yields, 0);

    // Typing during the render: its formats are stale, nothing is applied.
    MemorySurface typed;
    typed.setText(text);
    HighlightHost typing;
    typing.yieldIntervalMs = 0;
    typing.yield = [&] {
        typed.setSelStart(0);
        typed.setSelText(QStringLiteral("x"));
    };
    const RenderResult stopped = Highlighter(typed, settings, lang, flags, typing).renderDocument();
    QCOMPARE(stopped.outcome, RenderResult::Outcome::Stopped);
    QCOMPARE(typed.formatAt(1), typed.defaultFormat());
}

void TestHighlighter::clearHighlighting()
{
    const Settings settings = colourSettings(false);
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    MemorySurface surface;
    surface.setText(QStringLiteral("int a; // c"));
    surface.setSelStart(2);
    surface.setSelLength(3);
    Highlighter highlighter(surface, settings, lang, flags);
    highlighter.renderDocument();
    highlighter.clearHighlighting();
    QCOMPARE(colourMap(surface), QStringLiteral("..........."));
    QVERIFY(!surface.formatAt(0).bold);
    QVERIFY(!surface.formatAt(9).italic);
    QCOMPARE(surface.selStart(), 2);
    QCOMPARE(surface.selLength(), 3);
}

void TestHighlighter::markupPasses_data()
{
    QTest::addColumn<bool>("numbers");
    QTest::addColumn<QString>("stringChar");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("tag, attributes, value") << false << "\""
        << "<a href=\"x.html\" width=5>Go</a>"
        << "KK.FFFFFSSSSSSSS.FFFFFF.K..KKKK";
    QTest::newRow("upper-case tags and attributes") << false << "\"" << "<DIV CLASS=\"c\">"
                                                    << "KKKK.FFFFFFSSSK";
    QTest::newRow("comment across lines with trailing white space") << false << "\""
        << "<!-- a\r\n<b> -->\r\n<p>" << "CCCCCCCCCCCCCCCCCKKK";
    QTest::newRow("empty declaration, doctype is a tag") << false << "\"" << "<!> <!DOCTYPE html>"
                                                         << "CCCCKKKKKKKKK.....K";
    QTest::newRow("self-closing tag in two pieces") << false << "\"" << "<br/>" << "KKK.K";
    QTest::newRow("hex colour inside a value is recoloured as string") << true << "\""
        << "<font color=\"#aB12Cd\">" << "KKKKK.FFFFFFSSSSSSSSSK";
    QTest::newRow("attribute after a line break covers the LF") << false << "\"" << "<a\r\nb=1>"
                                                                 << "KK.FFF.K";
    QTest::newRow("attribute after a tab is not coloured") << false << "\"" << "<a\tb=\"1\">"
                                                           << "KK...SSSK";
    QTest::newRow("no string character: values stay plain") << false << "" << "<a b=\"1\">"
                                                             << "KK.FF...K";
    QTest::newRow("single-quote string character ends at the last quote before a double quote")
        << false << "'" << "x 'a' b 'c\" d'" << "..SSSSSSS.....";
}

void TestHighlighter::markupPasses()
{
    QFETCH(bool, numbers);
    QFETCH(QString, stringChar);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    const Settings settings = colourSettings(numbers);
    QStringList definition = {QStringLiteral("IsMarkupLanguage:1"), QStringLiteral("KeyWord1:a div ")};
    if (!stringChar.isEmpty())
        definition << QStringLiteral("StringChar:") + stringChar;
    const LanguageDefinition lang = language(definition);
    const DocumentLanguageFlags flags;
    for (auto engine : {HighlightPasses::Engine::Fast, HighlightPasses::Engine::PatternOnly}) {
        MemorySurface surface;
        surface.setText(text);
        Highlighter highlighter(surface, settings, lang, flags);
        highlighter.setEngine(engine);
        highlighter.renderDocument();
        QCOMPARE(colourMap(surface), expected);
    }
}

void TestHighlighter::scannersMatchPatternsOnRandomText()
{
    // Pieces that meet the scanners' corner cases: word edges, digits, quotes, markers, the two
    // non-ASCII letters the engine folds into ASCII, white space of every kind.
    const QStringList pieces = {
        "int", "INT", "Int", "return", "end-if", "end", "if", "printf", "len", "_x", "x9", "9", "42", "0x1F",
        "#", "#a0B1c2", "\"", "'", "//", "/*", "*/", "--", "--[[", "]]", "{", "}", "<", ">", "</", "<!", "<!--",
        "-->", "=", "=\"", "=7", "-", "*", "REM", "rem", " ", " ", " ", "\r\n", "\r", "\n", "\t", "\v",
        QString(QChar(0x017F)), QString(QChar(0x212A)), QStringLiteral("é"), QString(QChar(0xA0)), "s", "k",
        "tatic", "wee", "<a", "href", "ñ", "%", "?", "!", "_", ".", "|", "(", ")",
    };
    const QStringList keywordLists = {
        "int return if ", "INT end-if ", "int  return ", " int", "if x.y int ", "ſtatic week ", "end_if end-if ",
        "a(b int ", "",
    };
    const QStringList functionLists = {"printf len ", "len-x end ", "", "print( len ", "k s "};
    const QStringList stringChars = {"\"", "'", "", ".", "|", "-", "a", "#", "]"};
    const QStringList lineComments = {"//", "#", "--", "REM", "\\*", "(", "", "s", "a|b"};
    const QList<QPair<QString, QString>> blocks = {
        {"/*", "*/"}, {"{", "}"}, {"--[[", "]]"}, {"'''", "'''"}, {"", ""}, {"<!--", "-->"}, {"/*", ""}};

    QRandomGenerator random(20240601);
    auto pick = [&](const auto &list) { return list.at(random.bounded(qsizetype(list.size()))); };
    for (int round = 0; round < 1500; ++round) {
        QString text;
        const int count = random.bounded(60);
        for (int i = 0; i < count; ++i)
            text += pick(pieces);

        LanguageDefinition lang;
        lang.keywordListText = pick(keywordLists);
        lang.functionListText = pick(functionLists);
        lang.caseSensitive = random.bounded(2) == 0;
        const QString quote = pick(stringChars);
        lang.stringChar = quote.isEmpty() ? QChar() : quote.at(0);
        lang.lineComment = pick(lineComments);
        const auto block = pick(blocks);
        lang.blockCommentStart = block.first;
        lang.blockCommentEnd = block.second;
        lang.buildPatterns();
        const bool numbers = random.bounded(2) == 0;

        RenderClock clock;
        const auto fast = CodeHighlighter(lang, numbers).styles(text, clock);
        const auto slow = CodeHighlighter(lang, numbers, HighlightPasses::Engine::PatternOnly).styles(text, clock);
        QVERIFY(fast && slow);
        QVERIFY2(*fast == *slow, qPrintable(text));

        const auto markupFast = MarkupHighlighter(lang.stringChar, numbers).styles(text, clock);
        const auto markupSlow =
            MarkupHighlighter(lang.stringChar, numbers, HighlightPasses::Engine::PatternOnly).styles(text, clock);
        QVERIFY(markupFast && markupSlow);
        QVERIFY2(*markupFast == *markupSlow, qPrintable(text));
    }
}

void TestHighlighter::scintillaSurfaceMatchesMemorySurface()
{
    const Settings settings = colourSettings(true);
    const LanguageDefinition lang = language(cLanguage);
    const DocumentLanguageFlags flags;
    for (const QString &text : {QStringLiteral("int f() { return printf(\"if %d\", 42); } // if\r\n/* a\r\n */ x"),
                                QStringLiteral("int é = 1; // ünïcode 😀\r\nreturn \"ß\"; /* ✓ */ int")}) {
        MemorySurface memory;
        memory.setText(text);
        Highlighter(memory, settings, lang, flags).renderDocument();

        ScintillaSurface scintilla;
        scintilla.setText(text);
        scintilla.setDefaultFormat(memory.defaultFormat());
        Highlighter(scintilla, settings, lang, flags).renderDocument();

        QCOMPARE(scintilla.textLength(), memory.textLength());
        for (int i = 0; i < memory.textLength(); ++i) {
            // The second half of a surrogate pair has no byte of its own in the widget.
            if (!text.at(i).isLowSurrogate() && scintilla.formatAt(i) != memory.formatAt(i))
                QFAIL(qPrintable(QStringLiteral("format differs at %1 in %2").arg(i).arg(text)));
        }
    }
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
