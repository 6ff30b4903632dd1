#include "TemplateInserter.h"

#include "EditorSurface.h"
#include "TemplateStore.h"

#include <QLocale>

#include <pwd.h>
#include <unistd.h>

TemplateInserter::TemplateInserter(EditorSurface &surface, const TemplateStore &store, AuthoringHost &host)
    : m_surface(surface)
    , m_store(store)
    , m_host(host)
{
}

QString TemplateInserter::loginName()
{
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? qEnvironmentVariable("LOGNAME") : user;
}

QString TemplateInserter::programName()
{
    return QStringLiteral("Orvane v%1.%2").arg(ORVANE_VERSION_MAJOR).arg(ORVANE_VERSION_MINOR);
}

TemplateInserter::Values TemplateInserter::currentValues(const QString &fullFileName)
{
    return {fullFileName, QDateTime::currentDateTime(), loginName(), programName()};
}

TemplateInserter::Expanded TemplateInserter::expand(const QString &content, const Values &values)
{
    const QLocale locale;
    const qsizetype slash = values.fullFileName.lastIndexOf(QLatin1Char('/'));
    const QString fileName = slash < 0 ? QString() : values.fullFileName.mid(slash + 1);
    const std::pair<QLatin1String, QString> variables[] = {
        {QLatin1String("$fullfilename"), values.fullFileName},
        {QLatin1String("$date"), locale.toString(values.now.date(), QLocale::ShortFormat)},
        {QLatin1String("$time"), locale.toString(values.now.time(), QLocale::ShortFormat)},
        {QLatin1String("$filename"), fileName},
        {QLatin1String("$user"), values.user},
        {QLatin1String("$program"), values.program},
        {QLatin1String("$startpos"), QString()},
    };
    Expanded result;
    result.text.reserve(content.size());
    qsizetype from = 0;
    while (from < content.size()) {
        const qsizetype dollar = content.indexOf(QLatin1Char('$'), from);
        if (dollar < 0)
            break;
        result.text += QStringView(content).mid(from, dollar - from);
        from = dollar + 1;
        const QStringView rest = QStringView(content).mid(dollar);
        bool replaced = false;
        for (const auto &[name, value] : variables) {
            if (!rest.startsWith(name))
                continue;
            if (name == QLatin1String("$startpos") && result.caret < 0)
                result.caret = int(result.text.size());
            result.text += value;
            from = dollar + name.size();
            replaced = true;
            break;
        }
        if (!replaced)
            result.text += QLatin1Char('$');
    }
    result.text += QStringView(content).mid(from);
    return result;
}

void TemplateInserter::insert(int index)
{
    insert(index, currentValues(m_host.documentPath()));
}

void TemplateInserter::insert(int index, const Values &values)
{
    const QString content = m_store.TemplateContent(index);
    // An empty slot inserts nothing, so it must not wipe out a selection either.
    if (content.isEmpty())
        return;
    const Expanded expanded = expand(content, values);
    m_host.addHistory();
    const int start = m_surface.selStart();
    m_surface.setSelText(expanded.text);
    m_host.markChanged();
    if (!expanded.text.isEmpty() && m_host.highlightingActive())
        m_host.renderRange(start + 1, int(expanded.text.size()));
    m_surface.setSelStart(start + (expanded.caret < 0 ? int(expanded.text.size()) : expanded.caret));
}
