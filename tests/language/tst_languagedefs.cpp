#include "LanguageDefinition.h"
#include "TestSupport.h"
#include "modKeyWords.h"

#include <QDir>
#include <QtTest>

using namespace TestSupport;

class TestLanguageDefs : public QObject {
    Q_OBJECT

private slots:
    void keyRules_data();
    void keyRules();
    void functionHelpFile();
    void fileExtension_data();
    void fileExtension();
    void finder();
    void firstDefinitionInFolderOrderWins();
    void loadReplacesPreviousLanguage();
    void menuEntries();
    void renderDecision_data();
    void renderDecision();
    void messages();
};

static QString field(const LanguageDefinition &d, const QString &name)
{
    const auto flag = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    if (name == "keywords") return d.keywordListText;
    if (name == "lineComment") return d.lineComment;
    if (name == "blockStart") return d.blockCommentStart;
    if (name == "caseSensitive") return flag(d.caseSensitive);
    if (name == "stringChar") return d.stringChar.isNull() ? QStringLiteral("none") : QString(d.stringChar);
    if (name == "compiler") return d.compilerPath;
    if (name == "entries") return d.variableListEntries().join(u',');
    return QStringLiteral("?");
}

void TestLanguageDefs::keyRules_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("case flag true any case") << "CaseSensitive:tRuE" << "caseSensitive" << "true";
    QTest::newRow("case flag blank after colon is false") << "CaseSensitive: 1" << "caseSensitive" << "false";
    QTest::newRow("case key in lower case ignored") << "casesensitive:1" << "caseSensitive" << "false";
    QTest::newRow("empty string char skipped") << "StringChar:\"\nStringChar:" << "stringChar" << "\"";
    QTest::newRow("compiler keeps drive colon") << "CompilerPath:C:\\tc\\tcc.exe -c" << "compiler"
                                                << "C:\\tc\\tcc.exe -c";
    QTest::newRow("line comment backslash-colon") << "LineComment:\\:" << "lineComment" << ":";
    QTest::newRow("line comment untrimmed, ends at colon") << "LineComment: REM :x" << "lineComment" << " REM ";
    QTest::newRow("block start trimmed") << "BlockCommentStart:  /*  " << "blockStart" << "/*";
    QTest::newRow("keywords raw after key") << "KeyWord1:if a:b  else " << "keywords" << "if a:b  else ";
    QTest::newRow("list entries skip double blanks") << "KeyWord1:if  else \nKeyWord2:printf " << "entries"
                                                     << "@ if,@ else,# printf";
    QTest::newRow("keyword key case-sensitive") << "keyword1:if " << "keywords" << "";
}

void TestLanguageDefs::keyRules()
{
    QFETCH(QString, lines);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    LanguageDefinition definition;
    definition.applyLines(lines.split(QLatin1Char('\n')));
    QCOMPARE(::field(definition, field), expected);
}

void TestLanguageDefs::functionHelpFile()
{
    QTemporaryDir dir;
    // Lines without a text are skipped; a third field is dropped.
    writeFile(dir, "c.a", "skipped\r\nprintf\t(const char *format, ...)\r\nPRINTF\t(second)\r\nstrlen\t\t\t\r\n"
                          "f\t\t\t(x)\tnote\r\nputs\t(const char *s)");
    const FunctionHelp help = FunctionHelp::load(FunctionHelp::pathForDefinition(dir.filePath("c.kw")));
    QVERIFY(help.present());
    QCOMPARE(help.names(), (QStringList{"printf", "PRINTF", "f", "puts"}));
    QCOMPARE(help.textFor("f").value_or("none"), QStringLiteral("(x)"));
    QCOMPARE(help.textFor("Printf").value_or("none"), QStringLiteral("(const char *format, ...)"));
    QVERIFY(!help.textFor("strlen"));
    QVERIFY(!FunctionHelp::load(dir.filePath("missing.a")).present());
}

void TestLanguageDefs::fileExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::newRow("last dot") << "archive.tar.gz" << "gz";
    QTest::newRow("dot in folder only") << "/home/me/src.d/Makefile" << "";
    QTest::newRow("trailing dot") << "file." << "";
    QTest::newRow("hidden file") << "/home/me/.bashrc" << "bashrc";
}

