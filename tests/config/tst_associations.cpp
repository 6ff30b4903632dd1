#include "FileAssociations.h"
#include "FileTypesPage.h"
#include "MainOptionsHost.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "frmSettings.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// What the desktop's own tool answers; empty when it is not installed.
QString xdgDefault(const QString &mimeType)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return QStringLiteral("<no xdg-mime>");
    QProcess process;
    process.start(tool, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TestAssociations : public QObject {
    Q_OBJECT
private slots:
    void init();
    void extensionsFile();
    void associateAndRestore();
    void anotherProgramsChoiceIsLeftAlone();
    void dialogMovesApplyOnlyOnApply();
    void typelessAndAmbiguousExtensionsFailedSilently();
    void sharedTypesCouldNotBeTakenBack();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_config;
    QString m_data;
};

void TestAssociations::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_config = m_home->filePath(QStringLiteral("config"));
    m_data = m_home->filePath(QStringLiteral("data"));
    QDir().mkpath(m_data + QStringLiteral("/applications"));
    QDir().mkpath(m_config);
    qputenv("XDG_CONFIG_HOME", m_config.toUtf8());
    qputenv("XDG_DATA_HOME", m_data.toUtf8());
    qunsetenv("XDG_CURRENT_DESKTOP");
    // The browser that was the default before.
    writeFile(*m_home, QStringLiteral("data/applications/previous.desktop"),
              "[Desktop Entry]\nType=Application\nName=Previous Browser\nExec=/bin/true %u\n");
    writeFile(*m_home, QStringLiteral("config/mimeapps.list"),
              "[Added Associations]\ntext/html=previous.desktop;\n\n[Default Applications]\ntext/html=previous.desktop\n");
}

void TestAssociations::extensionsFile()
{
    QTemporaryDir app;
    writeFile(app, QStringLiteral("extensions.dat"), QByteArray("html\r\n\r\n.TXT\r\nhtml\r\n\x00\xff/x\r\nphp", 29));
    QCOMPARE(FileAssociations::readExtensions(app.filePath(QStringLiteral("extensions.dat"))),
             (QStringList{QStringLiteral("html"), QStringLiteral("TXT"), QStringLiteral("php")}));
    QVERIFY(FileAssociations::readExtensions(m_home->filePath(QStringLiteral("extensions.dat"))).isEmpty());
    QCOMPARE(FileAssociations::mimeTypeFor(QStringLiteral(".html")), QStringLiteral("text/html"));
    QVERIFY(FileAssociations::mimeTypeFor(QStringLiteral("a b")).isEmpty());
}

void TestAssociations::associateAndRestore()
{
    const QByteArray before = readFile(m_config + QStringLiteral("/mimeapps.list"));
    const QString previousAnswer = xdgDefault(QStringLiteral("text/html"));
    FileAssociations associations(m_home->path(), QStringLiteral("/opt/orvane/orvane"));
    QCOMPARE(associations.ShowAssociation(QStringLiteral(".html")).opensWith, QStringLiteral("Previous Browser"));
    QVERIFY(!associations.IsAssociated(QStringLiteral(".html")));
    QVERIFY(!associations.Associate(QStringLiteral(".html")));
    QVERIFY(associations.IsAssociated(QStringLiteral("html")));
    QVERIFY(!associations.Associate(QStringLiteral(".html")));
    const QString desktop = QString::fromUtf8(readFile(associations.desktopFilePath()));
    QVERIFY(desktop.contains(QStringLiteral("\nExec=/opt/orvane/orvane %f\n")));
    QVERIFY(desktop.contains(QStringLiteral("\nMimeType=text/html;\n")));
    QCOMPARE(associations.defaultApplication(QStringLiteral("text/html")), QStringLiteral("orvane.desktop"));
    const QByteArray associated = readFile(associations.mimeAppsPath());
    QVERIFY(associated.contains("[Added Associations]\ntext/html=previous.desktop;\n"));
    if (previousAnswer != QLatin1String("<no xdg-mime>")) {
        // xdg-mime only accepts an application whose program exists.
        FileAssociations real(m_home->path(), QStringLiteral("/bin/true"));
        QVERIFY(!real.Unassociate(QStringLiteral(".html")));
        QVERIFY(!real.Associate(QStringLiteral(".html")));
        QCOMPARE(xdgDefault(QStringLiteral("text/html")), QStringLiteral("orvane.desktop"));
    }
    QVERIFY(!associations.Unassociate(QStringLiteral(".html")));
    QVERIFY(!associations.IsAssociated(QStringLiteral(".html")));
    QCOMPARE(readFile(associations.mimeAppsPath()), before);
    QCOMPARE(xdgDefault(QStringLiteral("text/html")), previousAnswer);

    // Without any earlier choice the type's line goes away again.
    QVERIFY(!associations.Associate(QStringLiteral(".txt")));
    QVERIFY(!associations.Unassociate(QStringLiteral(".txt")));
    QCOMPARE(readFile(associations.mimeAppsPath()), before);
}

