#include "CommandTable.h"
#include "DocumentReader.h"
#include "EditorSurface.h"
#include "ExternalTools.h"
#include "HistoryLists.h"
#include "ShellTools.h"
#include "TestSupport.h"
#include "UrlFetcher.h"
#include "frmMain.h"
#include "frmURL.h"
#include "modURLRetrieve.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;
using Outcome = FetchResult::Outcome;

namespace {

// Answers GET requests on 127.0.0.1: /page, /latin1, /moved (to /page), /missing (404), /silent (never).
class TinyServer : public QTcpServer {
public:
    TinyServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { answer(socket); });
        });
    }
    QString url(const char *path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path); }

private:
    static void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\n";
        QByteArray body = "first line\nzweite Zeile \xc3\xa4\n";
        if (path == "/latin1") {
            head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=ISO-8859-1\r\n";
            body = "caf\xe9";
        } else if (path == "/moved") {
            head = "HTTP/1.1 302 Found\r\nLocation: /page\r\n";
            body.clear();
        } else if (path == "/missing") {
            head = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n";
            body = "<h1>not here</h1>";
        } else if (path == "/silent") {
            return;
        } else if (path == "/huge" || path == "/unannounced") {
            body = QByteArray(5000, 'x');
            if (path == "/unannounced") {
                // No length: the body ends when the connection does.
                socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body);
                socket->disconnectFromHost();
                return;
            }
        }
        socket->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }
};

int closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Records what the shell tools would start instead of starting it.
struct ShellFixture {
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    frmMain window{app.path()};
    QList<QPair<ShellTools::Command, QString>> started;
    ShellTools &shell() { return window.tools().shell(); }
    ShellFixture()
    {
        shell().setStarter([this](const ShellTools::Command &command, const QString &folder) {
            started.append({command, folder});
            return true;
        });
    }
};

} // namespace

class TestWebTools : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { modURLRetrieve::setUrlOpener({}); }
    void bodiesDecodeByCharset_data();
    void bodiesDecodeByCharset();
    void typedAddressesAndLineBreaks();
    void fetchOutcomes_data();
    void fetchOutcomes();
    void cancelEndsAWaitingFetch();
    void bodyLargerThanTheEditorHoldsIsRefused_data();
    void bodyLargerThanTheEditorHoldsIsRefused();
    void dataFromUrlInsertsThePage();
    void dataFromUrlReportsAFailure();
    void terminalAndSettingsToolsFound();
    void shellCommandsUseTheDocumentFolder();
    void browserCommands();
    void explorerWithoutAFileManagerSaidNothing();
};

void TestWebTools::bodiesDecodeByCharset_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("text");
    QTest::newRow("declared latin-1") << QByteArray("caf\xe9") << QByteArray("text/html; charset=ISO-8859-1") << "café";
    QTest::newRow("quoted charset") << QByteArray("caf\xc3\xa9") << QByteArray("text/plain;charset=\"UTF-8\"") << "café";
    QTest::newRow("undeclared utf-8") << QByteArray("caf\xc3\xa9") << QByteArray("text/plain") << "café";
    QTest::newRow("undeclared, not utf-8") << QByteArray("caf\xe9") << QByteArray() << "café";
    QTest::newRow("unknown charset") << QByteArray("caf\xe9") << QByteArray("text/plain; charset=x-nothing") << "café";
}

void TestWebTools::bodiesDecodeByCharset()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, text);
    QCOMPARE(modURLRetrieve::decodeBody(body, contentType), text);
}

void TestWebTools::typedAddressesAndLineBreaks()
{
    QCOMPARE(modURLRetrieve::withScheme("example.org/a"), QStringLiteral("http://example.org/a"));
    QCOMPARE(modURLRetrieve::withScheme("ftp://example.org"), QStringLiteral("ftp://example.org"));
    QCOMPARE(modURLRetrieve::normaliseLineBreaks("a\nb\r\nc\rd"), QStringLiteral("a\r\nb\r\nc\rd"));
    QCOMPARE(modURLRetrieve::urlFor("/tmp/a b.html"), QUrl::fromLocalFile("/tmp/a b.html"));
}

void TestWebTools::fetchOutcomes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("text");
    QTest::newRow("page") << "/page" << Outcome::Ok << QString::fromUtf8("first line\nzweite Zeile ä\n");
    QTest::newRow("declared charset") << "/latin1" << Outcome::Ok << "café";
    QTest::newRow("redirect followed") << "/moved" << Outcome::Ok << QString::fromUtf8("first line\nzweite Zeile ä\n");
    QTest::newRow("404 inserts nothing") << "/missing" << Outcome::HttpError << QString();
    QTest::newRow("server never answers") << "/silent" << Outcome::TimedOut << QString();
    QTest::newRow("closed port") << "closed" << Outcome::Failed << QString();
    QTest::newRow("file url") << "file" << Outcome::Ok << "from a file";
}

