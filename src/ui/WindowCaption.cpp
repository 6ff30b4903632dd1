#include "WindowCaption.h"

QString windowCaption(const QString &path, bool saved, const QString &title)
{
    const QString unsaved = QStringLiteral(" [NOT SAVED]");
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return saved ? path + QStringLiteral(" - ") + title : path + QStringLiteral("* - ") + title + unsaved;
    const QString name = path.mid(slash + 1);
    const QString folder = path.left(slash);
    return saved ? name + QStringLiteral(" @ ") + folder + QStringLiteral(" - ") + title
                 : name + QStringLiteral("* @ ") + folder + QStringLiteral(" - ") + title + unsaved;
}