void TestLanguageDefs::fileExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(modKeyWords::fileExtension(name), extension);
}

static const QByteArray kC = "Name:C\r\nDescription:test\r\nCompilerPath:gcc -Wall -c\r\nLineComment://\r\n"
                             "BlockCommentStart:/*\r\nBlockCommentEnd:*/\r\nExtensions:c h \r\nCaseSensitive:1\r\n"
                             "StringChar:\"\r\nWholeWord:1\r\nKeyWord1:if else \r\nKeyWord2:printf \r\n";

void TestLanguageDefs::finder()
{
    QTemporaryDir dir;
    writeFile(dir, "c.kw", kC);
    writeFile(dir, "late.kw", "Extensions:zz \r\nName:Late\r\n");
    writeFile(dir, "noname.kw", "Extensions:nn \r\n");
    // Not definitions: another case of the extension, a backup, a text file, a folder.
    writeFile(dir, "upper.KW", "Name:Upper\r\nExtensions:q \r\n");
    writeFile(dir, "c.kw.bak", "Name:Backup\r\nExtensions:q \r\n");
    writeFile(dir, "notes.txt", "Name:Notes\r\nExtensions:q \r\n");
    QDir(dir.path()).mkdir("sub.kw");

    QCOMPARE(modKeyWords::findDefinitionForExtension(dir.path(), "C")->languageName, QStringLiteral("C"));
    QCOMPARE(modKeyWords::findDefinitionForExtension(dir.path(), "zz")->languageName, QStringLiteral("Late"));
    QCOMPARE(modKeyWords::findDefinitionForExtension(dir.path(), "nn")->languageName, QString());
    QVERIFY(!modKeyWords::findDefinitionForExtension(dir.path(), ""));
    QVERIFY(!modKeyWords::findDefinitionForExtension(dir.path(), "q"));
    QCOMPARE(modKeyWords::definitionFiles(dir.path()).size(), 3);
    QVERIFY(!modKeyWords::findDefinitionForExtension(dir.filePath("missing"), "c"));
}

void TestLanguageDefs::firstDefinitionInFolderOrderWins()
{
    QTemporaryDir dir;
    writeFile(dir, "one.kw", "Name:One\r\nExtensions:x \r\n");
    writeFile(dir, "two.kw", "Name:Two\r\nExtensions:y X \r\n");
    const QStringList order = modKeyWords::definitionFiles(dir.path());
    QCOMPARE(order.size(), 2);
    const QString first = order.first().endsWith("one.kw") ? "One" : "Two";
    QCOMPARE(modKeyWords::findDefinitionForExtension(dir.path(), "x")->languageName, first);
    const auto entries = modKeyWords::languageMenuEntries(dir.path(), "x");
    QCOMPARE(entries.first().caption, first);
}

void TestLanguageDefs::loadReplacesPreviousLanguage()
{
    QTemporaryDir dir;
    writeFile(dir, "c.kw", kC);
    writeFile(dir, "java.kw", "Name:JAVA\r\nExtensions:java \r\nKeyWord2:println \r\n");
    writeFile(dir, "c.a", "printf\t(const char *format, ...)\r\n");
    LanguageDefinition current = modKeyWords::loadLanguage(dir.path(), "/tmp/x.y/main.c");
    QVERIFY(current.languageActive && !current.isJava());
    QCOMPARE(current.languageName, QStringLiteral("C"));
    QCOMPARE(current.definitionPath, dir.filePath("c.kw"));
    QCOMPARE(current.compilerPath, QStringLiteral("gcc -Wall -c"));
    QCOMPARE(current.keywordPattern, QStringLiteral("\\bif\\b|\\belse\\b|\\b\\b"));
    QCOMPARE(current.functionHelp.names(), QStringList{"printf"});

    current = modKeyWords::loadLanguage(dir.path(), "A.JAVA");
    QVERIFY(current.languageActive && current.isJava());
    QVERIFY(current.stringChar.isNull());
    QVERIFY(current.compilerPath.isEmpty() && current.lineComment.isEmpty() && !current.caseSensitive);
    QVERIFY(current.keywordPattern.isEmpty());
    QCOMPARE(current.functionPattern, QStringLiteral("\\bprintln\\b|\\b\\b"));
    QVERIFY(!current.functionHelp.present());

    current = modKeyWords::loadLanguage(dir.path(), "readme");
    QVERIFY(!current.languageActive);
    QVERIFY(current.languageName.isEmpty() && current.definitionPath.isEmpty());
}

