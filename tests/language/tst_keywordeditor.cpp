#include "FileFilters.h"
#include "FileIO.h"
#include "KeywordDefinition.h"
#include "LanguageDefinition.h"
#include "MainOptionsHost.h"
#include "TestSupport.h"
#include "frmKeyWordEditor.h"
#include "frmMain.h"
#include "modKeyWords.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {

KeywordDefinition sample()
{
    KeywordDefinition d;
    d.name = QStringLiteral("Mini");
    d.description = QStringLiteral("a small language");
    d.compiler = QStringLiteral("gcc -c");
    d.extensions = {QStringLiteral("mi"), QStringLiteral("mini")};
    d.caseSensitive = true;
    d.keywords = {QStringLiteral("if"), QStringLiteral("else")};
    d.functions = {QStringLiteral("print")};
    d.help = {{QStringLiteral("print"), QStringLiteral("print(text)")}};
    return d;
}

QString randomText(QRandomGenerator &random, const QString &alphabet, int minLength, int maxLength)
{
    QString text;
    const int length = random.bounded(minLength, maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

QStringList randomWords(QRandomGenerator &random, const QString &alphabet, int maxCount)
{
    QStringList words;
    const int count = random.bounded(maxCount + 1);
    for (int i = 0; i < count; ++i) {
        const QString word = randomText(random, alphabet, 1, 8);
        if (!words.contains(word, Qt::CaseInsensitive))
            words << word;
    }
    return words;
}

template <typename T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace

Q_DECLARE_METATYPE(KeywordDefinition)

class TestKeywordEditor : public QObject {
    Q_OBJECT
private slots:
    void writtenLines_data();
    void writtenLines();
    void savedDefinitionsLoadWithTheSameMeaning();
    void badFilesLoadWhatTheyCan();
    void editingTheLists();
    void savingNamesAndFailures();
    void closingAsksAndReloadsTheDocumentLanguage();
    void nonLatin1TextWasSavedAsQuestionMarks();
    void dialogFiltersNamedTheirPatternsTwice();
};

void TestKeywordEditor::writtenLines_data()
{
    QTest::addColumn<KeywordDefinition>("definition");
    QTest::addColumn<QStringList>("kw");
    QTest::addColumn<QByteArray>("help");
    QTest::newRow("every entry") << sample()
                                 << QStringList{"Name:Mini", "Description:a small language", "CompilerPath:gcc -c",
                                                "LineComment://", "BlockCommentStart:/*", "BlockCommentEnd:*/",
                                                "Extensions:mi mini ", "CaseSensitive:1", "StringChar:\"",
                                                "WholeWord:0", "KeyWord1:if else ", "KeyWord2:print "}
                                 << QByteArray("print\t\t\tprint(text)\r\n");
    KeywordDefinition bare;
    bare.lineComment = QStringLiteral("::");
    bare.blockCommentStart.clear();
    bare.blockCommentEnd.clear();
    bare.stringChar.clear();
    bare.markup = true;
    bare.wholeWord = true;
    QTest::newRow("no functions, no KeyWord2 line, empty help file; a colon marker escaped")
        << bare
        << QStringList{"Name:My Language", "Description:", "LineComment:\\:\\:", "CaseSensitive:0", "IsMarkupLanguage:1",
                       "WholeWord:1"}
        << QByteArray();
}

void TestKeywordEditor::writtenLines()
{
    QFETCH(KeywordDefinition, definition);
    QFETCH(QStringList, kw);
    QFETCH(QByteArray, help);
    QTemporaryDir dir;
    QVERIFY(!definition.write(dir.filePath(QStringLiteral("x.kw.kw"))));
    QCOMPARE(FileIO::readLines(dir.filePath(QStringLiteral("x.kw"))), kw);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("x.a"))));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("x.a"))), help);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.kw.kw"))));
}

