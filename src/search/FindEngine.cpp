#include "FindEngine.h"

#include "ContextScroll.h"
#include "EditorSurface.h"
#include "Responsive.h"

#include <QStringMatcher>

namespace {

Qt::CaseSensitivity sensitivity(bool matchCase)
{
    return matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

} // namespace

FindEngine::FindEngine(EditorSurface &surface, HistoryLists histories)
    : m_surface(surface)
    , m_histories(std::move(histories))
{
}

void FindEngine::select(int start, int length)
{
    m_surface.setSelStart(start);
    m_surface.setSelLength(length);
    ContextScroll::showWithContext(m_surface, start);
}

bool FindEngine::addSearchHistory(const QString &text, bool historyAdded) const
{
    if (!historyAdded)
        m_histories.AddToHistory(text, HistoryLists::SearchStrings);
    return true;
}

FindOutcome FindEngine::FindPlain(const QString &searchText, bool matchCase, bool downward, bool historyAdded)
{
    FindOutcome outcome;
    outcome.historyAdded = historyAdded;
    if (searchText.isEmpty())
        return outcome;
    const Qt::CaseSensitivity cs = sensitivity(matchCase);
    const QString text = m_surface.text();
    const qsizetype after = qsizetype(m_surface.selStart()) + m_surface.selLength();
    qsizetype found = -1;
    if (downward) {
        found = text.indexOf(searchText, after, cs);
        if (found < 0)
            found = text.indexOf(searchText, 0, cs);
    } else {
        // Wholly within the first (after - 1) characters, at least one.
        const qsizetype limit = qMax<qsizetype>(after - 1, 1);
        const qsizetype lastStart = limit - searchText.size();
        if (lastStart >= 0)
            found = text.lastIndexOf(searchText, lastStart, cs);
        if (found < 0)
            found = text.lastIndexOf(searchText, -1, cs);
    }
    if (found < 0) {
        outcome.info = QStringLiteral("Search string not found!");
        outcome.historyAdded = addSearchHistory(searchText, historyAdded);
        return outcome;
    }
    select(int(found), int(searchText.size()));
    m_state.SearchBackwards = !downward;
    m_state.SearchText = searchText;
    m_state.MatchCase = matchCase;
    outcome.found = true;
    outcome.historyAdded = addSearchHistory(searchText, historyAdded);
    return outcome;
}

std::unique_ptr<RegExp> FindEngine::newEngine(const QString &pattern, bool matchCase)
{
    auto engine = std::make_unique<RegExp>();
    engine->setGlobal(true);
    engine->setIgnoreCase(!matchCase);
    engine->setPattern(pattern);
    engine->setMultiLine(true);
    return engine;
}

std::optional<QString> FindEngine::engineError(const RegExp &engine)
{
    if (engine.errorNumber() == 0)
        return std::nullopt;
    return engine.errorDescription() + QStringLiteral(" (") + QString::number(engine.errorNumber())
        + QStringLiteral(")");
}

FindOutcome FindEngine::FindRegExp(bool matchCase, const QString &pattern, bool downward)
{
    FindOutcome outcome;
    const QString text = m_surface.text();
    ExpressionCache &c = m_cache;
    if (c.dirty) {
        c.expression = newEngine(pattern, matchCase);
        RegExp &engine = *c.expression;
        Responsive::run(text.size() >= Responsive::LargeText, [&] { c.matches = engine.Index(text); });
        c.matchIndex = 0;
        c.lastStepUpward = false;
        c.dirty = false;
    }
    RegExp &engine = *c.expression;
    const int count = int(c.matches.count);
    // An index left from an earlier text can be empty while the text now matches: nothing to walk.
    const bool any = count > 0;
    int number = 0;
    if (any && downward) {
        if (c.lastStepUpward)
            ++c.matchIndex;
        ++c.matchIndex;
        if (c.matchIndex > count || c.matchIndex < 1)
            c.matchIndex = 1;
        number = c.matchIndex;
        c.lastStepUpward = false;
    } else if (any) {
        if (!c.lastStepUpward)
            --c.matchIndex;
        --c.matchIndex;
        if (c.matchIndex < 0 || c.matchIndex >= count)
            c.matchIndex = count - 1;
        number = c.matchIndex + 1;
        c.lastStepUpward = true;
    }
    // The index describes the text it was built from; an edit the cache did not hear of can leave
    // fewer matches than it counted, or none.
    const std::optional<RegExp::Span> match = any ? engine.Nth(text, c.matches, number - 1) : std::nullopt;
    if (!match) {
        outcome.info = QStringLiteral("Expression not found!");
    } else {
        outcome.info = QStringLiteral("Match %1 of %2").arg(number).arg(count);
        select(int(match->FirstIndex), int(match->Length));
        m_state.SearchText = text.mid(match->FirstIndex, match->Length);
        outcome.found = true;
    }
    if (const auto error = engineError(engine))
        outcome.info = *error;
    return outcome;
}

bool FindEngine::FindNextPlain()
{
    const QString &wanted = m_state.SearchText;
    if (wanted.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = sensitivity(m_state.MatchCase);
    const QString text = m_surface.text();
    // From one past the selection start, so the selected occurrence is skipped.
    qsizetype found = text.indexOf(wanted, qsizetype(m_surface.selStart()) + 1, cs);
    if (found < 0)
        found = text.indexOf(wanted, 0, cs);
    if (found < 0)
        return false;
    select(int(found), int(wanted.size()));
    return true;
}

bool FindEngine::FindPreviousPlain()
{
    const QString &wanted = m_state.SearchText;
    if (wanted.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = sensitivity(m_state.MatchCase);
    const QString text = m_surface.text();
    const int start = m_surface.selStart();
    qsizetype found = start > 0 ? text.lastIndexOf(wanted, start - 1, cs) : -1;
    if (found < 0)
        found = text.lastIndexOf(wanted, -1, cs);
    if (found < 0)
        return false;
    select(int(found), int(wanted.size()));
    return true;
}

int FindEngine::CountOccurrences(const QString &text, const QString &searchText, bool matchCase)
{
    if (searchText.isEmpty())
        return 0;
    const QStringMatcher matcher(searchText, sensitivity(matchCase));
    int count = 0;
    for (qsizetype at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + searchText.size()))
        ++count;
    return count;
}

CountOutcome FindEngine::CountRegExpMatches(const QString &text, const QString &pattern, bool matchCase)
{
    CountOutcome outcome;
    auto engine = newEngine(pattern, matchCase);
    Responsive::run(text.size() >= Responsive::LargeText,
                    [&] { outcome.count = int(engine->Count(text)); });
    outcome.error = engineError(*engine);
    return outcome;
}

QString FindEngine::countInfo(const CountOutcome &outcome)
{
    if (outcome.error)
        return *outcome.error;
    return QString::number(outcome.count) + QStringLiteral(" occurences found.");
}
