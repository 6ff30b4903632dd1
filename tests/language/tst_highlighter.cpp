#include "CodeHighlighter.h"
#include "Highlighter.h"
#include "KeywordDefinition.h"
#include "MarkupHighlighter.h"
#include "MemorySurface.h"
#include "RenderClock.h"
#include "Settings.h"
#include "TestSupport.h"

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

const QStringList cLanguage = {"LineComment://", "BlockCommentStart:/*", "BlockCommentEnd:*/", "CaseSensitive:1",
                               "StringChar:\"", "KeyWord1:int return if ", "KeyWord2:printf strlen "};

// A definition as shipped in the data folder.
QStringList shipped(const QString &name)
{
    QFile file(TestSupport::sourceDir() + QStringLiteral("/data/keywords/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
}

const QStringList markupLanguage = {QStringLiteral("IsMarkupLanguage:1"), QStringLiteral("KeyWord1:a div "),
                                     QStringLiteral("StringChar:\"")};

// The window's side of a render, as far as a test watches it.
struct WatchingHost : HighlightHost {
    std::function<void()> onYield;
    int interval = 30;
    QString *caption = nullptr;
    QStringList *captionsSeen = nullptr;
    int *timerStarts = nullptr;

    QString hintCaption() const override { return caption ? *caption : QString(); }
    void setHintCaption(const QString &c) override
    {
        if (caption)
            *caption = c;
        if (captionsSeen)
            *captionsSeen << c;
    }
    void enableToolTipTimer() override
    {
        if (timerStarts)
            ++*timerStarts;
    }
    bool yields() const override { return bool(onYield); }
    void yield() override { onYield(); }
    int yieldIntervalMs() const override { return interval; }
};

// A document with the settings, language and flags the main window would hand the highlighter.
struct Doc {
    Settings settings;
    LanguageDefinition lang;
    DocumentLanguageFlags flags;
    MemorySurface surface;
    WatchingHost host;
    Highlighter highlighter{surface, settings, lang, flags, &host};

    explicit Doc(const QString &text, const QStringList &definition = cLanguage, bool numbers = false)
        : settings(colourSettings(numbers)), lang(language(definition))
    {
        surface.setText(text);
    }
};

} // namespace

class TestHighlighter : public QObject {
    Q_OBJECT

private slots:
    void codePasses_data();
    void codePasses();
    void partialRangeTouchesOnlyItself();
    void wholeRenderYieldsAndStopsWhenTextChanges();
    void frameAttributesAndClearHighlighting();
    void scannersMatchPatternsOnRandomText();
    void stringsAndCommentsAreNotBold();
    void definitionKeepsItsStringKeys();
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
    QTest::newRow("comment marker inside a string starts a comment") << cLanguage << false
        << "\"a // b\" int" << "SSSCCCCCCCCC";
    QTest::newRow("block comment inside a line comment") << cLanguage << false << "// a /* b */ c\r\nint"
                                                         << "CCCCCCCCCCCCCC..KKK";
    QTest::newRow("unclosed block comment stays plain") << cLanguage << false << "/* int" << "...KKK";
    QTest::newRow("unterminated string colours nothing, strings stop at line end") << cLanguage << false
        << "\"int\r\n\"x\"" << ".KKK..SSS";
    QTest::newRow("hex colour either case, five digits and a letter not") << cLanguage << true
        << "#A0b1C2 #12345g" << "NNNNNNN........";
    QTest::newRow("case-sensitive language leaves INT, numbers off") << cLanguage << false << "INT int 4"
                                                                    << "....KKK..";
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
    QTest::newRow("equal markers: a closing marker opens nothing")
        << QStringList{QStringLiteral("BlockCommentStart:'''"), QStringLiteral("BlockCommentEnd:'''")}
        << false << "'''a''' b '''c'''" << "CCCCCCC...CCCCCCC";
    QTest::newRow("star in a line comment marker is literal")
        << QStringList{QStringLiteral("LineComment:*")} << false << "a * b\r\nc" << "..CCC..." ;
    QTest::newRow("case-insensitive: keywords and a line comment marker in letters")
        << QStringList{QStringLiteral("CaseSensitive:0"), QStringLiteral("LineComment:REM"),
                       QStringLiteral("KeyWord1:echo ")}
        << false << "rem x\r\nECHO" << "CCCCC..KKKK";
    const QStringList python = shipped(QStringLiteral("python.kw"));
    QTest::newRow("python: single quotes, a hash in a string") << python << false
        << "s = 'if' + \"a # b\" # in" << "....SSSS...SSSSSSS.CCCC";
    QTest::newRow("python: docstring across lines, keywords in it") << python << false
        << "\"\"\"if\r\nnot\"\"\" and '''in''' or" << "SSSSSSSSSSSSS.KKK.SSSSSSSS.KK";
    QTest::newRow("python: escaped quote, unclosed string colours nothing") << python << false
        << "'it\\'s' in 'x" << "SSSSSSS.KK...";
    QTest::newRow("markers and quotes outside ASCII") << QStringList{QStringLiteral("LineComment:¤"),
                                                                  QStringLiteral("StringChars:«"),
                                                                  QStringLiteral("LongStrings:§§"),
                                                                  QStringLiteral("KeyWord1:if ")}
        << false << "if «if« §§a\r\nb§§ if ¤ if" << "KK.SSSS.SSSSSSSS.KK.CCCC";
    const QStringList javascript = shipped(QStringLiteral("javascript.kw"));
    QTest::newRow("javascript: single quotes and template strings") << javascript << false
        << "'if' `for\r\n// in` in // 'x'" << "SSSS.SSSSSSSSSSSS.KK.CCCCCC";
    QTest::newRow("javascript: a comment marker in a string is text") << javascript << false
        << "'http://x' /* 'a' */ if" << "SSSSSSSSSS.CCCCCCCCC.KK";
    const QStringList shell = shipped(QStringLiteral("bash.kw"));
    QTest::newRow("shell: single and double quotes") << shell << false << "if 'then' \"fi\"" << "KK.SSSSSS.SSSS";
    QTest::newRow("markup: tag, attributes, value") << markupLanguage << false
        << "<a href=\"x.html\" width=5>Go</a>" << "KK.FFFFFSSSSSSSS.FFFFFF.K..KKKK";
    QTest::newRow("markup: comment across lines with trailing white space") << markupLanguage << false
        << "<!-- a\r\n<b> -->\r\n<p>" << "CCCCCCCCCCCCCCCCCKKK";
    QTest::newRow("markup: empty declaration, doctype is a tag") << markupLanguage << false
        << "<!> <!DOCTYPE html>" << "CCCCKKKKKKKKK.....K";
    QTest::newRow("markup: hex colour inside a value is recoloured as string") << markupLanguage << true
        << "<font color=\"#aB12Cd\">" << "KKKKK.FFFFFFSSSSSSSSSK";
    QTest::newRow("markup: attribute after a line break covers the LF") << markupLanguage << false
        << "<a\r\nb=1>" << "KK.FFF.K";
    QTest::newRow("markup: single-quote string ends at the last quote before a double quote")
        << markupLanguage.mid(0, 2) + QStringList{QStringLiteral("StringChar:'")} << false
        << "x 'a' b 'c\" d'" << "..SSSSSSS.....";
}

void TestHighlighter::codePasses()
{
    QFETCH(QStringList, definition);
    QFETCH(bool, numbers);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    // The pattern engine is the reference the fast scanners must agree with.
    for (auto engine : {HighlightPasses::Engine::Fast, HighlightPasses::Engine::PatternOnly}) {
        Doc d(text, definition, numbers);
        d.highlighter.setEngine(engine);
        QCOMPARE(d.highlighter.renderDocument().outcome, RenderResult::Outcome::Rendered);
        QCOMPARE(colourMap(d.surface), expected);
    }
}

void TestHighlighter::partialRangeTouchesOnlyItself()
{
    Doc d(QStringLiteral("int a\r\nint b\r\nint"));
    QVERIFY(!d.highlighter.renderRange(8, 6).wholeDocument);
    QCOMPARE(colourMap(d.surface).mid(7, 6), QStringLiteral("KKK..."));
    QCOMPARE(d.surface.formatAt(0), d.surface.defaultFormat());
    QCOMPARE(d.surface.formatAt(14), d.surface.defaultFormat());

    // Past the end: the subject is just shorter.
    QCOMPARE(d.highlighter.renderRange(15, 100).length, 3);
    QCOMPARE(colourMap(d.surface).mid(14), QStringLiteral("KKK"));
}

void TestHighlighter::wholeRenderYieldsAndStopsWhenTextChanges()
{
    const QString text = QStringLiteral("int a; // one\r\nint b; // two\r\n");
    Doc d(text);
    int yields = 0;
    d.host.interval = 0;
    d.host.onYield = [&] {
        QVERIFY2(!d.surface.isVisible(), "the surface is locked while events run");
        ++yields;
    };
    QCOMPARE(d.highlighter.renderDocument().outcome, RenderResult::Outcome::Rendered);
    QVERIFY(yields > 0);

    // Typing during the render: its formats are stale, nothing is applied.
    Doc typed(text);
    typed.host.interval = 0;
    typed.host.onYield = [&] {
        typed.surface.setSelStart(0);
        typed.surface.setSelText(QStringLiteral("x"));
    };
    QCOMPARE(typed.highlighter.renderDocument().outcome, RenderResult::Outcome::Stopped);
    QCOMPARE(typed.surface.formatAt(1), typed.surface.defaultFormat());
}

void TestHighlighter::frameAttributesAndClearHighlighting()
{
    Doc d(QStringLiteral("int x; // c"));
    d.settings.TextItalic = true;
    d.settings.TextBold = false;
    d.settings.ItalicComments = false;
    d.surface.setSelStart(2);
    d.surface.setSelLength(3);
    QString hint = QStringLiteral("language hint");
    QStringList captionsSeen;
    int timerStarts = 0;
    d.host.caption = &hint;
    d.host.captionsSeen = &captionsSeen;
    d.host.timerStarts = &timerStarts;
    d.highlighter.renderDocument();
    // The frame restores selection, focus and the hint, and restarts the hint timer.
    QCOMPARE(QPoint(d.surface.selStart(), d.surface.selLength()), QPoint(2, 3));
    QVERIFY(d.surface.isVisible());
    QCOMPARE(captionsSeen, (QStringList{Highlighter::RenderingCaption, QStringLiteral("language hint")}));
    QCOMPARE(timerStarts, 1);

    QVERIFY(d.surface.formatAt(0).bold);
    QVERIFY2(d.surface.formatAt(0).italic, "tokens keep the italic of plain text");
    const CharFormat plain = d.surface.formatAt(4);
    QVERIFY(plain.color == d.settings.fcolor && !plain.bold && plain.italic);
    const CharFormat comment = d.surface.formatAt(8);
    QVERIFY2(!comment.bold && !comment.italic, "bold is for the words of the language, not for comments");
    QCOMPARE(comment.fontName, d.surface.defaultFormat().fontName);

    d.highlighter.clearHighlighting();
    QCOMPARE(colourMap(d.surface), QStringLiteral("..........."));
    QVERIFY(!d.surface.formatAt(0).bold);
    QCOMPARE(QPoint(d.surface.selStart(), d.surface.selLength()), QPoint(2, 3));
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
    const QStringList functionLists = {"printf len ", "len-x end ", "", "print( len ", "k s ", "if printf "};
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

void TestHighlighter::stringsAndCommentsAreNotBold()
{
    Doc d(QStringLiteral("if \"\"\"if\"\"\" # if"), shipped(QStringLiteral("python.kw")));
    d.highlighter.renderDocument();
    QVERIFY(d.surface.formatAt(0).bold);
    QVERIFY(!d.surface.formatAt(6).bold);
    QVERIFY(!d.surface.formatAt(15).bold);
}

void TestHighlighter::definitionKeepsItsStringKeys()
{
    // Saved from the definition editor, the new keys stay; read back, they mean the same.
    const QString text = shipped(QStringLiteral("python.kw")).join(QStringLiteral("\r\n"));
    const LanguageDefinition after = language(KeywordDefinition::fromText(text, {}).kwLines());
    QCOMPARE(after.stringChars, QStringLiteral("'"));
    QCOMPARE(after.longStrings, (QStringList{QStringLiteral("\"\"\""), QStringLiteral("'''")}));
    QCOMPARE(after.stringEscape, QLatin1Char('\\'));
    // Without the keys a definition reads as before: one kind of one-line string, no escapes.
    QVERIFY(!language(cLanguage).lexicalStrings());
}

QTEST_MAIN(TestHighlighter)
#include "tst_highlighter.moc"