void TestKeywordEditor::savedDefinitionsLoadWithTheSameMeaning()
{
    QRandomGenerator random(20261207);
    const QString wordChars = QStringLiteral("abcXYZ019_-*#.:\u00e9");
    const QString textChars = QStringLiteral("abc XYZ:*#.\\/name extensions\u00e9");
    for (int round = 0; round < 150; ++round) {
        QTemporaryDir dir;
        KeywordDefinition d;
        d.name = randomText(random, textChars, 1, 12).trimmed() + QLatin1Char('n');
        d.description = randomText(random, textChars, 0, 20);
        d.compiler = randomText(random, textChars, 0, 20);
        d.lineComment = randomText(random, QStringLiteral("/#;*-!%"), 0, 3);
        d.blockCommentStart = randomText(random, QStringLiteral("/*({-<!"), 0, 3);
        d.blockCommentEnd = randomText(random, QStringLiteral("*/)}->"), 0, 3);
        d.stringChar = randomText(random, QStringLiteral("\"'`"), 0, 1);
        d.caseSensitive = random.bounded(2);
        d.wholeWord = random.bounded(2);
        d.markup = random.bounded(2);
        d.extensions = randomWords(random, QStringLiteral("abcdz019"), 3);
        d.keywords = randomWords(random, wordChars, 6);
        d.functions = randomWords(random, wordChars, 4);
        for (const QString &function : d.functions) {
            if (random.bounded(2))
                d.setHelp(function, randomText(random, textChars, 1, 16));
        }
        const QString path = dir.filePath(QStringLiteral("lang.kw"));
        QVERIFY(!d.write(path));

        const std::optional<KeywordDefinition> reread = KeywordDefinition::read(path);
        QVERIFY(reread);
        QCOMPARE(*reread, d);

        LanguageDefinition loaded;
        loaded.applyLines(FileIO::readLines(path));
        QCOMPARE(loaded.keywordEntries(), d.keywords);
        QCOMPARE(loaded.functionEntries(), d.functions);
        QCOMPARE(loaded.caseSensitive, d.caseSensitive);
        QCOMPARE(loaded.wholeWord, d.wholeWord);
        QCOMPARE(loaded.markup, d.markup);
        QCOMPARE(loaded.compilerPath, d.compiler);
        QCOMPARE(loaded.stringChar, d.stringChar.isEmpty() ? QChar() : d.stringChar.at(0));
        QCOMPARE(loaded.lineComment, QString(d.lineComment).replace(QLatin1String("*"), QLatin1String("\\*")));
        QCOMPARE(loaded.blockCommentStart, d.blockCommentStart);
        QCOMPARE(loaded.blockCommentEnd, d.blockCommentEnd);
        const FunctionHelp help = FunctionHelp::load(FunctionHelp::pathForDefinition(path));
        QCOMPARE(help.names().size(), d.help.size());
        for (const KeywordDefinition::Help &entry : d.help)
            QCOMPARE(help.textFor(entry.name), std::optional(entry.text));
        for (const QString &extension : d.extensions)
            QCOMPARE(modKeyWords::findDefinitionForExtension(dir.path(), extension)->languageName, d.name);
    }
}

