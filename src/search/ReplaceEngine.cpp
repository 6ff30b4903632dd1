#include "ReplaceEngine.h"

#include "EditorSurface.h"
#include "Responsive.h"
#include "SearchHost.h"

#include <QStringMatcher>

ReplaceEngine::ReplaceEngine(FindEngine &find, SearchHost &host)
    : m_find(find)
    , m_host(host)
{
}

QString ReplaceEngine::UnescapeReplacement(const QString &text)
{
    const QChar placeholder(0xFF);
    QString out = text;
    out.replace(QStringLiteral("\\\\"), placeholder);
    out.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    out.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    out.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    out.replace(QStringLiteral("\\v"), QStringLiteral("\v"));
    out.replace(placeholder, QLatin1Char('\\'));
    return out;
}

bool ReplaceEngine::addHistories(const ReplaceRequest &request) const
{
    if (request.historyAdded)
        return true;
    const HistoryLists &lists = m_find.histories();
    lists.AddToHistory(request.findText, HistoryLists::SearchStrings);
    lists.AddToHistory(request.replacement, HistoryLists::ReplaceStrings);
    return true;
}

void ReplaceEngine::setDocument(const QString &text)
{
    EditorSurface &surface = m_host.surface();
    const int start = surface.selStart();
    surface.setText(text);
    surface.setSelStart(qMin(start, surface.textLength()));
}

FindOutcome ReplaceEngine::Replace(const ReplaceRequest &request)
{
    EditorSurface &surface = m_host.surface();
    FindOutcome outcome;
    outcome.historyAdded = request.historyAdded;
    if (surface.selLength() == 0)
        return outcome;
    m_host.AddHistory();
    const int start = surface.selStart();
    const int span = int(request.replacement.size()) + 1;
    surface.setSelText(request.replacement);
    if (request.regExp) {
        ExpressionCache &cache = m_find.cache();
        if (cache.expression) {
            const QString text = surface.text();
            RegExp &engine = *cache.expression;
            Responsive::run(text.size() >= Responsive::LargeText, [&] { cache.matches = engine.Index(text); });
            // The replaced match left the list; the next one took its number.
            if (request.downward)
                --cache.matchIndex;
        }
        outcome = m_find.FindRegExp(request.matchCase, request.findText, request.downward);
    } else {
        outcome = m_find.FindPlain(request.findText, request.matchCase, request.downward, request.historyAdded);
    }
    outcome.historyAdded = addHistories(request);
    if (m_host.highlightingActive())
        m_host.renderRange(start, span);
    return outcome;
}

ReplaceAllResult ReplaceEngine::replaceAllPlain(const QString &text, const QString &findText,
                                                const QString &replacement, bool matchCase)
{
    ReplaceAllResult result;
    if (findText.isEmpty()) {
        result.text = text;
        return result;
    }
    const QStringMatcher matcher(findText, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    qsizetype copied = 0;
    for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + findText.size())) {
        if (result.count == 0)
            result.text.reserve(text.size());
        result.text += QStringView(text).mid(copied, at - copied);
        result.text += replacement;
        copied = at + findText.size();
        ++result.count;
    }
    if (result.count == 0) {
        result.text = text;
        return result;
    }
    result.text += QStringView(text).mid(copied);
    return result;
}

ReplaceAllResult ReplaceEngine::replaceAllRegExp(const QString &text, const QString &pattern,
                                                 const QString &replacement, bool matchCase)
{
    ReplaceAllResult result;
    auto engine = FindEngine::newEngine(pattern, matchCase);
    RegExp::Replaced replaced = engine->ReplaceCounted(text, replacement);
    result.count = int(replaced.count);
    result.text = std::move(replaced.text);
    result.error = FindEngine::engineError(*engine);
    if (result.error) {
        result.text = text;
        result.count = 0;
    }
    return result;
}

FindOutcome ReplaceEngine::ReplaceAll(const ReplaceRequest &request)
{
    m_find.state().MatchCase = request.matchCase;
    m_host.AddHistory();
    const QString text = m_host.surface().text();
    ReplaceAllResult result;
    Responsive::run(text.size() >= Responsive::LargeText, [&] {
        result = request.regExp
            ? replaceAllRegExp(text, request.findText, UnescapeReplacement(request.replacement), request.matchCase)
            : replaceAllPlain(text, request.findText, request.replacement, request.matchCase);
    });
    FindOutcome outcome;
    outcome.found = result.count > 0;
    outcome.info = result.error ? *result.error : QString::number(result.count) + QStringLiteral(" items replaced.");
    if (result.count > 0) {
        setDocument(result.text);
        // The old match list describes a text that is gone.
        m_find.markDirty();
    }
    outcome.historyAdded = addHistories(request);
    if (m_host.highlightingActive() && result.count > 0)
        m_host.renderDocument();
    return outcome;
}
