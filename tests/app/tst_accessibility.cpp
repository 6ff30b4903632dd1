#include "CommandTable.h"
#include "MainOptionsHost.h"
#include "ScintillaSurface.h"
#include "ScintillaView.h"
#include "SearchWindows.h"
#include "FindEngine.h"
#include "TestSupport.h"
#include "frmCompilerOutput.h"
#include "frmMain.h"
#include "frmSettings.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;

namespace {

struct Window {
    QTemporaryDir app;
    PrompterGuard prompter;
    std::unique_ptr<frmMain> window;

    Window()
    {
        QAccessible::setActive(true);
        seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
        window = std::make_unique<frmMain>(app.path());
        window->resize(900, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("window not exposed");
    }
};

// Items of lists, tables and trees may repeat a name ("<b></b>" in two lists); scroll bars are
// named by their place by assistive clients themselves.
bool isItem(QAccessible::Role role)
{
    static const QList<QAccessible::Role> items{QAccessible::ListItem,     QAccessible::Cell,
                                                QAccessible::Row,          QAccessible::TreeItem,
                                                QAccessible::ColumnHeader, QAccessible::RowHeader,
                                                QAccessible::ScrollBar,    QAccessible::MenuItem};
    return items.contains(role);
}

struct Walk {
    QStringList problems;
    QHash<QString, int> names;
    int controls = 0;
};

QString describe(QAccessibleInterface *node)
{
    const QObject *object = node->object();
    return QStringLiteral("%1 \"%2\" (role %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                    : QStringLiteral("?"))
        .arg(node->text(QAccessible::Name))
        .arg(int(node->role()));
}

// On this platform a choice box's name is its value; readers name it by the label it is labelled by.
QString nameOf(QAccessibleInterface *node)
{
    if (node->role() == QAccessible::ComboBox) {
        if (auto *widget = qobject_cast<QWidget *>(node->object()); widget && !widget->accessibleName().isEmpty())
            return widget->accessibleName();
        for (const auto &[label, relation] : node->relations(QAccessible::Label))
            return label->text(QAccessible::Name).remove(QLatin1Char('&')).trimmed();
        return QString();
    }
    return node->text(QAccessible::Name).trimmed();
}

void walk(QAccessibleInterface *node, Walk &w, int depth = 0)
{
    if (!node || depth > 30)
        return;
    const QAccessible::State state = node->state();
    auto *widget = qobject_cast<QWidget *>(node->object());
    if (widget && !widget->isVisible() && !state.invisible)
        w.problems << QStringLiteral("hidden but showing: ") + describe(node);
    if (state.invisible)
        return;
    const QString name = nameOf(node);
    const QAccessibleActionInterface *actions = node->actionInterface();
    const bool control = state.focusable || (actions && !actions->actionNames().isEmpty());
    if (node->role() == QAccessible::Separator && !name.isEmpty())
        w.problems << QStringLiteral("named separator: ") + describe(node);
    if (control && !isItem(node->role()) && node->role() != QAccessible::Separator) {
        ++w.controls;
        if (name.isEmpty() || node->role() == QAccessible::NoRole || node->role() == QAccessible::Client)
            w.problems << QStringLiteral("no name or role: ") + describe(node);
        else if (++w.names[name] == 2)
            w.problems << QStringLiteral("name \"%1\" used twice: ").arg(name) + describe(node);
    }
    const int children = std::min(node->childCount(), 300);
    for (int i = 0; i < children; ++i)
        walk(node->child(i), w, depth + 1);
}

// Alt+key must reach one control: two visible owners of a mnemonic make one unreachable.
QStringList duplicateMnemonics(QWidget *window)
{
    QHash<QKeySequence, QString> owners;
    QStringList problems;
    const auto claim = [&](const QString &text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (key.isEmpty())
            return;
        if (owners.contains(key))
            problems << QStringLiteral("%1 for \"%2\" and \"%3\"").arg(key.toString(), owners[key], text);
        else
            owners.insert(key, text);
    };
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisible() || child->window() != window)
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(child))
            claim(button->text());
        else if (auto *label = qobject_cast<QLabel *>(child); label && label->buddy())
            claim(label->text());
        else if (auto *box = qobject_cast<QGroupBox *>(child); box && box->isCheckable())
            claim(box->title());
        else if (auto *bar = qobject_cast<QMenuBar *>(child))
            for (QAction *action : bar->actions())
                claim(action->text());
    }
    return problems;
}

