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
}

void TestKeywordFiles::extensionsMapToLanguages()
{
    QFETCH(QString, fileName);
    QFETCH(QString, language);
    QFETCH(bool, markup);
    const LanguageDefinition loaded = modKeyWords::loadLanguage(m_folder, "/home/u/src/" + fileName);
    QVERIFY(loaded.languageActive);
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

QTEST_GUILESS_MAIN(TestKeywordFiles)
#include "tst_keywordfiles.moc"