void TestLanguageDefs::menuEntries()
{
    QTemporaryDir dir;
    writeFile(dir, "c.kw", kC);
    writeFile(dir, "blank.kw", "Name:Blank\r\nExtensions: txt \r\n");
    writeFile(dir, "nameless.kw", "Extensions:nl \r\n");
    QMap<QString, modKeyWords::LanguageMenuEntry> byCaption;
    for (const auto &entry : modKeyWords::languageMenuEntries(dir.path(), "H"))
        byCaption.insert(entry.caption, entry);
    QCOMPARE(byCaption.keys(), (QStringList{"Blank", "C", "nameless"}));
    QCOMPARE(byCaption["C"].tag, QStringLiteral("c"));
    QVERIFY(byCaption["C"].matchesDocument);
    QVERIFY(!byCaption["Blank"].matchesDocument);
    QCOMPARE(byCaption["Blank"].tag, QString());
    const QString picked = modKeyWords::fileNameForMenuTag(byCaption["Blank"].tag);
    QVERIFY(!modKeyWords::loadLanguage(dir.path(), picked).languageActive);
    QCOMPARE(modKeyWords::loadLanguage(dir.path(), modKeyWords::fileNameForMenuTag("c")).languageName,
             QStringLiteral("C"));
}

void TestLanguageDefs::renderDecision_data()
{
    using modKeyWords::RenderDecision;
    QTest::addColumn<QString>("change");  // from an active language, on, now, not declined, prompting
    QTest::addColumn<int>("length");      // the limit is 100
    QTest::addColumn<RenderDecision>("decision");

    QTest::newRow("at the limit renders") << "" << 100 << RenderDecision::Render;
    QTest::newRow("over the limit asks") << "" << 101 << RenderDecision::AskFirst;
    QTest::newRow("over the limit, no prompt") << "no prompt" << 101 << RenderDecision::Render;
    QTest::newRow("declined document") << "declined" << 10 << RenderDecision::None;
    QTest::newRow("highlighting off") << "off" << 10 << RenderDecision::None;
    QTest::newRow("not now") << "later" << 10 << RenderDecision::None;
    QTest::newRow("no keywords") << "no keywords" << 10 << RenderDecision::None;
    QTest::newRow("no language") << "inactive" << 10 << RenderDecision::None;
}

void TestLanguageDefs::renderDecision()
{
    QFETCH(QString, change);
    QFETCH(int, length);
    QFETCH(modKeyWords::RenderDecision, decision);
    LanguageDefinition language;
    language.languageActive = change != "inactive";
    language.keywordListText = change == "no keywords" ? "" : "if ";
    modKeyWords::RenderRequest request;
    request.highlightingEnabled = change != "off";
    request.renderNow = change != "later";
    request.highlightingDeclined = change == "declined";
    request.promptWarningLargeFile = change != "no prompt";
    request.textLength = length;
    request.colorFileSizeLimit = 100;
    QCOMPARE(modKeyWords::renderDecision(language, request), decision);
}

void TestLanguageDefs::messages()
{
    QCOMPARE(modKeyWords::languageHint("PHP"),
             QStringLiteral("Press Ctrl+Space to get a list of available Key Words (PHP)"));
    QCOMPARE(modKeyWords::largeFileQuestion("/tmp/%1 big.c", 300000, 200000),
             QStringLiteral("/tmp/%1 big.c (300000 bytes) exceeds 200000 bytes.\r\nAre you sure you want to "
                            "enable highlighning?\r\n\r\n(You can adjust these settings under the options dialog)"));
}

QTEST_GUILESS_MAIN(TestLanguageDefs)
#include "tst_languagedefs.moc"
