#include "TipList.h"

#include "FileIO.h"

#include <QFileInfo>
#include <QStringDecoder>

bool TipList::load(const QString &path)
{
    m_tips.clear();
    if (!QFileInfo(path).isFile())
        return false;
    const auto bytes = FileIO::readAll(path);
    if (!bytes)
        return false;
    // Hand-written tips files may be UTF-8 or one byte per character.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(*bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(*bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            m_tips << line;
    }
    next();
    return true;
}

void TipList::next()
{
    if (m_tips.isEmpty())
        return;
    // Also brings a stored index from outside the list (an edited settings file) back into it.
    const qint64 moved = qint64(m_index) + 1;
    m_index = moved > count() || moved < 1 ? 1 : int(moved);
}

void TipList::previous()
{
    if (m_tips.isEmpty())
        return;
    const qint64 moved = qint64(m_index) - 1;
    m_index = moved < 1 || moved > count() ? count() : int(moved);
}

QString TipList::currentText() const
{
    if (m_index < 1 || m_index > count())
        return {};
    QString tip = m_tips[m_index - 1];
    tip.replace(QLatin1String("\\n"), QLatin1String("\n"));
    return tip;
}

QString TipList::positionText() const
{
    if (m_index < 1 || m_index > count())
        return {};
    return QStringLiteral("(%1/%2)").arg(m_index).arg(count());
}

QString TipList::notFoundText(const QString &fileName)
{
    return QStringLiteral("That the ") + fileName + QStringLiteral(" file was not found? ") + QStringLiteral("\n\n")
        + QStringLiteral("Create a text file named ") + fileName
        + QStringLiteral(" using Orvane with 1 tip per line. ")
        + QStringLiteral("Then place it in the same directory as the application. ");
}