// Nothing inside a hidden control reads as showing: not the items of a closed list, not a hidden page.
void showingInsideHidden(QAccessibleInterface *node, bool hidden, QStringList &problems, int depth = 0)
{
    if (!node || depth > 30)
        return;
    const bool invisible = node->state().invisible;
    if (hidden && !invisible)
        problems << QStringLiteral("showing inside a hidden control: ") + describe(node);
    for (int i = 0; i < std::min(node->childCount(), 300); ++i)
        showingInsideHidden(node->child(i), hidden || invisible, problems, depth + 1);
}

QStringList inspect(QWidget *window)
{
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(window);
    Walk w;
    if (root->role() != QAccessible::Window && root->role() != QAccessible::Dialog)
        w.problems << QStringLiteral("not a window: ") + describe(root);
    walk(root, w);
    showingInsideHidden(root, false, w.problems);
    if (w.controls == 0)
        w.problems << QStringLiteral("no controls");
    const QString title = window->windowTitle();
    QStringList problems;
    for (const QString &p : w.problems + duplicateMnemonics(window))
        problems << title + QStringLiteral(": ") + p;
    return problems;
}

// Tab from one control to the next must reach every control; a pane that keeps Tab for itself
// (an editor) is left with Ctrl+Tab; what lies beyond it is reached with Shift+Tab from the other side.
QStringList unreachedByTab(QWidget *window)
{
    QList<QWidget *> wanted;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (child->window() != window || !child->isVisible() || !child->isEnabled() || !(child->focusPolicy() & Qt::TabFocus)
            || child->focusProxy() || qobject_cast<QAbstractScrollArea *>(child->parentWidget()))
            continue;
        // Tab stops at one button of a group of radio buttons; the arrows go on from there.
        if (auto *radio = qobject_cast<QRadioButton *>(child); radio && radio->autoExclusive()) {
            const auto siblings = child->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
            if (std::any_of(siblings.begin(), siblings.end(), [&](QRadioButton *other) { return wanted.contains(other); }))
                continue;
        }
        wanted << child;
    }
    if (wanted.isEmpty())
        return {};
    QApplication::setActiveWindow(window);
    QSet<QWidget *> reached;
    for (const Qt::KeyboardModifiers backwards : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        wanted.first()->setFocus(Qt::TabFocusReason);
        for (int step = 0; step < 3 * wanted.size() + 5; ++step) {
            QWidget *focused = QApplication::focusWidget();
            if (!focused || focused->window() != window)
                break;
            reached << focused;
            QTest::keyClick(focused, Qt::Key_Tab, backwards);
            if (QApplication::focusWidget() == focused)
                QTest::keyClick(focused, Qt::Key_Tab, backwards | Qt::ControlModifier);
        }
    }
    QStringList problems;
    const auto isReached = [&](QWidget *control) {
        if (reached.contains(control))
            return true;
        auto *radio = qobject_cast<QRadioButton *>(control);
        if (!radio || !radio->autoExclusive())
            return false;
        const auto group = control->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly);
        return std::any_of(group.begin(), group.end(), [&](QRadioButton *other) { return reached.contains(other); });
    };
    for (QWidget *control : wanted)
        if (!isReached(control))
            problems << window->windowTitle() + QStringLiteral(": Tab never reaches ") + QString::fromLatin1(control->metaObject()->className())
                    + QLatin1Char(' ') + control->objectName() + QLatin1Char(' ') + control->accessibleName();
    return problems;
}

QList<QWidget *> shownWindows()
{
    QList<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

// Opens what a command opens (modal or not), checks it, runs more on it and closes it.
QStringList openAndInspect(frmMain &main, const char *command,
                           const std::function<void(QWidget *, QStringList &)> &more = {})
{
    QStringList problems;
    int opened = 0;
    const QList<QWidget *> before = shownWindows();
    const auto visit = [&](QWidget *window) {
        ++opened;
        problems << inspect(window) << unreachedByTab(window);
        if (more)
            more(window, problems);
        window->close();
    };
    QTimer modal;
    modal.setSingleShot(true);
    QObject::connect(&modal, &QTimer::timeout, [&] {
        if (QWidget *dialog = QApplication::activeModalWidget(); dialog && !before.contains(dialog))
            visit(dialog);
    });
    modal.start(0);
    CommandTable::findCommand(&main, command)->trigger();
    QCoreApplication::processEvents();
    for (QWidget *window : shownWindows())
        if (!before.contains(window))
            visit(window);
    if (opened == 0)
        problems << QString::fromLatin1(command) + QStringLiteral(": nothing opened");
    return problems;
}

QList<QAccessibleInterface *> withRole(QAccessibleInterface *node, QAccessible::Role role)
{
    QList<QAccessibleInterface *> found;
    if (node->role() == role)
        found << node;
    for (int i = 0; i < std::min(node->childCount(), 300); ++i)
        if (QAccessibleInterface *child = node->child(i))
            found << withRole(child, role);
    return found;
}

QList<QAccessible::Event> g_events;
QObject *g_watched = nullptr;

void recordEvent(QAccessibleEvent *event)
{
    if (event->object() == g_watched)
        g_events << event->type();
}

} // namespace

