#include "CodeHighlighter.h"
#include "HtmlCommands.h"
#include "RegExp.h"
#include "RenderClock.h"
#include "TestSupport.h"
#include "modKeyWords.h"

#include <QtTest>

// The language definitions shipped in data/keywords.
class TestKeywordFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDefinitionLoads();
    void extensionsMapToLanguages_data();
    void extensionsMapToLanguages();
    void functionHelpFiles_data();
    void functionHelpFiles();
    void lineComments_data();
    void lineComments();
    void keywordsAreColoured_data();
    void keywordsAreColoured();
    void commentCommandsInsertedAPattern();

private:
    QString m_folder;
};

void TestKeywordFiles::initTestCase()
{
    m_folder = TestSupport::sourceDir() + QStringLiteral("/data/keywords");
    QVERIFY(modKeyWords::definitionFiles(m_folder).size() >= 23);
}

static bool compiles(const QString &pattern) { return RegExp(pattern).isValid(); }

void TestKeywordFiles::everyDefinitionLoads()
{
    QMap<QString, QString> owner;
    for (const QString &path : modKeyWords::definitionFiles(m_folder)) {
        const QByteArray bytes = TestSupport::readFile(path);
        QVERIFY2(bytes.endsWith("\r\n") && bytes.count("\n") == bytes.count("\r\n"), qPrintable(path));

        const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
        const QString extensionsLine = lines.filter(QRegularExpression("^Extensions:")).value(0);
        const QStringList extensions = extensionsLine.mid(11).split(' ', Qt::SkipEmptyParts);
        QVERIFY2(!extensions.isEmpty(), qPrintable(path));

        for (const QString &extension : extensions) {
            QVERIFY2(!owner.contains(extension.toLower()),
                     qPrintable(extension + " listed by " + path + " and " + owner.value(extension.toLower())));
            owner.insert(extension.toLower(), path);
            const LanguageDefinition language = modKeyWords::loadLanguage(m_folder, "file." + extension);
            QCOMPARE(language.definitionPath, path);
            QVERIFY2(!language.keywordListText.isEmpty(), qPrintable(path));
            QVERIFY(!language.stringChar.isNull());
            QVERIFY2(compiles(language.keywordPattern), qPrintable(path));
            QVERIFY2(language.functionListText.isEmpty() || compiles(language.functionPattern), qPrintable(path));
            if (!language.lineComment.isEmpty())
                QVERIFY2(compiles("(" + language.lineComment + ").*$"), qPrintable(path));
            QVERIFY2(language.markup || !language.lineComment.isEmpty() || !language.blockCommentStart.isEmpty(),
                     qPrintable(path));
            QCOMPARE(language.blockCommentStart.isEmpty(), language.blockCommentEnd.isEmpty());
        }
    }
}

void TestKeywordFiles::extensionsMapToLanguages_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("markup");

    QTest::newRow(".H upper case") << "main.H" << "C" << false;
    QTest::newRow(".cpp is not C") << "main.cpp" << "C++" << false;
    QTest::newRow(".java") << "Main.java" << "Java" << false;
    QTest::newRow(".svg shares XML") << "logo.svg" << "XML" << true;
    QTest::newRow(".conf is INI") << "app.conf" << "INI" << false;
    QTest::newRow(".desktop is INI") << "orvane.desktop" << "INI" << false;
    QTest::newRow("Makefile") << "Makefile" << "Makefile" << false;
    QTest::newRow("GNUmakefile") << "GNUmakefile" << "Makefile" << false;
    QTest::newRow("makefile in a dotted folder") << "x.d/makefile" << "Makefile" << false;
    QTest::newRow("MAKEFILE is not a make name") << "MAKEFILE" << "" << false;
    QTest::newRow("Makefile.bak has its own extension") << "Makefile.bak" << "" << false;
}

