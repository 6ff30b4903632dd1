#include "FlatButton.h"
#include "ScintillaSurface.h"
#include "ScintillaView.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>

#include <Qsci/qsciscintillabase.h>

using namespace TestSupport;

namespace {

struct Window {
    QTemporaryDir app;
    PrompterGuard prompter;
    std::unique_ptr<frmMain> window;

    Window()
    {
        seedFolder(sourceDir() + QStringLiteral("/data"), app.path());
        window = std::make_unique<frmMain>(app.path());
        window->resize(900, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("window not exposed");
    }
};

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(45, 45, 45));
    p.setColor(QPalette::WindowText, QColor(230, 230, 230));
    p.setColor(QPalette::Base, QColor(30, 30, 30));
    p.setColor(QPalette::Text, QColor(235, 235, 235));
    p.setColor(QPalette::Button, QColor(50, 50, 50));
    p.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    p.setColor(QPalette::Dark, QColor(20, 20, 20));
    return p;
}

QColor styleColor(ScintillaView *view, unsigned message, int style)
{
    const long bgr = view->SendScintilla(message, static_cast<unsigned long>(style));
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// The most frequent colour of a widget's picture: its background.
QColor dominantColor(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return QColor(best);
}

void collectUnnamed(QAccessibleInterface *node, QStringList &unnamed, int depth = 0)
{
    if (!node || depth > 40)
        return;
    static const QList<QAccessible::Role> needNames{
        QAccessible::PushButton, QAccessible::StaticText, QAccessible::EditableText, QAccessible::ToolBar,
        QAccessible::StatusBar,  QAccessible::CheckBox,   QAccessible::ComboBox,     QAccessible::Graphic};
    QWidget *widget = qobject_cast<QWidget *>(node->object());
    const bool shown = !widget || widget->isVisible();
    if (shown && needNames.contains(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed << QStringLiteral("%1 (role %2)")
                       .arg(node->object() ? node->object()->objectName() : QStringLiteral("?"))
                       .arg(int(node->role()));
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamed(node->child(i), unnamed, depth + 1);
}

} // namespace

// The program as the desktop around it sees it: the palette, screen readers, the trash.
class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void screenReadersFindANameForEveryControl();
    void defaultColoursFollowThePalette();
    void deleteFileMovesItToTheTrash();
};

void TestDesktop::screenReadersFindANameForEveryControl()
{
    Window w;
    QAccessible::setActive(true);
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(w.window.get());
    QVERIFY(root);
    QStringList unnamed;
    collectUnnamed(root, unnamed);
    QVERIFY(root->childCount() > 3);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));

    const QList<FlatButton *> buttons = w.window->findChildren<FlatButton *>();
    QVERIFY(!buttons.isEmpty());
    int pushButtons = 0;
    for (FlatButton *button : buttons) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(button);
        QVERIFY(face);
        if (face->role() == QAccessible::Separator)
            continue;
        ++pushButtons;
        QCOMPARE(face->role(), QAccessible::PushButton);
        QCOMPARE(face->text(QAccessible::Name), button->toolTip());
        QCOMPARE(face->state().disabled, !button->isEnabled());
    }
    QVERIFY(pushButtons > 10);
    QAccessibleInterface *editor = QAccessible::queryAccessibleInterface(w.window->txtText());
    QCOMPARE(editor->text(QAccessible::Name), QStringLiteral("Untitled"));
}

void TestDesktop::defaultColoursFollowThePalette()
{
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    {
        Window w;
        ScintillaView *view = w.window->txtText();
        w.window->surface().setText(QStringLiteral("int main() { return 0; }\r\n"));
        QVERIFY(styleColor(view, QsciScintillaBase::SCI_STYLEGETBACK, 0).lightness() < 80);
        QVERIFY(styleColor(view, QsciScintillaBase::SCI_STYLEGETFORE, 0).lightness() > 170);
        auto *gutter = w.window->findChild<QWidget *>(QStringLiteral("PicLines"));
        QVERIFY(gutter);
        QVERIFY2(dominantColor(gutter).lightness() < 100, qPrintable(dominantColor(gutter).name()));

        // A palette switch while the window is open takes effect at once, both ways.
        QApplication::setPalette(light);
        QCoreApplication::processEvents();
        QVERIFY(styleColor(view, QsciScintillaBase::SCI_STYLEGETBACK, 0).lightness() > 170);
        QVERIFY(styleColor(view, QsciScintillaBase::SCI_STYLEGETFORE, 0).lightness() < 80);
    }
    QApplication::setPalette(light);
}

void TestDesktop::deleteFileMovesItToTheTrash()
{
    // The trash of a home on the file's own file system: the test's temporary home.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("HOME", home.path().toUtf8());
    QDir(home.path()).mkpath(QStringLiteral("data"));
    const QString file = writeFile(home, QStringLiteral("notes.txt"), "keep me\n");
    Window w;
    w.window->ReadFile(file, false);
    QCoreApplication::processEvents();
    w.prompter->answers << QMessageBox::Yes;
    w.window->findChild<QAction *>(QStringLiteral("mnuFileDeleteFile"))->trigger();
    QCOMPARE(w.prompter->asked.size(), 1);
    QVERIFY(w.prompter->asked.at(0).text.startsWith(QStringLiteral("Are you sure you want to delete ")));
    QVERIFY(!QFileInfo::exists(file));
    const QStringList trashed = QDir(home.filePath(QStringLiteral("data/Trash/files"))).entryList(QDir::Files);
    QCOMPARE(trashed, QStringList{QStringLiteral("notes.txt")});
    QCOMPARE(readFile(home.filePath(QStringLiteral("data/Trash/files/notes.txt"))), QByteArray("keep me\n"));
    QCOMPARE(w.window->document().strfilename, QStringLiteral("Untitled"));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
