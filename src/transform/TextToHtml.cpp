#include "TextToHtml.h"

#include <QRegularExpression>

#include <array>

namespace TextToHtml {

namespace {

struct Rewrite {
    QRegularExpression pattern;
    QString replacement;
};

const std::array<Rewrite, 7> &rewrites()
{
    constexpr auto options = QRegularExpression::CaseInsensitiveOption;
    // Order matters: '&' first so the entities made for '<' and '>' are not escaped again, and the
    // breaks before the links so no markup lands inside an address.
    static const std::array<Rewrite, 7> list{{
        {QRegularExpression(QStringLiteral("(\\s)&"), options), QStringLiteral("\\1&amp;")},
        {QRegularExpression(QStringLiteral("<"), options), QStringLiteral("&lt;")},
        {QRegularExpression(QStringLiteral(">"), options), QStringLiteral("&gt;")},
        {QRegularExpression(QStringLiteral("([^\\r\\n]+)\\r\\n"), options), QStringLiteral("\\1<br>\r\n")},
        {QRegularExpression(QStringLiteral("(\\r\\n\\r\\n)"), options), QStringLiteral("\\1\r\n<p>\r\n")},
        {QRegularExpression(QStringLiteral("(\\w[-.\\w]*@[-a-z0-9]+(\\.[-a-z0-9]+)*\\.([a-z][a-z][a-z]?))"), options),
         QStringLiteral("<a href=\"mailto:\\1\">\\1</a>")},
        {QRegularExpression(QStringLiteral("((http://|ftp://|telnet://|gopher://|file://)[-a-z0-9]+(\\.[-a-z0-9]+)*"
                                           "\\.([a-z][a-z][a-z]?)\\b(/[-a-z0-9_:@&?=+,.!/~*'%$]*)?)"),
                            options),
         QStringLiteral("<a href=\"\\1\">\\1</a>")},
    }};
    return list;
}

} // namespace

QString TextToHTML(QStringView s, QStringView documentPath)
{
    QString body = s.toString();
    for (const Rewrite &rewrite : rewrites())
        body.replace(rewrite.pattern, rewrite.replacement);

    const qsizetype slash = documentPath.lastIndexOf(u'/');
    const QString title = slash < 0 ? QString() : documentPath.sliced(slash + 1).toString();
    return QStringLiteral("<html>\r\n<head><title>") + title + QStringLiteral("</title></head>\r\n<body>\r\n<tt>\r\n")
        + body + QStringLiteral("\r\n</tt>\r\n</body>\r\n</html>");
}

} // namespace TextToHtml