void TestKeywordFiles::extensionsMapToLanguages()
{
    QFETCH(QString, fileName);
    QFETCH(QString, language);
    QFETCH(bool, markup);
    const LanguageDefinition loaded = modKeyWords::loadLanguage(m_folder, "/home/u/src/" + fileName);
    QCOMPARE(loaded.languageActive, !language.isEmpty());
    QCOMPARE(loaded.languageName, language);
    QCOMPARE(loaded.markup, markup);
    QCOMPARE(loaded.isJava(), language == "Java");
}

void TestKeywordFiles::functionHelpFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("function");
    QTest::newRow("C") << "a.c" << "strncpy";
    QTest::newRow("PHP") << "a.php" << "str_replace";
}

void TestKeywordFiles::functionHelpFiles()
{
    QFETCH(QString, fileName);
    QFETCH(QString, function);
    const LanguageDefinition language = modKeyWords::loadLanguage(m_folder, fileName);
    const FunctionHelp &help = language.functionHelp;
    QVERIFY(help.present());
    QVERIFY(help.names().size() >= 40);
    QVERIFY(help.textFor(function).value_or(QString()).startsWith('('));
    // Every function with a tip is also coloured and offered in the keyword list.
    const QStringList functions = language.functionEntries();
    for (const QString &name : help.names())
        QVERIFY2(functions.contains(name), qPrintable(name));
    for (const QString &text : help.texts())
        QVERIFY2(text.startsWith('(') && text.contains(')'), qPrintable(text));
}

// "C" for every character in a comment, "." for the rest; both engines have to agree.
static QString commentMap(const LanguageDefinition &language, const QString &text)
{
    QString result;
    for (const auto engine : {HighlightPasses::Engine::Fast, HighlightPasses::Engine::PatternOnly}) {
        RenderClock clock;
        const std::optional<StyleBuffer> styles = CodeHighlighter(language, true, engine).styles(text, clock);
        if (!styles)
            return QStringLiteral("stopped");
        QString map;
        for (const TokenStyle style : *styles)
            map += style == TokenStyle::Comment ? 'C' : '.';
        if (!result.isNull() && map != result)
            return QStringLiteral("engines differ: ") + result + " / " + map;
        result = map;
    }
    return result;
}

void TestKeywordFiles::lineComments_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("comments");

    QTest::newRow("batch REM") << "a.bat" << "REM note" << "CCCCCCCC";
    QTest::newRow("batch @rem, indented") << "a.cmd" << "  @rem x" << "CCCCCCCC";
    QTest::newRow("batch REMOVE is a command") << "a.bat" << "REMOVE x" << "........";
    QTest::newRow("batch remark inside a command") << "a.bat" << "echo remark" << "...........";
    QTest::newRow("batch rem as an argument") << "a.bat" << "echo rem" << "........";
    QTest::newRow("batch rem after &") << "a.bat" << "cd x & rem y" << "......CCCCCC";
    QTest::newRow("batch ::") << "a.bat" << ":: note" << "CCCCCCC";
    QTest::newRow("batch a label") << "a.bat" << ":end" << "....";
    QTest::newRow("batch lines after the first") << "a.bat" << "cd\r\nrem a\r\n::b" << "....CCCCC..CCC";
    QTest::newRow("ini ;") << "a.ini" << "; x\r\nk=v" << "CCC.....";
    QTest::newRow("conf #") << "a.conf" << "  # x" << "CCCCC";
    QTest::newRow("desktop ; separates values") << "a.desktop" << "MimeType=text/plain;" << "....................";
    QTest::newRow("desktop # inside a value") << "a.desktop" << "Name=C# IDE" << "...........";
    QTest::newRow("makefile #") << "Makefile" << "all: # x" << ".....CCC";
}

void TestKeywordFiles::lineComments()
{
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QFETCH(QString, comments);
    const LanguageDefinition language = modKeyWords::loadLanguage(m_folder, fileName);
    QVERIFY(language.languageActive);
    QCOMPARE(commentMap(language, text), comments);
}

