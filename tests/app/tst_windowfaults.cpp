// Faults found by using the main window as a user would, each pinned by the test that would have caught it.
#include "DocumentSaver.h"
#include "EditorChrome.h"
#include "LanguageAssist.h"
#include "LineNumberGutter.h"
#include "MainOptionsHost.h"
#include "StatusBar.h"
#include "ScintillaView.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "frmSettings.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// Closing a question box hands the focus back: the application goes inactive and active again
// while the answer is on its way, as it does on a real desktop.
struct BouncingPrompter : ScriptedPrompter {
    QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override
    {
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        return ScriptedPrompter::message(parent, text, title, buttons, icon);
    }
};

struct Window : frmMain {
    QTemporaryDir docs;
    explicit Window(const QString &app) : frmMain(app) {}
    QString doc(const QString &name, const QByteArray &bytes) { return writeFile(docs, name, bytes); }
    QString sizeLabel() { return statusLabels().lblSize->text(); }
    void reactivate()
    {
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
    }
};

struct App {
    QTemporaryDir folder;
    explicit App(bool shippedData = false)
    {
        if (shippedData)
            seedFolder(sourceDir() + QStringLiteral("/data"), folder.path());
    }
};

} // namespace

class TestWindowFaults : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void deletedFileQuestionAskedOncePerActivation()
    {
        App app;
        auto owned = std::make_unique<BouncingPrompter>();
        BouncingPrompter &prompter = *owned;
        Prompter::setInstance(std::move(owned));
        const auto restore = qScopeGuard([] { Prompter::setInstance(nullptr); });
        {
            Window window(app.folder.path());
            const QString path = window.doc(QStringLiteral("work.txt"), "first line\n");
            window.ReadFile(path, false);
            window.surface().setSelStart(window.surface().textLength());
            window.surface().setSelText(QStringLiteral("typed text"));
            QVERIFY(QFile::remove(path));

            prompter.answers << QMessageBox::Yes;
            window.reactivate();
            QCOMPARE(prompter.asked.size(), 1);
            QCOMPARE(prompter.asked[0].title, QStringLiteral("File deleted, keep file?"));
            // Neither the bounce of the box nor a later return to the window asks again.
            window.reactivate();
            window.reactivate();
            QCOMPARE(prompter.asked.size(), 1);
            QVERIFY(window.surface().text().endsWith(QStringLiteral("typed text")));
            QVERIFY(!window.document().isDocumentSaved);

            // The text is the only copy left: closing asks, even after the edit was undone by hand.
            window.surface().setSelStart(0);
            window.surface().setSelLength(window.surface().textLength());
            window.surface().setSelText(QStringLiteral("first line\r\n"));
            prompter.answers << QMessageBox::Cancel;
            QVERIFY(!window.close());
            QCOMPARE(prompter.asked.last().text, QStringLiteral("Save changes to ") + path + QStringLiteral("?"));

            // A file that appears again under the name is news.
            writeFile(window.docs, QStringLiteral("work.txt"), "from elsewhere\n");
            prompter.answers << QMessageBox::No;
            window.reactivate();
            QCOMPARE(prompter.asked.last().title, QStringLiteral("File changed, reload file?"));
            QCOMPARE(prompter.asked.size(), 3);
        }
    }

    void closeForgetsTheLanguage()
    {
        App app(true);
        PrompterGuard prompter;
        Window window(app.folder.path());
        window.ReadFile(window.doc(QStringLiteral("a.c"), "int x;\n"), false);
        QVERIFY(!window.language().definitionPath.isEmpty());
        window.FileClose(false);
        QVERIFY(window.language().definitionPath.isEmpty());
        QVERIFY(window.language().languageName.isEmpty());
        QVERIFY(window.language().compilerPath.isEmpty());
        QVERIFY(!window.language().languageActive);
    }

    // The size shown is what the file takes on disk, in its encoding and line ends, after every change.
    void fileSizeLabelIsTheSavedSize()
    {
        App app;
        PrompterGuard prompter;
        Window window(app.folder.path());
        window.show();
        // 4 lines with LF: 45 bytes, 37 characters of which one emoji (two units, four bytes).
        const QByteArray bytes = "caf\xC3\xA9 \xF0\x9F\x98\x80 smile\nline two\nline three\nlast li\n";
        QCOMPARE(bytes.size(), 45);
        const QString path = window.doc(QStringLiteral("e.txt"), bytes);
        window.ReadFile(path, false);
        window.surface().setSelStart(0);
        window.updateXY();
        QCOMPARE(window.sizeLabel(), QStringLiteral("File Size : 45 bytes"));

        // Double-clicking UNIX converts to DOS: four more bytes, at once.
        QTest::mouseDClick(window.statusLabels().lblOS, Qt::LeftButton);
        QCOMPARE(window.sizeLabel(), QStringLiteral("File Size : 49 bytes"));
        QVERIFY(window.FileSave());
        QCOMPARE(readFile(path).size(), 49);

        // A selection counts its bytes: "café" is five.
        window.surface().setSelStart(0);
        window.surface().setSelLength(4);
        window.updateXY();
        QCOMPARE(window.sizeLabel(), QStringLiteral("Bytes Sel : 5"));

        // UTF-16 with its mark: two bytes a unit and two for the mark.
        window.surface().setSelLength(0);
        QTest::mouseDClick(window.statusLabels().lblUC, Qt::LeftButton);   // "UTF-8" clears nothing
        QCOMPARE(window.statusLabels().lblUC->text(), QStringLiteral("UTF-8"));
        window.findChild<QAction *>(QStringLiteral("mnuFileConvASCII2Unicode"))->trigger();
        const qint64 units = window.surface().textLength();
        QCOMPARE(window.sizeLabel(), QStringLiteral("File Size : %1 bytes").arg(2 + 2 * units));
        QVERIFY(window.FileSave());
        QCOMPARE(readFile(path).size(), 2 + 2 * units);

        // Typing changes it without moving the selection through a command.
        window.surface().setSelStart(0);
        window.surface().setSelText(QStringLiteral("x"));
        QCOMPARE(window.sizeLabel(), QStringLiteral("File Size : %1 bytes").arg(2 + 2 * (units + 1)));
        prompter->answers << QMessageBox::No;
        window.close();
    }

    void encodingLabelFollowsTheTextBothWays()
    {
        App app;
        PrompterGuard prompter;
        Window window(app.folder.path());
        window.show();
        const QString path = window.doc(QStringLiteral("x.c"), "int x;\n");
        window.ReadFile(path, false);
        QLabel *label = window.statusLabels().lblUC;
        QCOMPARE(label->text(), QStringLiteral("ASCII"));
        EditorSurface &s = window.surface();
        s.setSelStart(3);
        s.setSelText(QStringLiteral("\u00a9"));
        QCOMPARE(label->text(), QStringLiteral("UTF-8"));
        s.setSelStart(3);
        s.setSelLength(1);
        s.setSelText(QString());
        QCOMPARE(label->text(), QStringLiteral("ASCII"));

        // Double-clicking "UTF-8" on a document that has nothing to convert marks nothing.
        s.setSelStart(0);
        s.setSelText(QStringLiteral("\u00e9"));
        QVERIFY(window.FileSave());
        QCOMPARE(label->text(), QStringLiteral("UTF-8"));
        QTest::mouseDClick(label, Qt::LeftButton);
        QVERIFY(window.document().isDocumentSaved);
        QCOMPARE(label->text(), QStringLiteral("UTF-8"));
        window.close();
    }

    void saveDialogNeverStartsInRoot()
    {
        QTemporaryDir start;
        QTemporaryDir last;
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString fallback = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QCOMPARE(DocumentSaver::chooseSaveFolder({}, QStringLiteral("/"), {}), fallback);
        QCOMPARE(DocumentSaver::chooseSaveFolder({}, QStringLiteral("/"), start.path()), start.path());
        QCOMPARE(DocumentSaver::chooseSaveFolder({}, last.path(), start.path()), start.path());
        QCOMPARE(DocumentSaver::chooseSaveFolder({}, start.path(), {}), start.path());
        QCOMPARE(DocumentSaver::chooseSaveFolder(last.path(), start.path(), {}), last.path());
        QCOMPARE(DocumentSaver::chooseSaveFolder(QStringLiteral("/no/such/folder"), QStringLiteral("/no/such"), {}),
                 fallback);
        // A folder the user cannot write is no place to propose (root writes everywhere).
        if (::geteuid() != 0) {
            QVERIFY(QFile::setPermissions(start.path(), QFile::ReadOwner | QFile::ExeOwner));
            QCOMPARE(DocumentSaver::chooseSaveFolder({}, start.path(), {}), fallback);
            QFile::setPermissions(start.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void currentLineFrameFollowsSchemeAndWidth()
    {
        App app(true);
        PrompterGuard prompter;
        Window window(app.folder.path());
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CurrentLineBox *box = window.chrome().lineBox;
        MainOptionsHost host(window);
        frmSettings dialog(host, &window);
        auto *schemes = dialog.findChild<QComboBox *>(QStringLiteral("cboColorSchemes"));
        emit schemes->activated(schemes->findText(QStringLiteral("dark")));
        dialog.Apply();
        QCOMPARE(box->grab().toImage().pixelColor(5, box->topLine()), OleColors::toQColor(window.settings().fcolor1));
        QVERIFY(window.settings().fcolor1 != 0xFF0000);

        window.resize(900, 600);
        QTRY_COMPARE(box->width(), window.txtText()->viewport()->width());
        window.close();
    }

    void escapeClosesTheArgumentTip()
    {
        App app(true);
        PrompterGuard prompter;
        Window window(app.folder.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.ReadFile(window.doc(QStringLiteral("a.c"), "\n\n"), false);
        LanguageAssist &assist = window.languageAssist();
        window.txtText()->setFocus();
        window.surface().setSelStart(0);
        QTest::keyClicks(window.txtText(), QStringLiteral("printf("));
        QVERIFY(assist.tipVisible());
        QTest::keyClick(window.txtText(), Qt::Key_Escape);
        QVERIFY(!assist.tipVisible());

        // A menu command that takes the caret elsewhere ends the tip too.
        QTest::keyClicks(window.txtText(), QStringLiteral(" printf("));
        QVERIFY(assist.tipVisible());
        window.findChild<QAction *>(QStringLiteral("mnuEditSelectAll"))->trigger();
        QVERIFY(!assist.tipVisible());
        prompter->answers << QMessageBox::No;
        window.close();
    }
};

QTEST_MAIN(TestWindowFaults)
#include "tst_windowfaults.moc"
