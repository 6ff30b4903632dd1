#include "RegExp.h"

#include <QStringView>

namespace {

// Line ends are CR, LF and CR LF, as in documents loaded from either world.
const QString kNewlineVerb = QStringLiteral("(*ANYCRLF)");

// Without MultiLine a classic engine's "$" means the very end only, whereas PCRE also accepts a
// position before a final line break; outside character classes "$" becomes "\z".
QString dollarAtEndOnly(const QString &pattern)
{
    QString out;
    out.reserve(pattern.size() + 8);
    bool inClass = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\\')) {
            out += c;
            if (i + 1 < pattern.size())
                out += pattern.at(++i);
            continue;
        }
        if (inClass) {
            if (c == QLatin1Char(']'))
                inClass = false;
            out += c;
            continue;
        }
        if (c == QLatin1Char('[')) {
            inClass = true;
            out += c;
            // A "]" right after "[" or "[^" is a literal member, not the end of the class.
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char('^'))
                out += pattern.at(++i);
            if (i + 1 < pattern.size() && pattern.at(i + 1) == QLatin1Char(']'))
                out += pattern.at(++i);
            continue;
        }
        if (c == QLatin1Char('$'))
            out += QStringLiteral("\\z");
        else
            out += c;
    }
    return out;
}

// PCRE2 must not see lone surrogates; replacing them keeps every offset.
QString validUtf16(const QString &subject)
{
    if (QStringView(subject).isValidUtf16())
        return subject;
    QString copy = subject;
    for (qsizetype i = 0; i < copy.size(); ++i) {
        const QChar c = copy.at(i);
        if (c.isHighSurrogate() && i + 1 < copy.size() && copy.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            copy[i] = QChar::ReplacementCharacter;
    }
    return copy;
}

RegExp::Match toMatch(const QRegularExpressionMatch &m, int groups)
{
    RegExp::Match match;
    match.FirstIndex = m.capturedStart(0);
    match.Length = m.capturedLength(0);
    match.Value = m.captured(0);
    for (int g = 1; g <= groups; ++g)
        match.SubMatches << m.captured(g);
    return match;
}

void appendExpanded(QString &out, const QString &replacement, const QString &subject,
                    const QRegularExpressionMatch &m, int groups)
{
    const qsizetype n = replacement.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = replacement.at(i);
        if (c != QLatin1Char('$') || i + 1 == n) {
            out += c;
            continue;
        }
        const QChar next = replacement.at(i + 1);
        if (next == QLatin1Char('$')) {
            out += QLatin1Char('$');
            ++i;
        } else if (next == QLatin1Char('&')) {
            out += m.capturedView(0);
            ++i;
        } else if (next == QLatin1Char('`')) {
            out += QStringView(subject).left(m.capturedStart(0));
            ++i;
        } else if (next == QLatin1Char('\'')) {
            out += QStringView(subject).mid(m.capturedEnd(0));
            ++i;
        } else if (next.isDigit() && next.unicode() < 128) {
            const int one = next.unicode() - '0';
            const bool twoDigits = i + 2 < n && replacement.at(i + 2).unicode() >= '0'
                && replacement.at(i + 2).unicode() <= '9';
            const int two = twoDigits ? one * 10 + (replacement.at(i + 2).unicode() - '0') : 0;
            if (twoDigits && two >= 1 && two <= groups) {
                out += m.capturedView(two);
                i += 2;
            } else if (one >= 1 && one <= groups) {
                out += m.capturedView(one);
                ++i;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
}

} // namespace

void RegExp::setPattern(const QString &pattern)
{
    if (pattern != m_pattern) {
        m_pattern = pattern;
        m_dirty = true;
    }
}

void RegExp::setIgnoreCase(bool on)
{
    if (on != m_ignoreCase) {
        m_ignoreCase = on;
        m_dirty = true;
    }
}

void RegExp::setGlobal(bool on)
{
    m_global = on;
}

void RegExp::setMultiLine(bool on)
{
    if (on != m_multiLine) {
        m_multiLine = on;
        m_dirty = true;
    }
}

const QRegularExpression *RegExp::compiled()
{
    if (m_dirty) {
        QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
        if (m_ignoreCase)
            options |= QRegularExpression::CaseInsensitiveOption;
        if (m_multiLine)
            options |= QRegularExpression::MultilineOption;
        m_compiled.setPatternOptions(options);
        m_compiled.setPattern(kNewlineVerb + (m_multiLine ? m_pattern : dollarAtEndOnly(m_pattern)));
        m_compiled.optimize();
        m_dirty = false;
    }
    if (m_compiled.isValid()) {
        m_errorNumber = 0;
        m_errorDescription.clear();
        return &m_compiled;
    }
    // Report the offset within the pattern as the user wrote it.
    const QRegularExpression plain(kNewlineVerb + m_pattern, m_compiled.patternOptions());
    const qsizetype offset = plain.isValid() ? m_compiled.patternErrorOffset()
                                             : plain.patternErrorOffset();
    m_errorNumber = SyntaxErrorNumber;
    m_errorDescription = QStringLiteral("Syntax error in regular expression: %1 at offset %2")
                             .arg(plain.isValid() ? m_compiled.errorString() : plain.errorString())
                             .arg(qMax<qsizetype>(0, offset - kNewlineVerb.size()));
    return nullptr;
}

bool RegExp::isValid()
{
    return compiled() != nullptr;
}

template <typename Visit>
void RegExp::forEachMatch(const QString &subject, Visit visit)
{
    const QRegularExpression *re = compiled();
    if (!re)
        return;
    const QString text = validUtf16(subject);
    qsizetype offset = 0;
    while (offset <= text.size()) {
        const QRegularExpressionMatch m = re->match(text, offset, QRegularExpression::NormalMatch,
                                                    QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!m.hasMatch())
            return;
        visit(m);
        if (!m_global)
            return;
        offset = m.capturedEnd(0);
        if (m.capturedLength(0) == 0) {
            // An empty match moves on by one character, so a global search always ends.
            const bool pair = offset + 1 < text.size() && text.at(offset).isHighSurrogate()
                && text.at(offset + 1).isLowSurrogate();
            offset += pair ? 2 : 1;
        }
    }
}

bool RegExp::Test(const QString &subject)
{
    const QRegularExpression *re = compiled();
    if (!re)
        return false;
    return re->match(validUtf16(subject), 0, QRegularExpression::NormalMatch,
                     QRegularExpression::DontCheckSubjectStringMatchOption).hasMatch();
}

QList<RegExp::Match> RegExp::Execute(const QString &subject)
{
    QList<Match> matches;
    forEachMatch(subject, [&](const QRegularExpressionMatch &m) {
        matches << toMatch(m, m_compiled.captureCount());
    });
    return matches;
}

qsizetype RegExp::Count(const QString &subject)
{
    qsizetype count = 0;
    forEachMatch(subject, [&count](const QRegularExpressionMatch &) { ++count; });
    return count;
}

QString RegExp::Replace(const QString &subject, const QString &replacement)
{
    QString out;
    qsizetype copied = 0;
    bool any = false;
    forEachMatch(subject, [&](const QRegularExpressionMatch &m) {
        any = true;
        out += QStringView(subject).mid(copied, m.capturedStart(0) - copied);
        appendExpanded(out, replacement, subject, m, m_compiled.captureCount());
        copied = m.capturedEnd(0);
    });
    if (!any)
        return subject;
    out += QStringView(subject).mid(copied);
    return out;
}
