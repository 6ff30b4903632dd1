#include "Authoring.h"
#include "CommandTable.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "frmHTMLTable.h"
#include "frmMain.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// The Insert menu of the real window: menu items, shortcuts, dialogs and undo.
class TestInsertMenu : public QObject {
    Q_OBJECT

private slots:
    void shortcutsAndUndo();
    void menuStateWhenOpened();
    void shippedTemplateOnAltOne();
    void tableDialog();
    void colourPickedAndCancelled();
};

namespace {

// Answers the colour picker and records what it was asked.
class ColourPrompter : public ScriptedPrompter {
public:
    std::optional<QColor> colour;
    QColor start;
    QString title;
    std::optional<QColor> pickColor(QWidget *, const QColor &from, const QString &caption) override
    {
        start = from;
        title = caption;
        return colour;
    }
};

struct Window : frmMain {
    QTemporaryDir docs;
    explicit Window(const QString &app, const QByteArray &bytes, const QString &name = QStringLiteral("a.html"))
        : frmMain(app)
    {
        ReadFile(writeFile(docs, name, bytes), false);
        show();
        activateWindow();
        txtText()->setFocus();
    }
    void select(int start, int length)
    {
        surface().setSelStart(start);
        surface().setSelLength(length);
    }
    QAction *action(const char *name) { return CommandTable::findCommand(this, name); }
};

} // namespace

void TestInsertMenu::shortcutsAndUndo()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    Window window(app.path(), "<p>w</p>\n");
    QVERIFY(QTest::qWaitForWindowActive(&window));
    EditorSurface &s = window.surface();
    const struct {
        QKeySequence keys;
        QString text;
        int selStart, selLength;
    } cases[] = {
        {QKeySequence(QStringLiteral("Ctrl+Shift+A")), QStringLiteral("<p><a href=\"\">w</a></p>\r\n"), 12, 0},
        {QKeySequence(QStringLiteral("Ctrl+Shift+I")), QStringLiteral("<p><img src=\"\">w</p>\r\n"), 13, 0},
        {QKeySequence(QStringLiteral("Ctrl+I")), QStringLiteral("<p><i>w</i></p>\r\n"), 6, 1},
        {QKeySequence(QStringLiteral("Ctrl+2")), QStringLiteral("<p><h2>w</h2></p>\r\n"), 7, 1},
        {QKeySequence(QStringLiteral("Ctrl+Shift+Space")), QStringLiteral("<p>&nbsp;w</p>\r\n"), 9, 1},
    };
    for (const auto &c : cases) {
        window.select(3, 1);
        QTest::keySequence(window.txtText(), c.keys);
        QCOMPARE(s.text(), c.text);
        QCOMPARE(s.selStart(), c.selStart);
        QCOMPARE(s.selLength(), c.selLength);
        QTest::keySequence(window.txtText(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(s.text(), QStringLiteral("<p>w</p>\r\n"));
    }
    window.select(3, 1);
    window.action("mnuInsertBold")->trigger();
    QCOMPARE(s.text(), QStringLiteral("<p><b>w</b></p>\r\n"));
    QCOMPARE(s.selText(), QStringLiteral("w"));
    QVERIFY(!window.document().isDocumentSaved);
}

void TestInsertMenu::menuStateWhenOpened()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    QDir(app.path()).mkpath(QStringLiteral("keywords"));
    QFile::copy(sourceDir() + QStringLiteral("/data/keywords/c.kw"), app.filePath(QStringLiteral("keywords/c.kw")));
    for (const auto &[file, commented] : {std::pair{"a.txt", false}, std::pair{"a.c", true}}) {
        Window window(app.path(), "int x;\n", QLatin1String(file));
        auto *insert = window.menuBar()->findChild<QMenu *>(QStringLiteral("mnuInsert"));
        emit insert->aboutToShow();
        QCOMPARE(window.action("mnuInsertInsertComment")->isEnabled(), commented);
        QCOMPARE(window.action("mnuInsertRemoveComment")->isEnabled(), commented);
        QCOMPARE(window.action("mnuInsertTemplates1_0")->text(), QStringLiteral("User Template 1 - 1\tAlt+1"));
        QVERIFY(window.action("mnuInsertTemplatesEdit")->isEnabled());
        if (commented) {
            window.select(0, 0);
            window.action("mnuInsertInsertComment")->trigger();
            QVERIFY(window.surface().text().startsWith(QStringLiteral("//int x;")));
        }
    }
}

