#include "FileLinks.h"

QString MakeFileLink(const QString &path, const QString &text)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = slash < 0 ? QString() : path.mid(slash + 1);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : path.mid(dot + 1);
    const QString href = QStringLiteral("./") + name;
    if (extension == QLatin1String("jpg") || extension == QLatin1String("png") || extension == QLatin1String("gif"))
        return QStringLiteral("<img alt=\"%1\" src=\"%2\">").arg(text, href);
    if (extension == QLatin1String("css"))
        return QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\">").arg(href);
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(href, text);
}
