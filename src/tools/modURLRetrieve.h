#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// Opening addresses in the browser and the text helpers of Data From URL.
namespace modURLRetrieve {

// Opens an address or an absolute file path in the web browser; "Unable to open URL. Install
// browser first!" when nothing could open it.
bool OpenUrl(const QString &address, QWidget *parent);

// What OpenUrl hands the desktop: a file URL for a path, the address otherwise.
QUrl urlFor(const QString &address);

// Replaces how addresses reach the desktop (tests); an empty function restores the desktop's.
using UrlOpener = std::function<bool(const QUrl &url)>;
void setUrlOpener(UrlOpener opener);

// The typed address with "http://" in front when it names no scheme.
QString withScheme(const QString &typed);

// Every LF becomes CR LF, then every CR CR becomes CR.
QString normaliseLineBreaks(const QString &text);

// The body as text: by the charset the server declared, else UTF-8 when it is valid, else Latin-1.
QString decodeBody(const QByteArray &body, const QByteArray &contentType);

} // namespace modURLRetrieve