void TestWebTools::fetchOutcomes()
{
    QFETCH(QString, path);
    QFETCH(Outcome, outcome);
    QFETCH(QString, text);
    TinyServer server;
    QTemporaryDir dir;
    QString address = server.url(qPrintable(path));
    if (path == "closed")
        address = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort());
    else if (path == "file")
        address = QUrl::fromLocalFile(writeFile(dir, "a.txt", "from a file")).toString();
    UrlFetcher fetcher;
    fetcher.setTimeout(500);
    const FetchResult result = fetcher.FetchUrl(address);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.text, text);
    QCOMPARE(result.succeeded(), outcome == Outcome::Ok);
    QVERIFY(!fetcher.isBusy());
}

void TestWebTools::cancelEndsAWaitingFetch()
{
    TinyServer server;
    UrlFetcher fetcher;
    QTimer::singleShot(200, &fetcher, &UrlFetcher::cancel);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(fetcher.FetchUrl(server.url("/silent")).outcome, Outcome::Cancelled);
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(fetcher.timeout(), UrlFetcher::DefaultTimeoutMs);
}

void TestWebTools::bodyLargerThanTheEditorHoldsIsRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("announced") << "/huge" << "%1 is too large to insert: 5000 bytes. The editor holds up to 1000 bytes.";
    QTest::newRow("not announced") << "/unannounced"
                                   << "%1 is too large to insert: more than 1000 bytes. The editor holds up to 1000 bytes.";
}

void TestWebTools::bodyLargerThanTheEditorHoldsIsRefused()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    QLocale::setDefault(QLocale::c());
    TinyServer server;
    UrlFetcher fetcher;
    QCOMPARE(fetcher.maxBytes(), MaxDocumentBytes);
    fetcher.setMaxBytes(1000);
    qint64 reported = 0;
    connect(&fetcher, &UrlFetcher::progress, this, [&](qint64 received, qint64) { reported = received; });
    const QString address = server.url(qPrintable(path));
    const FetchResult result = fetcher.FetchUrl(address);
    QCOMPARE(result.outcome, Outcome::TooLarge);
    QVERIFY(result.text.isEmpty());
    QVERIFY(!result.succeeded());
    QCOMPARE(frmURL::tooLargeMessage(address, result, fetcher.maxBytes()), message.arg(address));
    QLocale::setDefault(QLocale::system());
    // The same server's small page still arrives afterwards.
    QCOMPARE(fetcher.FetchUrl(server.url("/page")).outcome, Outcome::Ok);
    QVERIFY(reported > 0);
}

void TestWebTools::dataFromUrlInsertsThePage()
{
    TinyServer server;
    ShellFixture f;
    const QString typed = server.url("/page").mid(7);   // no scheme: http:// is added
    QTimer::singleShot(0, &f.window, [&] {
        auto *dialog = f.window.findChild<frmURL *>();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Open URL"));
        dialog->cboURL->setEditText(typed);
        dialog->cmdOK->click();
    });
    CommandTable::findCommand(&f.window, "mnuToolsURL")->trigger();
    QCOMPARE(f.window.surface().text(), QString::fromUtf8("first line\r\nzweite Zeile ä\r\n"));
    QVERIFY(!f.window.document().isDocumentSaved);
    QCOMPARE(f.window.tools().LastUrl, typed);
    QCOMPARE(HistoryLists(f.app.path()).LoadHistory(HistoryLists::Urls), QStringList{typed});
    QVERIFY(f.prompter->asked.isEmpty());
}

void TestWebTools::dataFromUrlReportsAFailure()
{
    ShellFixture f;
    const QString address = QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort());
    f.prompter->answers = {QMessageBox::Ok};
    bool stayedOpen = false;
    QTimer::singleShot(0, &f.window, [&] {
        auto *dialog = f.window.findChild<frmURL *>();
        dialog->cboURL->setEditText(address);
        dialog->cmdOK->click();
        stayedOpen = dialog->isVisible() && dialog->cboURL->lineEdit()->selectedText() == address;
        dialog->cmdCancel->click();
    });
    CommandTable::findCommand(&f.window, "mnuToolsURL")->trigger();
    QVERIFY(stayedOpen);
    QCOMPARE(f.prompter->asked.size(), 1);
    QCOMPARE(f.prompter->asked.first().text, "Couldn't retrieve data from " + address);
    QCOMPARE(f.window.surface().text(), QString());
    QVERIFY(HistoryLists(f.app.path()).LoadHistory(HistoryLists::Urls).isEmpty());
}

