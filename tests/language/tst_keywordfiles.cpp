#include "RegExp.h"
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

private:
    QString m_folder;
};

void TestKeywordFiles::initTestCase()
{
    m_folder = TestSupport::sourceDir() + QStringLiteral("/data/keywords");
    QVERIFY(modKeyWords::definitionFiles(m_folder).size() >= 23);
}

static bool compiles(const QString &pattern)
{
    RegExp re(pattern);
    return re.isValid();
}

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
            QVERIFY(!language.languageName.isEmpty());
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
    QTest::addColumn<QString>("compiler");

    QTest::newRow(".c") << "main.c" << "C" << false << "gcc -Wall -c";
    QTest::newRow(".h") << "main.H" << "C" << false << "gcc -Wall -c";
    QTest::newRow(".cpp") << "main.cpp" << "C++" << false << "g++ -Wall -c";
    QTest::newRow(".cs") << "Program.cs" << "C#" << false << "mcs";
    QTest::newRow(".java") << "Main.java" << "Java" << false << "javac";
    QTest::newRow(".js") << "app.js" << "JavaScript" << false << "node --check";
    QTest::newRow(".ts") << "app.ts" << "TypeScript" << false << "tsc --noEmit";
    QTest::newRow(".py") << "tool.py" << "Python" << false << "python3 -m py_compile";
    QTest::newRow(".php") << "index.php" << "PHP" << false << "php -l";
    QTest::newRow(".rb") << "x.rb" << "Ruby" << false << "ruby -c";
    QTest::newRow(".go") << "main.go" << "Go" << false << "go vet";
    QTest::newRow(".rs") << "main.rs" << "Rust" << false << "rustc --emit=metadata";
    QTest::newRow(".sql") << "q.sql" << "SQL" << false << "";
    QTest::newRow(".sh") << "run.sh" << "Bash" << false << "bash -n";
    QTest::newRow(".bat") << "RUN.BAT" << "Batch" << false << "";
    QTest::newRow(".pas") << "x.pas" << "Pascal" << false << "fpc";
    QTest::newRow(".vbs") << "x.vbs" << "Visual Basic" << false << "vbnc";
    QTest::newRow(".css") << "site.css" << "CSS" << false << "";
    QTest::newRow(".mk") << "rules.mk" << "Makefile" << false << "make -n -f";
    QTest::newRow(".html") << "index.html" << "HTML" << true << "tidy -q -e";
    QTest::newRow(".xml") << "pom.xml" << "XML" << true << "xmllint --noout";
    QTest::newRow(".svg") << "logo.svg" << "XML" << true << "xmllint --noout";
}

void TestKeywordFiles::extensionsMapToLanguages()
{
    QFETCH(QString, fileName);
    QFETCH(QString, language);
    QFETCH(bool, markup);
    QFETCH(QString, compiler);
    const LanguageDefinition loaded = modKeyWords::loadLanguage(m_folder, "/home/u/src/" + fileName);
    QVERIFY(loaded.languageActive);
    QCOMPARE(loaded.languageName, language);
    QCOMPARE(loaded.markup, markup);
    QCOMPARE(loaded.compilerPath, compiler);
    QCOMPARE(loaded.isJava(), language == "Java");
}

void TestKeywordFiles::functionHelpFiles_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("function");
    QTest::newRow("C") << "a.c" << "strncpy";
    QTest::newRow("PHP") << "a.php" << "str_replace";
    QTest::newRow("Python") << "a.py" << "enumerate";
    QTest::newRow("JavaScript") << "a.js" << "parseInt";
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

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