void TestInsertMenu::shippedTemplateOnAltOne()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    QDir(app.path()).mkpath(QStringLiteral("templates"));
    QVERIFY(QFile::copy(sourceDir() + QStringLiteral("/data/templates/templates.dat"),
                        app.filePath(QStringLiteral("templates/templates.dat"))));
    Window window(app.path(), "");
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QString path = window.document().strfilename;
    QTest::keyClick(window.txtText(), Qt::Key_1, Qt::AltModifier);
    const QString text = window.surface().text();
    QVERIFY(text.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(text.contains(QStringLiteral("<title>a.html</title>")));
    QVERIFY(!text.contains(u'$'));
    QCOMPARE(text.mid(window.surface().selStart() - 9, 9), QStringLiteral("<body>\r\n\t"));
    QCOMPARE(text.mid(window.surface().selStart(), 9), QStringLiteral("\r\n</body>"));
    QTest::keyClick(window.txtText(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window.surface().text(), QString());
    QVERIFY(path.endsWith(QStringLiteral("a.html")));
}

void TestInsertMenu::tableDialog()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    Window window(app.path(), "  x\n");
    window.select(2, 0);
    window.action("mnuInsertTable")->trigger();
    auto *dialog = window.findChild<frmHTMLTable *>(QStringLiteral("frmHTMLTable"));
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Insert HTML Table"));
    QVERIFY(!dialog->isModal());
    for (QLineEdit *field : {dialog->txtColumns, dialog->txtBorder}) {
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("51"));
        QCOMPARE(field->text(), QStringLiteral("1"));
    }
    QTest::keyClick(dialog->txtRows, Qt::Key_Up);
    QTest::keyClick(dialog->txtColumns, Qt::Key_Up);
    QTest::keyClick(dialog->txtColumns, Qt::Key_Up);
    QCOMPARE(dialog->txtRows->text(), QStringLiteral("2"));
    QCOMPARE(dialog->txtColumns->selectedText(), QStringLiteral("3"));
    QTest::keyClick(dialog->txtCellPadding, Qt::Key_Down);
    QCOMPARE(dialog->txtCellPadding->text(), QStringLiteral("1"));
    QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    const QString text = window.surface().text();
    QVERIFY(text.startsWith(QStringLiteral("  <table border=\"1\" cellpadding=\"1\" cellspacing=\"0\">\r\n  \t<tr>\r\n"
                                           "  \t\t<td></td>\r\n")));
    QCOMPARE(text.count(QStringLiteral("<td></td>")), 6);
    QVERIFY(text.endsWith(QStringLiteral("  </table>\r\nx\r\n")));
    QCOMPARE(window.surface().selStart(), int(text.indexOf(QStringLiteral("<td>"))) + 4);
    QTRY_VERIFY(!window.findChild<frmHTMLTable *>(QStringLiteral("frmHTMLTable")));
    window.Undo();
    QCOMPARE(window.surface().text(), QStringLiteral("  x\r\n"));
}

void TestInsertMenu::colourPickedAndCancelled()
{
    QTemporaryDir app;
    auto owned = std::make_unique<ColourPrompter>();
    ColourPrompter *prompter = owned.get();
    Prompter::setInstance(std::move(owned));
    {
        Window window(app.path(), "a { color: ; }\n");
        window.select(11, 0);
        window.action("mnuInsertHTMLColor")->trigger();
        QCOMPARE(prompter->title, QStringLiteral("Insert HTML Color"));
        QCOMPARE(prompter->start, QColor(Qt::white));
        QCOMPARE(window.surface().text(), QStringLiteral("a { color: ; }\r\n"));
        QVERIFY(window.document().isDocumentSaved);

        prompter->colour = QColor(0, 0xFF, 0x80);
        window.action("mnuInsertHTMLColor")->trigger();
        QCOMPARE(window.surface().text(), QStringLiteral("a { color: #00FF80; }\r\n"));
        QCOMPARE(window.settings().lastInsertedHTMLColor, OleColor(8453888));
    }
    Prompter::setInstance(nullptr);
}

QTEST_MAIN(TestInsertMenu)
#include "tst_insertmenu.moc"
