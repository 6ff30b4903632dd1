#include "CommandTable.h"
#include "LineNumberGutter.h"
#include "ScintillaSurface.h"
#include "TestSupport.h"
#include "WindowPlacement.h"
#include "frmMain.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDialog>
#include <QLayout>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

// Dialogs on a small screen (1280 × 800 at scale factor 2, less a panel) and zooming the text.
class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    void everyDialogFitsASmallScreen_data();
    void everyDialogFitsASmallScreen();
    void ctrlWheelZoomsTextAndGutter();
};

namespace {

const QRect kSmallScreen(0, 0, 640, 370);

QString tooLarge(const char *what, QSize size)
{
    return QStringLiteral("%1 %2×%3").arg(QLatin1String(what)).arg(size.width()).arg(size.height());
}

} // namespace

void TestScreenFit::everyDialogFitsASmallScreen_data()
{
    QTest::addColumn<QString>("command");
    for (const char *command : {"mnuFormatOptions", "mnuToolsKeyWordEditor", "mnuInsertTable", "mnuSearchFind",
                                "mnuSearchReplace", "mnuSearchGotoLine", "mnuFilePrint", "mnuToolsHex",
                                "mnuFormatASCIITable", "mnuHelpTipoftheDay", "mnuHelpAbout", "mnuToolsURL"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

// Each dialog the menus open can shrink into the screen with OK and Cancel reachable: its layout's
// least size fits, not only its frame.
void TestScreenFit::everyDialogFitsASmallScreen()
{
    QFETCH(QString, command);
    QTemporaryDir app;
    TestSupport::seedFolder(TestSupport::sourceDir() + QStringLiteral("/data"), app.path());
    const QString file = TestSupport::writeFile(app, QStringLiteral("a.c"), "int main(void)\n{\n}\n");
    TestSupport::PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    window.ReadFile(file, true);
    QAction *action = CommandTable::findCommand(&window, command.toLatin1().constData());
    QVERIFY(action);

    const QWidgetList before = QApplication::topLevelWidgets();
    QString checked;
    const auto check = [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (!dialog && w->isVisible() && qobject_cast<QDialog *>(w) && !before.contains(w))
                dialog = w;
        if (!dialog || !checked.isEmpty())
            return;
        if (dialog->layout())
            dialog->layout()->activate();
        const QSize least = dialog->minimumSizeHint();
        WindowPlacement::fitInto(dialog, kSmallScreen);
        if (!kSmallScreen.contains(dialog->frameGeometry()))
            checked = tooLarge("frame", dialog->frameGeometry().size());
        // Controls that cannot shrink so far are shown in a part that scrolls, never squeezed or cut off.
        else if ((least.width() > kSmallScreen.width() || least.height() > kSmallScreen.height())
                 && !dialog->findChild<QScrollArea *>(QStringLiteral("scrFitOnScreen")))
            checked = tooLarge("least size", least);
        else
            checked = QStringLiteral("fits");
        dialog->close();
    };
    QTimer::singleShot(0, &window, check);
    action->trigger();
    QTest::qWait(1);
    check();
    QCOMPARE(checked, QStringLiteral("fits"));
}

// Ctrl+wheel zooms the text; the gutter's numbers grow with it and the gutter widens.
void TestScreenFit::ctrlWheelZoomsTextAndGutter()
{
    QTemporaryDir app;
    TestSupport::PrompterGuard prompter;
    frmMain window(app.path());
    window.show();
    window.surface().setText(QString(QStringLiteral("line\r\n")).repeated(20000));
    QTest::qWait(1);
    auto *view = window.findChild<QAbstractScrollArea *>(QStringLiteral("txtText"));
    auto *gutter = window.findChild<LineNumberGutter *>(QStringLiteral("PicLines"));
    QVERIFY(view && gutter);
    const int width = gutter->width();
    const int rowHeight = window.surface().lineHeight();
    const auto wheel = [view](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(10, 10), view->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    for (int notch = 0; notch < 4; ++notch)
        wheel(120, Qt::ControlModifier);
    QCOMPARE(static_cast<ScintillaSurface &>(window.surface()).zoom(), 4);
    QVERIFY(window.surface().lineHeight() > rowHeight);
    QVERIFY2(gutter->width() > width, qPrintable(QStringLiteral("%1 → %2").arg(width).arg(gutter->width())));
    // Half notches of a touchpad add up.
    wheel(-60, Qt::ControlModifier);
    wheel(-60, Qt::ControlModifier);
    QCOMPARE(static_cast<ScintillaSurface &>(window.surface()).zoom(), 3);
    QVERIFY(prompter->asked.isEmpty());
}

QTEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
