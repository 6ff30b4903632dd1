#include "modURLRetrieve.h"

#include "Prompter.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

namespace modURLRetrieve {

namespace {

UrlOpener &customOpener()
{
    static UrlOpener opener;
    return opener;
}

bool desktopOpen(const QUrl &url)
{
    // The desktop opens a file with the program of its type (a text editor for a .c file); the
    // command asks for the browser, which Debian names x-www-browser.
    if (url.isLocalFile()) {
        const QString browser = QStandardPaths::findExecutable(QStringLiteral("x-www-browser"));
        if (!browser.isEmpty() && QProcess::startDetached(browser, {url.toLocalFile()}))
            return true;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace

QUrl urlFor(const QString &address)
{
    if (QFileInfo(address).isAbsolute())
        return QUrl::fromLocalFile(address);
    const QUrl url(address, QUrl::TolerantMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    return QUrl::fromUserInput(address);
}

bool OpenUrl(const QString &address, QWidget *parent)
{
    const QUrl url = urlFor(address);
    const bool opened = url.isValid() && (customOpener() ? customOpener()(url) : desktopOpen(url));
    if (!opened)
        askUser(parent, QStringLiteral("Unable to open URL. Install browser first!"), QStringLiteral("Orvane"),
                QMessageBox::Ok, QMessageBox::NoIcon);
    return opened;
}

void setUrlOpener(UrlOpener opener)
{
    customOpener() = std::move(opener);
}

QString withScheme(const QString &typed)
{
    return typed.contains(QLatin1String("://")) ? typed : QStringLiteral("http://") + typed;
}

QString normaliseLineBreaks(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    result.replace(QStringLiteral("\r\r"), QStringLiteral("\r"));
    return result;
}

QString decodeBody(const QByteArray &body, const QByteArray &contentType)
{
    for (const QByteArray &part : contentType.split(';')) {
        const QByteArray parameter = part.trimmed();
        if (!parameter.toLower().startsWith("charset="))
            continue;
        QByteArray name = parameter.mid(8).trimmed();
        if (name.size() >= 2 && (name.startsWith('"') || name.startsWith('\'')))
            name = name.mid(1, name.size() - 2);
        QStringDecoder declared(name.constData());
        if (declared.isValid()) {
            const QString text = declared.decode(body);
            return text;
        }
    }
    // Stateless, so that a body ending inside a character counts as invalid rather than pending.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(body);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(body);
}

} // namespace modURLRetrieve
