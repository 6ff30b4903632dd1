#pragma once

#include <QString>
#include <QStringView>

namespace TextToHtml {

// Escapes the characters HTML reserves, marks line and paragraph breaks, links mail and web
// addresses, and frames the result as a page titled with the file name of documentPath (empty when
// the path has no folder, as for "Untitled").
QString TextToHTML(QStringView s, QStringView documentPath);

} // namespace TextToHtml