void TestAssociations::anotherProgramsChoiceIsLeftAlone()
{
    FileAssociations associations(m_home->path(), QStringLiteral("/opt/orvane/orvane"));
    QVERIFY(!associations.Associate(QStringLiteral("html")));
    QByteArray list = readFile(associations.mimeAppsPath());
    list.replace("text/html=orvane.desktop", "text/html=other.desktop");
    writeFile(*m_home, QStringLiteral("config/mimeapps.list"), list);
    QVERIFY(!associations.Unassociate(QStringLiteral("html")));
    QCOMPARE(readFile(associations.mimeAppsPath()), list);
}

void TestAssociations::dialogMovesApplyOnlyOnApply()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    writeFile(app, QStringLiteral("extensions.dat"), "html\r\ntxt\r\n");
    frmMain window(app.path());
    MainOptionsHost host(window);
    const QByteArray before = readFile(m_config + QStringLiteral("/mimeapps.list"));
    {
        frmSettings dialog(host, &window);
        auto *notAss = dialog.findChild<QListWidget *>(QStringLiteral("lstNotAss"));
        QCOMPARE(notAss->count(), 2);
        notAss->setCurrentRow(0);
        dialog.findChild<QPushButton *>(QStringLiteral("cmdAss"))->click();
        QCOMPARE(dialog.findChild<QListWidget *>(QStringLiteral("lstAss"))->item(0)->text(), QStringLiteral(".html"));
        QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("cmdOK"))->isEnabled());
        dialog.reject();
    }
    QCOMPARE(readFile(m_config + QStringLiteral("/mimeapps.list")), before);
    frmSettings dialog(host, &window);
    auto *notAss = dialog.findChild<QListWidget *>(QStringLiteral("lstNotAss"));
    emit notAss->itemDoubleClicked(notAss->item(0));
    dialog.findChild<QPushButton *>(QStringLiteral("cmdApply"))->click();
    QVERIFY(FileAssociations(app.path(), QString()).IsAssociated(QStringLiteral("html")));
    QVERIFY(!FileAssociations(app.path(), QString()).IsAssociated(QStringLiteral("txt")));
    frmSettings again(host, &window);
    QCOMPARE(again.findChild<QListWidget *>(QStringLiteral("lstAss"))->count(), 1);
}

