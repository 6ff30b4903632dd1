#include "FoldScanner.h"
#include "KeywordDefinition.h"

#include <QtTest>

namespace {

LanguageDefinition language(const QStringList &lines)
{
    LanguageDefinition lang;
    lang.applyLines(lines);
    lang.buildPatterns();
    lang.languageActive = true;
    return lang;
}

LanguageDefinition languageNamed(const QString &name)
{
    if (name == QLatin1String("C"))
        return language({"LineComment://", "BlockCommentStart:/*", "BlockCommentEnd:*/", "StringChar:\"",
                         "StringChars:'", "StringEscape:\\", "CaseSensitive:1"});
    if (name == QLatin1String("Pascal"))
        return language({"LineComment://", "BlockCommentStart:{", "BlockCommentEnd:}", "StringChar:'",
                         "CaseSensitive:0", "FoldOpen:begin case record ", "FoldClose:end "});
    if (name == QLatin1String("Python"))
        return language({"LineComment:#", "StringChar:\"", "StringChars:'", "LongStrings:\"\"\" '''",
                         "StringEscape:\\", "FoldIndent:1"});
    return language({"IsMarkupLanguage:1", "StringChar:\"", "BlockCommentStart:<!--", "BlockCommentEnd:-->"});
}

// Each line's level, "h" when it heads a block, "w" when it is blank; lines apart by blanks.
QString levelMap(const std::vector<LineFold> &folds)
{
    QStringList lines;
    for (const LineFold &fold : folds) {
        QString entry = QString::number((fold.level & FoldLevel::NumberMask) - FoldLevel::Base);
        if (fold.level & FoldLevel::Header)
            entry += QLatin1Char('h');
        if (fold.level & FoldLevel::White)
            entry += QLatin1Char('w');
        lines << entry;
    }
    return lines.join(QLatin1Char(' '));
}

} // namespace

class TestFolding : public QObject {
    Q_OBJECT

private slots:
    void levels_data();
    void levels();
    void linesReadOneByOneGiveTheSameLevels();
    void keywordEditorKeepsTheFoldingKeys();
};

void TestFolding::levels_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("C function, else heads its own block, closing brace stays shown")
        << "C" << "int f() {\n  if (a) {\n    x;\n  } else {\n    y;\n  }\n}\n" << "0h 1h 2 1h 2 1 0 0";
    QTest::newRow("C braces in strings, characters and comments do not count")
        << "C" << "f() {\n  s = \"{\\\"{\"; // {\n  /* { */ c = '}';\n}" << "0h 1 1 0";
    QTest::newRow("C block comment over lines folds")
        << "C" << "/* a {\n b\n*/\nx" << "0h 1 0 0";
    QTest::newRow("C comment closed after its text keeps that line in the fold")
        << "C" << "/* a\n b */\nx;\n{ y;\n  z; }" << "0h 1 0 0h 1";
    QTest::newRow("C unbalanced closing brace never goes below the first level")
        << "C" << "}\n}\nx {\ny\n}" << "0 0 0h 1 0";
    QTest::newRow("C CR LF and lone CR end lines as the surface ends them")
        << "C" << "a {\r\nb\rc }\r\n" << "0h 1 1 0";
    QTest::newRow("Pascal words any case, braces are comments")
        << "Pascal" << "BEGIN\n  x; { end }\n  Case a of\n  end;\nend." << "0h 1 1h 1 0";
    QTest::newRow("Python indentation, blank and comment lines belong to the block")
        << "Python" << "def f():\n    x = 1\n\n# note\n    if x:\n        y\nz\n" << "0h 4 4w 4w 4h 8 0 0w";
    QTest::newRow("Python long string lines do not count")
        << "Python" << "x = \"\"\"\n  {\n\"\"\"\ny" << "0 0w 0w 0";
    QTest::newRow("Python long string marker inside a quoted string is text")
        << "Python" << "def f():\n    x = '\"\"\"'\n    y\nz" << "0h 4 4 0";
    QTest::newRow("HTML elements, void elements, comments")
        << "HTML" << "<html>\n<body>\n<br>\n<p>a</p>\n<!-- c\n-->\n</body>\n</html>" << "0h 1h 2 2 2h 2 1 0";
    QTest::newRow("XML tag over lines closed by />, > in a quoted value")
        << "HTML" << "<a>\n<div\n  t=\"x>\"/>\n</a>" << "0h 1h 1 0";
}

void TestFolding::levels()
{
    QFETCH(QString, lang);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const FoldScanner scanner(languageNamed(lang));
    QCOMPARE(levelMap(scanner.levels(text.toUtf8())), expected);
}

// The window reads a changed line from the state its line before ended in: reading line by line
// from the kept states gives what reading the whole text gives.
void TestFolding::linesReadOneByOneGiveTheSameLevels()
{
    const FoldScanner scanner(languageNamed(QStringLiteral("C")));
    const QByteArray text = "/* {\n } */ a {\n\"}\" b {\n} } c\n";
    const std::vector<LineFold> whole = scanner.levels(text);
    int state = 0;
    qsizetype at = 0;
    for (const LineFold &expected : whole) {
        const FoldScanner::Line line = scanner.scan(FoldScanner::nextLine(text, at), state);
        QCOMPARE(FoldScanner::foldOf(line), expected);
        state = line.state;
    }
    QCOMPARE(FoldScanner(LanguageDefinition{}).mode(), FoldScanner::Mode::None);
}

void TestFolding::keywordEditorKeepsTheFoldingKeys()
{
    const KeywordDefinition read = KeywordDefinition::fromText(
        QStringLiteral("Name:P\r\nFoldIndent:1\r\nFoldOpen:begin \r\nFoldClose:end "), {});
    LanguageDefinition written;
    written.applyLines(read.kwLines());
    QVERIFY(written.foldIndent);
    QCOMPARE(written.foldOpen, QStringList{QStringLiteral("begin")});
    QCOMPARE(written.foldClose, QStringList{QStringLiteral("end")});
}

QTEST_GUILESS_MAIN(TestFolding)
#include "tst_folding.moc"