void TestKeywordEditor::badFilesLoadWhatTheyCan()
{
    QTemporaryDir dir;
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char(QRandomGenerator::global()->bounded(256));
    const QString path = writeFile(dir, QStringLiteral("junk.kw"), garbage + "\r\nkeyword1:a b\r\nname");
    writeFile(dir, QStringLiteral("junk.a"), garbage + "\r\nonlyname\r\nf\tmiddle\tlast\r\n");
    const std::optional<KeywordDefinition> d = KeywordDefinition::read(path);
    QVERIFY(d);
    QCOMPARE(d->helpFor(QStringLiteral("F")), QStringLiteral("last"));
    QVERIFY(d->helpFor(QStringLiteral("onlyname")).isEmpty());
    QVERIFY(!KeywordDefinition::read(dir.filePath(QStringLiteral("missing.kw"))));
    // A description that mentions a key does not shadow the key's own line.
    const KeywordDefinition hand = KeywordDefinition::fromText(
        QStringLiteral("Description:the name: and extensions: here\r\nname:Real\r\nEXTENSIONS:x y"), {});
    QCOMPARE(hand.name, QStringLiteral("Real"));
    QCOMPARE(hand.extensions, (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
}

void TestKeywordEditor::editingTheLists()
{
    PrompterGuard prompter;
    QTemporaryDir dir;
    frmKeyWordEditor editor(dir.path(), QString());
    auto *add = child<QLineEdit>(&editor, "txtAddKW2");
    auto *functions = child<QListWidget>(&editor, "lstKW2");
    add->setText(QStringLiteral("c pp"));
    child<QPushButton>(&editor, "cmdAddKW2")->click();
    add->setText(QStringLiteral("CPP"));
    child<QPushButton>(&editor, "cmdAddKW2")->click();
    add->setText(QStringLiteral("Echo"));
    QTest::keyClick(add, Qt::Key_Return);
    QCOMPARE(functions->count(), 2);
    QCOMPARE(functions->item(0)->text(), QStringLiteral("cpp"));
    QCOMPARE(child<QLabel>(&editor, "lblKW2Count")->text(), QStringLiteral("(2)"));
    QVERIFY(!editor.isSaved());

    functions->setCurrentRow(1);
    QCOMPARE(child<QGroupBox>(&editor, "fraHelpText")->title(), QStringLiteral("Function Help Text (Echo)"));
    QTest::keyClicks(child<QLineEdit>(&editor, "txtHelpText"), QStringLiteral("echo(x)"));
    QCOMPARE(editor.definition().help, (QList<KeywordDefinition::Help>{{QStringLiteral("echo"), QStringLiteral("echo(x)")}}));

    child<QListWidget>(&editor, "lstKW1")->addItem(QStringLiteral("ECHO"));
    functions->setCurrentRow(1);
    child<QPushButton>(&editor, "cmdMoveToKeyWords")->click();
    QCOMPARE(editor.definition().keywords, QStringList{QStringLiteral("ECHO")});
    QCOMPARE(editor.definition().functions, QStringList{QStringLiteral("cpp")});

    prompter->answers << QMessageBox::No << QMessageBox::Yes;
    child<QPushButton>(&editor, "cmdClearKW1")->click();
    QCOMPARE(child<QListWidget>(&editor, "lstKW1")->count(), 1);
    child<QPushButton>(&editor, "cmdClearExtensions")->click();
    QCOMPARE(prompter->asked.at(0).text, QStringLiteral("Are you sure you want to remove all the keywords?"));
    QCOMPARE(prompter->asked.at(1).text, QStringLiteral("Are you sure you want to remove all the extensions?"));
    QCOMPARE(prompter->asked.at(1).title, QStringLiteral("Confirm"));

    functions->setCurrentRow(0);
    QTest::keyClick(functions, Qt::Key_Delete);
    QCOMPARE(functions->count(), 0);
    prompter->answers << QMessageBox::No;
}

void TestKeywordEditor::savingNamesAndFailures()
{
    PrompterGuard prompter;
    QTemporaryDir dir;
    frmKeyWordEditor editor(dir.filePath(QStringLiteral("keywords")), QString());
    child<QLineEdit>(&editor, "txtName")->setText(QStringLiteral("Tiny"));
    child<QComboBox>(&editor, "cboCaseSens")->setCurrentText(QStringLiteral("True"));
    prompter->saveAnswers << dir.filePath(QStringLiteral("keywords/tiny"));
    QVERIFY(editor.SaveAs());
    QCOMPARE(editor.fileName(), dir.filePath(QStringLiteral("keywords/tiny.kw")));
    QVERIFY(editor.isSaved());
    frmKeyWordEditor reopened(dir.filePath(QStringLiteral("keywords")), editor.fileName());
    QCOMPARE(child<QComboBox>(&reopened, "cboCaseSens")->currentText(), QStringLiteral("True"));

    // A folder that cannot be written (here a regular file stands in its way).
    writeFile(dir, QStringLiteral("blocked"), "not a folder");
    child<QLineEdit>(&editor, "txtAddKW1")->setText(QStringLiteral("word"));
    child<QPushButton>(&editor, "cmdAddKW1")->click();
    prompter->saveAnswers << dir.filePath(QStringLiteral("blocked/tiny.kw"));
    prompter->answers << QMessageBox::Ok;
    QVERIFY(!editor.SaveAs());
    QVERIFY(prompter->asked.last().text.startsWith(QStringLiteral("The definition could not be saved to ")));
    QVERIFY(!editor.isSaved());
    QCOMPARE(editor.definition().keywords, QStringList{QStringLiteral("word")});
    QCOMPARE(editor.fileName(), dir.filePath(QStringLiteral("keywords/tiny.kw")));

    child<QLineEdit>(&editor, "txtName")->clear();
    prompter->answers << QMessageBox::Ok;
    QVERIFY(!editor.Save());
    QCOMPARE(prompter->asked.last().text, QStringLiteral("Name is required!"));
    QCOMPARE(prompter->asked.last().title, QStringLiteral("Allert"));
    QVERIFY(FileIO::readLines(editor.fileName()).contains(QStringLiteral("Name:Tiny")));
    prompter->answers << QMessageBox::No;
}

void TestKeywordEditor::closingAsksAndReloadsTheDocumentLanguage()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
    frmMain window(app.path());
    MainOptionsHost host(window);
    window.ReadFile(writeFile(app, QStringLiteral("doc.c"), "zork x;\r\n"), false);
    QVERIFY(window.languageActive());
    QVERIFY(!window.language().keywordEntries().contains(QStringLiteral("zork")));
    bool keptOpen = false;
    QTimer::singleShot(0, [&] {
        auto *editor = qobject_cast<frmKeyWordEditor *>(QApplication::activeModalWidget());
        QVERIFY(editor);
        QCOMPARE(editor->fileName(), window.language().definitionPath);
        child<QLineEdit>(editor, "txtAddKW1")->setText(QStringLiteral("zork"));
        child<QPushButton>(editor, "cmdAddKW1")->click();
        prompter->answers << QMessageBox::Cancel << QMessageBox::Yes;
        editor->reject();
        keptOpen = editor->isVisible();
        editor->reject();
    });
    host.showKeywordEditor();
    QVERIFY(keptOpen);
    QCOMPARE(prompter->asked.size(), 2);
    QCOMPARE(prompter->asked.at(0).text, QStringLiteral("Save Changes?"));
    QVERIFY(window.language().keywordEntries().contains(QStringLiteral("zork")));
    QCOMPARE(window.surface().formatAt(0).color, window.settings().fcolor1);
}

void TestKeywordEditor::nonLatin1TextWasSavedAsQuestionMarks()
{
    PrompterGuard prompter;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("keywords"));
    frmKeyWordEditor editor(folder, QString());
    child<QLineEdit>(&editor, "txtName")->setText(QStringLiteral("Mini"));
    const auto add = [&](const char *box, const char *button, const QString &text) {
        child<QLineEdit>(&editor, box)->setText(text);
        child<QPushButton>(&editor, button)->click();
    };
    add("txtAddExt", "cmdAddExt", QStringLiteral("mi"));
    add("txtAddKW1", "cmdAddKW1", QStringLiteral("foo"));
    add("txtAddKW1", "cmdAddKW1", QStringLiteral("\u0441\u043b\u043e\u0432\u043e"));
    add("txtAddKW2", "cmdAddKW2", QStringLiteral("gr\u00f6\u00dfe"));
    child<QLineEdit>(&editor, "txtHelpText")->setText(QStringLiteral("(x) \u2192 y"));
    emit child<QLineEdit>(&editor, "txtHelpText")->textEdited(QStringLiteral("(x) \u2192 y"));
    prompter->saveAnswers << dir.filePath(QStringLiteral("keywords/mini.kw"));
    QVERIFY(editor.SaveAs());

    const QByteArray kw = readFile(editor.fileName());
    QVERIFY2(!kw.contains('?') && kw.contains("KeyWord1:foo \xd1\x81\xd0\xbb\xd0\xbe\xd0\xb2\xd0\xbe \r\n"),
             kw.constData());
    QCOMPARE(readFile(KeywordDefinition::helpPath(editor.fileName())), QByteArray("gr\xc3\xb6\xc3\x9f" "e\t\t\t(x) \xe2\x86\x92 y\r\n"));
    const LanguageDefinition loaded = modKeyWords::loadLanguage(folder, QStringLiteral("a.mi"));
    QCOMPARE(loaded.keywordEntries(), (QStringList{QStringLiteral("foo"), QStringLiteral("\u0441\u043b\u043e\u0432\u043e")}));
    QCOMPARE(loaded.functionHelp.textFor(QStringLiteral("gr\u00f6\u00dfe")), std::optional(QStringLiteral("(x) \u2192 y")));
    frmKeyWordEditor reopened(folder, editor.fileName());
    QCOMPARE(reopened.definition(), editor.definition());

    // Text that fits one byte a character keeps the single-byte form, and reads back the same even
    // where those bytes would also spell UTF-8.
    KeywordDefinition latin = sample();
    latin.keywords = {QStringLiteral("caf\u00e9"), QStringLiteral("\u00c3\u00a9")};
    QVERIFY(!latin.write(dir.filePath(QStringLiteral("keywords/latin.kw"))));
    QVERIFY(readFile(dir.filePath(QStringLiteral("keywords/latin.kw"))).contains("KeyWord1:caf\xe9 \xc3\xa9 \r\n"));
    latin.keywords = {QStringLiteral("\u00c3\u00a9")};
    QVERIFY(!latin.write(dir.filePath(QStringLiteral("keywords/latin.kw"))));
    QCOMPARE(KeywordDefinition::read(dir.filePath(QStringLiteral("keywords/latin.kw")))->keywords, latin.keywords);
}

void TestKeywordEditor::dialogFiltersNamedTheirPatternsTwice()
{
    PrompterGuard prompter;
    QTemporaryDir dir;
    frmKeyWordEditor editor(dir.path(), QString());
    prompter->openAnswers << QString() << QString();
    prompter->saveAnswers << QString();
    editor.Open();
    editor.SaveAs();
    child<QPushButton>(&editor, "cmdBrowseExe")->click();
    QCOMPARE(prompter->dialogs.size(), 3);
    QStringList shown;
    for (const auto &dialog : prompter->dialogs)
        shown << FileFilters::displayText(FileFilters::dialogFilter(dialog.filter));
    QCOMPARE(shown, (QStringList{QStringLiteral("Orvane Keyword Files (*.kw)"), QStringLiteral("Orvane Keyword Files (*.kw)"),
                                 QStringLiteral("Compilers (*)")}));
}

QTEST_MAIN(TestKeywordEditor)
#include "tst_keywordeditor.moc"