// What a screen reader meets in every window: names, roles, working actions, readable values.
class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyWindowNamesItsControls();
    void statusValuesFollowTheCaret();
    void optionsPagesAndSwatchesWorkByTheirActions();
};

void TestAccessibility::everyWindowNamesItsControls()
{
    Window w;
    QStringList problems = inspect(w.window.get());
    QCOMPARE(w.window->menuBar()->accessibleName(), QStringLiteral("Menu bar"));
    w.window->surface().setText(QStringLiteral("AB\r\n"));
    w.window->surface().setSelStart(0);
    w.window->surface().setSelLength(2);
    CommandTable::findCommand(w.window.get(), "mnuSearchToggleBookmark")->trigger();
    for (const char *command : {"mnuSearchFind", "mnuSearchReplace", "mnuSearchGotoLine", "mnuSearchViewAllBookmarks",
                                "mnuToolsKeyWordEditor", "mnuInsertTable", "mnuToolsHex",
                                "mnuFormatASCIITable", "mnuFilePrint", "mnuFilePageSetup", "mnuHelpTipoftheDay",
                                "mnuHelpAbout", "mnuToolsURL"})
        problems << openAndInspect(*w.window, command);

    // Each page of the options dialog is a window of its own to the reader.
    problems << openAndInspect(*w.window, "mnuFormatOptions", [](QWidget *window, QStringList &found) {
        auto *dialog = qobject_cast<frmSettings *>(window);
        for (int page = 1; page <= frmSettings::PageCount; ++page) {
            dialog->showPage(page);
            found << inspect(dialog) << unreachedByTab(dialog);
        }
    });
    // The hex panes read out what they show.
    problems << openAndInspect(*w.window, "mnuToolsHex", [](QWidget *window, QStringList &found) {
        QStringList texts;
        for (QAccessibleInterface *pane : withRole(QAccessible::queryAccessibleInterface(window), QAccessible::EditableText))
            if (QAccessibleTextInterface *text = pane->textInterface())
                texts << text->text(0, text->characterCount());
        const QString all = texts.join(QLatin1Char('|'));
        if (!all.contains(QStringLiteral("AB")) || !all.contains(QStringLiteral("41 42")))
            found << QStringLiteral("hex panes read: ") + texts.join(QLatin1Char('|'));
    });

    // The lines window opens from the find window with the text to look for.
    w.window->search().engine().state().SearchText = QStringLiteral("AB");
    const QList<QWidget *> beforeLines = shownWindows();
    w.window->search().LinesContaining();
    QCoreApplication::processEvents();
    int linesWindows = 0;
    for (QWidget *window : shownWindows()) {
        if (beforeLines.contains(window))
            continue;
        ++linesWindows;
        problems << inspect(window) << unreachedByTab(window);
        window->close();
    }
    QCOMPARE(linesWindows, 1);

    frmCompilerOutput output(w.window.get(), w.window->settings());
    output.appendChunk(QStringLiteral("done"));
    output.show();
    problems << inspect(&output);
    for (const QString &problem : problems)
        qWarning("%s", qPrintable(problem));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestAccessibility::statusValuesFollowTheCaret()
{
    Window w;
    auto *position = w.window->findChild<QWidget *>(QStringLiteral("lblXY"));
    auto *mode = w.window->findChild<QWidget *>(QStringLiteral("lblINS"));
    QAccessibleInterface *xy = QAccessible::queryAccessibleInterface(position);
    QCOMPARE(xy->text(QAccessible::Name), QStringLiteral("Position"));
    g_watched = position;
    g_events.clear();
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);

    QWidget *editor = w.window->txtText();
    editor->setFocus();
    w.window->surface().setText(QStringLiteral("one\r\ntwo 2\r\nthree"));
    w.window->surface().setSelStart(0);
    QTest::keyClick(editor, Qt::Key_Down);
    QTest::keyClick(editor, Qt::Key_End);
    QCOMPARE(xy->text(QAccessible::Value), QStringLiteral("2:6"));
    QCOMPARE(xy->text(QAccessible::Description), QStringLiteral("2:6"));
    // Events reach a handler only where the platform has an accessibility bridge (not offscreen).
    const bool bridged = QAccessible::isActive();
    QVERIFY(!bridged || g_events.contains(QAccessible::ValueChanged));
    QVERIFY(!bridged || g_events.contains(QAccessible::DescriptionChanged));

    g_watched = mode;
    g_events.clear();
    QTest::keyClick(editor, Qt::Key_Insert);
    QCOMPARE(QAccessible::queryAccessibleInterface(mode)->text(QAccessible::Value), QStringLiteral("OVR"));
    QVERIFY(!bridged || g_events.contains(QAccessible::ValueChanged));
    QAccessible::installUpdateHandler(previous);

    QAccessibleInterface *gutter =
        QAccessible::queryAccessibleInterface(w.window->findChild<QWidget *>(QStringLiteral("PicLines")));
    QCOMPARE(gutter->text(QAccessible::Description), QStringLiteral("Lines 1 to 3"));
    QCOMPARE(gutter->role(), QAccessible::StaticText);
    QCOMPARE(gutter->text(QAccessible::Value), QStringLiteral("Lines 1 to 3"));

    // The editor's caret through its text interface: the offset, and the line it is on.
    w.window->surface().setSelStart(9);
    editor->repaint();
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(editor)->textInterface();
    QVERIFY(text);
    const int caret = text->cursorPosition();
    int start = 0;
    int end = 0;
    QCOMPARE(text->textAtOffset(caret, QAccessible::LineBoundary, &start, &end), QStringLiteral("two 2\r\n"));
    QCOMPARE(caret - start + 1, 5);
}

