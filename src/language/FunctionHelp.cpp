#include "FunctionHelp.h"

#include "ListFile.h"

#include <QFileInfo>

FunctionHelp FunctionHelp::fromLines(const QStringList &lines)
{
    FunctionHelp help;
    help.m_present = true;
    for (const QString &line : lines) {
        QString collapsed;
        collapsed.reserve(line.size());
        for (const QChar c : line) {
            if (c == QLatin1Char('\t') && collapsed.endsWith(QLatin1Char('\t')))
                continue;
            collapsed += c;
        }
        const QStringList fields = collapsed.split(QLatin1Char('\t'));
        if (fields.size() < 2 || fields.at(1).isEmpty())
            continue;
        help.m_names << fields.at(0);
        help.m_texts << fields.at(1);
    }
    return help;
}

FunctionHelp FunctionHelp::load(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    return fromLines(ListFile::read(path).value_or(QStringList()));
}

QString FunctionHelp::pathForDefinition(const QString &definitionPath)
{
    return definitionPath.chopped(qMin<qsizetype>(3, definitionPath.size())) + QStringLiteral(".a");
}

std::optional<QString> FunctionHelp::textFor(const QString &name) const
{
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return m_texts.at(i);
    }
    return std::nullopt;
}