void TestAssociations::typelessAndAmbiguousExtensionsFailedSilently()
{
    QCOMPARE(FileAssociations::mimeTypeFor(QStringLiteral("htm")), QStringLiteral("text/html"));
    // Nothing in the shared database for .ini; .ts is a Qt translation and an MPEG stream there.
    QCOMPARE(FileAssociations::mimeTypeFor(QStringLiteral(".ini")), QStringLiteral("text/x-orvane-ini"));
    QCOMPARE(FileAssociations::mimeTypeFor(QStringLiteral("ts")), QStringLiteral("text/x-orvane-ts"));

    FileAssociations::Folders folders = FileAssociations::Folders::fromEnvironment();
    QCOMPARE(folders.dataHome, m_data);
    FileAssociations associations(m_home->path(), QStringLiteral("/opt/orvane/orvane"), folders);
    QCOMPARE(associations.ShowAssociation(QStringLiteral(".ini")).description, QStringLiteral("Orvane INI file"));
    QVERIFY(associations.ShowAssociation(QStringLiteral(".ts")).description.startsWith(QStringLiteral("Orvane TS file (otherwise: ")));
    if (folders.mimeUpdater.isEmpty())
        QSKIP("update-mime-database is not installed");
    for (const char *extension : {"ini", "bat", "cmd"}) {
        QVERIFY(!associations.Associate(QLatin1String(extension)));
        QVERIFY(associations.IsAssociated(QLatin1String(extension)));
    }
    const QString package = QString::fromUtf8(readFile(associations.mimePackagePath()));
    QVERIFY(package.contains(QStringLiteral("<mime-type type=\"text/x-orvane-ini\">")));
    QVERIFY(package.contains(QStringLiteral("<glob pattern=\"*.cmd\" weight=\"60\"/>")));
    QVERIFY(readFile(m_data + QStringLiteral("/mime/globs2")).contains("text/x-orvane-bat:*.bat"));
    QVERIFY(readFile(associations.mimeAppsPath()).contains("text/x-orvane-ini=orvane.desktop\n"));

    QVERIFY(!associations.Unassociate(QStringLiteral("ini")));
    QVERIFY(!associations.IsAssociated(QStringLiteral("ini")));
    QVERIFY(!readFile(m_data + QStringLiteral("/mime/globs2")).contains("*.ini"));
    QVERIFY(!associations.Unassociate(QStringLiteral("bat")));
    QVERIFY(!associations.Unassociate(QStringLiteral("cmd")));
    QVERIFY(!QFile::exists(associations.mimePackagePath()));

    // Without the tool that adds a type, saying so instead of doing nothing.
    folders.mimeUpdater.clear();
    FileAssociations without(m_home->path(), QStringLiteral("/opt/orvane/orvane"), folders);
    QVERIFY(without.Associate(QStringLiteral("ini")).value_or(QString()).contains(QStringLiteral("update-mime-database")));
    QVERIFY(!without.IsAssociated(QStringLiteral("ini")));
}

void TestAssociations::sharedTypesCouldNotBeTakenBack()
{
    QTemporaryDir app;
    PrompterGuard prompter;
    writeFile(app, QStringLiteral("extensions.dat"), "html\r\ntxt\r\nhtm\r\n");
    frmMain window(app.path());
    MainOptionsHost host(window);
    {
        frmSettings dialog(host, &window);
        auto *ass = dialog.findChild<QListWidget *>(QStringLiteral("lstAss"));
        auto *notAss = dialog.findChild<QListWidget *>(QStringLiteral("lstNotAss"));
        notAss->setCurrentRow(2);
        dialog.findChild<QPushButton *>(QStringLiteral("cmdAss"))->click();
        QCOMPARE(ass->count(), 2);
        QCOMPARE(notAss->count(), 1);
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblSharedType"))->text(),
                 QStringLiteral(".html, .htm share the file type text/html, so they move together."));
        dialog.findChild<QPushButton *>(QStringLiteral("cmdApply"))->click();
        QVERIFY(FileAssociations(app.path(), QString()).IsAssociated(QStringLiteral("htm")));
    }
    frmSettings dialog(host, &window);
    auto *ass = dialog.findChild<QListWidget *>(QStringLiteral("lstAss"));
    QCOMPARE(ass->count(), 2);
    emit ass->itemDoubleClicked(ass->findItems(QStringLiteral(".htm"), Qt::MatchExactly).value(0));
    QCOMPARE(ass->count(), 0);
    dialog.findChild<QPushButton *>(QStringLiteral("cmdApply"))->click();
    QVERIFY(!FileAssociations(app.path(), QString()).IsAssociated(QStringLiteral("html")));
    QVERIFY(prompter->asked.isEmpty());
}

QTEST_MAIN(TestAssociations)
#include "tst_associations.moc"