void TestWebTools::terminalAndSettingsToolsFound()
{
    const auto finder = [](QStringList present) {
        return [present](const QString &name) { return present.contains(name) ? "/usr/bin/" + name : QString(); };
    };
    using C = ShellTools::Command;
    const auto terminal = [&](const QString &variable, const QStringList &present) {
        return ShellTools::terminalCommand(variable, finder(present));
    };
    QVERIFY(terminal("kitty -1", {"x-terminal-emulator", "kitty"}) == (C{"x-terminal-emulator", {}}));
    QVERIFY(terminal("kitty -1", {"kitty", "xterm"}) == (C{"kitty", {"-1"}}));
    QVERIFY(terminal("", {"xterm", "konsole"}) == (C{"konsole", {}}));
    QVERIFY(!terminal("", {}));

    const auto panel = [&](ShellTools::SettingsPanel which, const QString &desktop, const QStringList &present) {
        return ShellTools::settingsCommand(which, desktop, finder(present));
    };
    const QStringList both = {"gnome-control-center", "xfce4-mouse-settings", "xfce4-keyboard-settings"};
    QVERIFY(panel(ShellTools::SettingsPanel::Mouse, "XFCE", both) == (C{"xfce4-mouse-settings", {}}));
    QVERIFY(panel(ShellTools::SettingsPanel::Keyboard, "ubuntu:GNOME", both) == (C{"gnome-control-center", {"keyboard"}}));
    QVERIFY(panel(ShellTools::SettingsPanel::Keyboard, "", {"xfce4-keyboard-settings"}) == (C{"xfce4-keyboard-settings", {}}));
    QVERIFY(!panel(ShellTools::SettingsPanel::Mouse, "GNOME", {}));
}

void TestWebTools::shellCommandsUseTheDocumentFolder()
{
    ShellFixture f;
    f.shell().setFinder([](const QString &name) { return name == "xterm" ? "/usr/bin/xterm" : QString(); });
    f.shell().setEnvironment(QString(), QString());
    f.shell().CommandPrompt();
    QString opened;
    f.shell().setFolderOpener([&](const QString &folder, const std::function<void()> &) { return !(opened = folder).isEmpty(); });
    f.shell().Explorer();
    QCOMPARE(opened, QDir::homePath());

    f.window.ReadFile(writeFile(f.docs, "d.txt", "d"), false);
    f.shell().CommandPrompt();
    f.shell().Explorer();
    QCOMPARE(f.started.size(), 2);
    QCOMPARE(f.started[0].second, QDir::homePath());
    QVERIFY(f.started[1].first == (ShellTools::Command{"xterm", {}}));
    QCOMPARE(f.started[1].second, f.docs.path());
    QCOMPARE(opened, f.docs.path());
    // No settings tool installed: the commands are not offered.
    f.window.tools().adjustMenus(&f.window);
    QVERIFY(!CommandTable::findCommand(&f.window, "mnuToolsMouseSettings")->isVisible());
}

void TestWebTools::browserCommands()
{
    ShellFixture f;
    QList<QUrl> urls;
    bool browserInstalled = false;
    modURLRetrieve::setUrlOpener([&](const QUrl &url) {
        urls << url;
        return browserInstalled;
    });
    f.prompter->answers = {QMessageBox::Ok, QMessageBox::Ok};
    f.shell().OpenFileInDefaultBrowser();
    QCOMPARE(f.prompter->asked.last().text, QStringLiteral("Please save your file before opening it in the browser!"));
    const QString page = writeFile(f.docs, "p.html", "<p>");
    f.window.ReadFile(page, false);
    f.shell().OpenFileInDefaultBrowser();
    QCOMPARE(f.prompter->asked.last().text, QStringLiteral("Unable to open URL. Install browser first!"));
    browserInstalled = true;
    f.shell().OpenFileInDefaultBrowser();
    QCOMPARE(urls, (QList<QUrl>{QUrl::fromLocalFile(page), QUrl::fromLocalFile(page)}));
    QCOMPARE(f.prompter->asked.size(), 2);
}

void TestWebTools::explorerWithoutAFileManagerSaidNothing()
{
    ShellFixture f;
    QTemporaryDir bin;
    const QString marker = bin.filePath(QStringLiteral("opened"));
    const auto script = [&](const char *name, const QByteArray &body) {
        const QString path = writeFile(bin, QLatin1String(name), "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    QStringList installed;
    f.shell().setFinder([&](const QString &name) { return installed.contains(name) ? bin.filePath(name) : QString(); });
    const QString expected = QStringLiteral("Unable to open the folder. Install a file manager first!");

    // No xdg-open at all.
    f.prompter->answers << QMessageBox::Ok;
    f.shell().Explorer();
    QCOMPARE(f.prompter->asked.size(), 1);
    QCOMPARE(f.prompter->asked.last().text, expected);

    // xdg-open is there, but nothing handles folders: it is not even started.
    script("xdg-open", "echo \"$1\" > '" + marker.toUtf8() + "'; exit 3");
    script("xdg-mime", "exit 0");
    installed = {QStringLiteral("xdg-open"), QStringLiteral("xdg-mime")};
    f.prompter->answers << QMessageBox::Ok;
    f.shell().Explorer();
    QCOMPARE(f.prompter->asked.size(), 2);
    QVERIFY(!QFile::exists(marker));

    // A handler is named but the opener gives up: said once it has.
    script("xdg-mime", "echo fm.desktop");
    f.prompter->answers << QMessageBox::Ok;
    f.shell().Explorer();
    QTRY_COMPARE(f.prompter->asked.size(), 3);
    QCOMPARE(readFile(marker).trimmed(), QDir::homePath().toUtf8());

    // One that succeeds says nothing.
    script("xdg-open", "exit 0");
    f.shell().Explorer();
    QTest::qWait(300);
    QCOMPARE(f.prompter->asked.size(), 3);
}

QTEST_MAIN(TestWebTools)
#include "tst_webtools.moc"