void TestKeywordFiles::keywordsAreColoured_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("words");

    QTest::newRow("C23") << "a.c"
                         << "bool true false nullptr constexpr static_assert thread_local alignas alignof typeof "
                            "typeof_unqual _BitInt _Decimal64 elifdef embed";
    QTest::newRow("PHP constructs, any letter case") << "a.php" << "die exit eval Exit DIE __halt_compiler __DIR__";
    QTest::newRow("SQL set operations and windows")
        << "a.sql" << "except INTERSECT OVER PARTITION WINDOW WITH RECURSIVE ROWS UNBOUNDED PRECEDING LAG";
    QTest::newRow("CSS flex and grid") << "a.css"
                                       << "flex-grow flex-shrink flex-basis align-self order grid-template-areas "
                                          "grid-column grid-row-start column-gap";
    QTest::newRow("CSS transitions, transforms, animations")
        << "a.css"
        << "transition-duration transition-timing-function transform-origin perspective animation-name "
           "animation-iteration-count ease-in-out";
    QTest::newRow("CSS boxes and text")
        << "a.css" << "border-top border-bottom-left-radius background-size text-overflow overflow-x object-fit";
}

// Every character of every word is coloured as a keyword or a function.
void TestKeywordFiles::keywordsAreColoured()
{
    QFETCH(QString, fileName);
    QFETCH(QString, words);
    const LanguageDefinition language = modKeyWords::loadLanguage(m_folder, fileName);
    RenderClock clock;
    const std::optional<StyleBuffer> styles = CodeHighlighter(language, true).styles(words, clock);
    QVERIFY(styles);
    qsizetype start = 0;
    for (const QString &word : words.split(' ')) {
        for (qsizetype i = start; i < start + word.size(); ++i) {
            const TokenStyle style = styles->at(std::size_t(i));
            QVERIFY2(style == TokenStyle::Keyword || style == TokenStyle::Function, qPrintable(word));
        }
        start += word.size() + 1;
    }
}

// Insert Line Comment puts the marker before a line: it must be plain text that the highlighter
// then colours as a comment, for every shipped definition, while a hand-written definition without
// "LineCommentText:" keeps the marker it always had.
void TestKeywordFiles::commentCommandsInsertedAPattern()
{
    for (const QString &path : modKeyWords::definitionFiles(m_folder)) {
        const QString extension = modKeyWords::firstExtension(path);
        const LanguageDefinition language = modKeyWords::loadLanguage(m_folder, "file." + extension);
        if (language.lineComment.isEmpty())
            continue;
        const QString marker = HtmlCommands::lineCommentMarker(language);
        QVERIFY2(!marker.isEmpty(), qPrintable(path));
        for (const QString &line : {QStringLiteral("x = 1"), QStringLiteral("echo x")}) {
            const QString commented = marker + line;
            QVERIFY2(commentMap(language, commented) == QString(commented.size(), 'C'),
                     qPrintable(path + ": " + commented + " -> " + commentMap(language, commented)));
        }
    }
    QCOMPARE(HtmlCommands::lineCommentMarker(modKeyWords::loadLanguage(m_folder, "a.ini")), QStringLiteral(";"));
    QCOMPARE(HtmlCommands::lineCommentMarker(modKeyWords::loadLanguage(m_folder, "a.bat")), QStringLiteral("REM "));

    LanguageDefinition handWritten;
    handWritten.applyLines({QStringLiteral("LineComment://|#")});
    QCOMPARE(handWritten.commentMarker(), QStringLiteral("//"));
    handWritten.applyLines({QStringLiteral("LineComment:*\\:")});
    QCOMPARE(handWritten.commentMarker(), QStringLiteral("*:"));
    handWritten.applyLines({QStringLiteral("LineComment:^\\s*%")});
    QVERIFY(handWritten.commentMarker().isEmpty());
}

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