void TestAccessibility::optionsPagesAndSwatchesWorkByTheirActions()
{
    Window w;
    MainOptionsHost host(*w.window);
    frmSettings dialog(host, w.window.get());
    dialog.show();
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&dialog);
    const QList<QAccessibleInterface *> tabs = withRole(root, QAccessible::PageTab);
    QCOMPARE(tabs.size(), frmSettings::PageCount);
    QCOMPARE(tabs.at(2)->text(QAccessible::Name), QStringLiteral("Colors & Fonts"));
    QCOMPARE(tabs.at(3)->text(QAccessible::Name), QStringLiteral("Files and Keywords"));
    for (int i = frmSettings::PageCount - 1; i >= 0; --i) {
        tabs.at(i)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(dialog.currentPage(), i + 1);
        QVERIFY(tabs.at(i)->state().selected);
    }
    // From the keyboard: arrows on the tabs, Ctrl+Tab anywhere, both wrapping.
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    tabs.at(0)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QCOMPARE(dialog.currentPage(), frmSettings::PageCount);
    QCOMPARE(QApplication::focusWidget(), tabs.at(frmSettings::PageCount - 1)->object());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(dialog.currentPage(), 1);

    dialog.showPage(3);
    QStringList names;
    int opened = 0;
    int enabled = 0;
    for (QAccessibleInterface *swatch : withRole(root, QAccessible::Button)) {
        if (QString::fromLatin1(swatch->object()->metaObject()->className()) != QLatin1String("ColorSwatch"))
            continue;
        names << swatch->text(QAccessible::Name);
        if (swatch->state().disabled)
            continue;
        ++enabled;
        w.prompter->colorAnswers << std::nullopt;
        swatch->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        opened = int(w.prompter->dialogs.size());
    }
    // A list on a page shown: its items show, read their text, and are chosen by their action.
    QListView *view = nullptr;
    for (int page = 1; page <= frmSettings::PageCount && !view; ++page) {
        dialog.showPage(page);
        for (QListView *list : dialog.findChildren<QListView *>())
            if (list->isVisible() && list->model() && list->model()->rowCount() >= 2)
                view = list;
    }
    QVERIFY(view);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view);
    QAccessibleInterface *second = list->child(1);
    QCOMPARE(second->role(), QAccessible::ListItem);
    QVERIFY(!second->state().invisible);
    QCOMPARE(second->text(QAccessible::Name), view->model()->index(1, view->modelColumn()).data().toString());
    second->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(view->currentIndex().row(), 1);
    QVERIFY(second->state().selected);
    QCOMPARE(list->indexOfChild(second), 1);
    QCOMPARE(list->child(1), second);

    QVERIFY(names.contains(QStringLiteral("Keyword colour")));
    QVERIFY(names.contains(QStringLiteral("Gutter background")));
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
    QCOMPARE(opened, enabled);
    QVERIFY(enabled > 5);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
