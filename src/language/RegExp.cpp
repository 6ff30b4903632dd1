#include "RegExp.h"

#include <pcre2.h>

#include <QStringView>

#include <algorithm>

struct RegExpProgram {
    pcre2_code *code = nullptr;
    pcre2_match_data *data = nullptr;
    int groups = 0;
    bool jit = false;

    RegExpProgram() = default;
    RegExpProgram(const RegExpProgram &) = delete;
    RegExpProgram &operator=(const RegExpProgram &) = delete;
    ~RegExpProgram()
    {
        pcre2_match_data_free(data);
        pcre2_code_free(code);
    }
};

namespace {

// Line ends are CR, LF and CR LF, as in documents loaded from either world.
const QString kNewlineVerb = QStringLiteral("(*ANYCRLF)");

// A CR LF pair is one line break: no match may start or end between its halves, where "$" and "^"
// would otherwise match a second time and a replacement would split the break.
const QString kOutsideCrLf = QStringLiteral("(?!(?<=\\r)\\n)");

bool splitsPair(QStringView text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return false;
    const QChar before = text.at(at - 1);
    const QChar after = text.at(at);
    return (before == QLatin1Char('\r') && after == QLatin1Char('\n'))
        || (before.isHighSurrogate() && after.isLowSurrogate());
}

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

PCRE2_SPTR units(const QString &text)
{
    return reinterpret_cast<PCRE2_SPTR>(text.utf16());
}

struct CompileResult {
    std::unique_ptr<RegExpProgram> program;
    int errorCode = 0;
    qsizetype errorOffset = 0;
};

CompileResult compile(const QString &pattern, uint32_t options, bool jit = true)
{
    CompileResult result;
    PCRE2_SIZE offset = 0;
    pcre2_code *code = pcre2_compile(units(pattern), PCRE2_SIZE(pattern.size()), options | PCRE2_UTF,
                                     &result.errorCode, &offset, nullptr);
    result.errorOffset = qsizetype(offset);
    if (!code)
        return result;
    result.program = std::make_unique<RegExpProgram>();
    result.program->code = code;
    result.program->jit = jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
    result.program->data = pcre2_match_data_create_from_pattern(code, nullptr);
    uint32_t groups = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
    result.program->groups = int(groups);
    return result;
}

QString errorMessage(int code)
{
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, std::size(buffer));
    if (length < 0)
        return QStringLiteral("error %1").arg(code);
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
}

// Deeply nested patterns over long subjects outgrow JIT's default stack; each thread keeps one that
// can grow, and a match that still runs out is retried by the interpreter within a bounded heap, so a
// pathological pattern fails in a moment instead of taking gigabytes.
class MatchContext {
public:
    MatchContext()
        : m_context(pcre2_match_context_create(nullptr))
        , m_stack(pcre2_jit_stack_create(32 * 1024, 16 * 1024 * 1024, nullptr))
    {
        if (m_context && m_stack)
            pcre2_jit_stack_assign(m_context, nullptr, m_stack);
        if (m_context)
            pcre2_set_heap_limit(m_context, 64 * 1024);
    }
    ~MatchContext()
    {
        pcre2_jit_stack_free(m_stack);
        pcre2_match_context_free(m_context);
    }
    MatchContext(const MatchContext &) = delete;
    MatchContext &operator=(const MatchContext &) = delete;
    pcre2_match_context *get() const { return m_context; }

private:
    pcre2_match_context *m_context;
    pcre2_jit_stack *m_stack;
};

// A match reports whether it found something; a resource failure carries the engine's error code.
struct MatchResult {
    bool found = false;
    int error = 0;
};

MatchResult matchAt(const RegExpProgram &program, PCRE2_SPTR subject, qsizetype length, qsizetype offset)
{
    thread_local MatchContext context;
    int rc = program.jit ? pcre2_jit_match(program.code, subject, PCRE2_SIZE(length), PCRE2_SIZE(offset), 0,
                                           program.data, context.get())
                         : pcre2_match(program.code, subject, PCRE2_SIZE(length), PCRE2_SIZE(offset),
                                       PCRE2_NO_UTF_CHECK, program.data, context.get());
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(program.code, subject, PCRE2_SIZE(length), PCRE2_SIZE(offset),
                         PCRE2_NO_UTF_CHECK | PCRE2_NO_JIT, program.data, context.get());
    if (rc > 0)
        return {true, 0};
    if (rc == PCRE2_ERROR_NOMATCH || rc == PCRE2_ERROR_PARTIAL)
        return {};
    return {false, rc};
}

QStringView group(QStringView subject, const PCRE2_SIZE *ovector, int g)
{
    const PCRE2_SIZE start = ovector[2 * g];
    if (start == PCRE2_UNSET)
        return {};
    return subject.mid(qsizetype(start), qsizetype(ovector[2 * g + 1] - start));
}

void appendExpanded(QString &out, const QString &replacement, QStringView subject, const PCRE2_SIZE *ovector,
                    int groups)
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
            out += group(subject, ovector, 0);
            ++i;
        } else if (next == QLatin1Char('`')) {
            out += subject.left(qsizetype(ovector[0]));
            ++i;
        } else if (next == QLatin1Char('\'')) {
            out += subject.mid(qsizetype(ovector[1]));
            ++i;
        } else if (next.isDigit() && next.unicode() < 128) {
            const int one = next.unicode() - '0';
            const bool twoDigits = i + 2 < n && replacement.at(i + 2).unicode() >= '0'
                && replacement.at(i + 2).unicode() <= '9';
            const int two = twoDigits ? one * 10 + (replacement.at(i + 2).unicode() - '0') : 0;
            if (twoDigits && two >= 1 && two <= groups) {
                out += group(subject, ovector, two);
                i += 2;
            } else if (one >= 1 && one <= groups) {
                out += group(subject, ovector, one);
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

RegExp::RegExp() = default;

RegExp::RegExp(const QString &pattern)
    : m_pattern(pattern)
{
}

RegExp::~RegExp() = default;

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

const RegExpProgram *RegExp::compiled()
{
    if (m_dirty) {
        m_dirty = false;
        const uint32_t options = (m_ignoreCase ? PCRE2_CASELESS : 0u) | (m_multiLine ? PCRE2_MULTILINE : 0u);
        const QString body = m_multiLine ? m_pattern : dollarAtEndOnly(m_pattern);
        // Checked as written first, so that wrapping never makes an invalid pattern valid.
        CompileResult result = compile(kNewlineVerb + body, options, false);
        if (result.program) {
            // A form the guard cannot wrap (a leading verb, say) runs as written, and the walk
            // below still steps over a pair as a whole.
            CompileResult guarded
                = compile(kNewlineVerb + kOutsideCrLf + QStringLiteral("(?:") + body + QStringLiteral(")") + kOutsideCrLf,
                          options);
            if (guarded.program)
                result = std::move(guarded);
            else
                result.program->jit = pcre2_jit_compile(result.program->code, PCRE2_JIT_COMPLETE) == 0;
        }
        m_program = std::move(result.program);
        if (!m_program) {
            // Report the error and its offset within the pattern as the user wrote it.
            const CompileResult plain = compile(kNewlineVerb + m_pattern, options);
            const CompileResult &shown = plain.program ? result : plain;
            m_errorDescription = QStringLiteral("Syntax error in regular expression: %1 at offset %2")
                                     .arg(errorMessage(shown.errorCode))
                                     .arg(qMax<qsizetype>(0, shown.errorOffset - kNewlineVerb.size()));
        }
    }
    if (m_program && m_program->data) {
        m_errorNumber = 0;
        m_errorDescription.clear();
        return m_program.get();
    }
    m_errorNumber = SyntaxErrorNumber;
    return nullptr;
}

bool RegExp::isValid()
{
    return compiled() != nullptr;
}

template <typename Visit>
void RegExp::forEachMatch(const QString &subject, Visit visit, qsizetype from)
{
    const RegExpProgram *program = compiled();
    if (!program)
        return;
    const QString text = validUtf16(subject);
    const PCRE2_SPTR units16 = units(text);
    const qsizetype n = text.size();
    const PCRE2_SIZE *ovector = pcre2_get_ovector_pointer(program->data);
    qsizetype offset = from;
    while (offset <= n) {
        const MatchResult result = matchAt(*program, units16, n, offset);
        if (result.error)
            failMatch(result.error);
        if (!result.found)
            return;
        if (!visit(ovector, program->groups, offset) || !m_global)
            return;
        const qsizetype start = qsizetype(ovector[0]);
        qsizetype next = qsizetype(ovector[1]);
        if (next <= start) {
            // An empty match moves on by one character, so a global search always ends; a CR LF
            // pair and a surrogate pair are one character each.
            next = start + (splitsPair(text, start + 1) ? 2 : 1);
        }
        offset = std::max(next, offset + 1);
    }
}

bool RegExp::Test(const QString &subject)
{
    const RegExpProgram *program = compiled();
    if (!program)
        return false;
    const QString text = validUtf16(subject);
    const MatchResult result = matchAt(*program, units(text), text.size(), 0);
    if (result.error)
        failMatch(result.error);
    return result.found;
}

void RegExp::failMatch(int engineError)
{
    m_errorNumber = engineError;
    m_errorDescription = errorMessage(engineError);
}

QList<RegExp::Match> RegExp::Execute(const QString &subject)
{
    QList<Match> matches;
    forEachMatch(subject, [&](const PCRE2_SIZE *ovector, int groups, qsizetype) {
        Match match;
        match.FirstIndex = qsizetype(ovector[0]);
        match.Length = qsizetype(ovector[1] - ovector[0]);
        match.Value = group(subject, ovector, 0).toString();
        for (int g = 1; g <= groups; ++g)
            match.SubMatches << group(subject, ovector, g).toString();
        matches << std::move(match);
        return true;
    });
    return matches;
}

QList<RegExp::Span> RegExp::Locate(const QString &subject)
{
    QList<Span> spans;
    forEachMatch(subject, [&spans](const PCRE2_SIZE *ovector, int, qsizetype) {
        spans.append(Span{qsizetype(ovector[0]), qsizetype(ovector[1] - ovector[0])});
        return true;
    });
    return spans;
}

qsizetype RegExp::Count(const QString &subject)
{
    qsizetype count = 0;
    forEachMatch(subject, [&count](const PCRE2_SIZE *, int, qsizetype) {
        ++count;
        return true;
    });
    return count;
}

RegExp::MatchIndex RegExp::Index(const QString &subject)
{
    MatchIndex index;
    forEachMatch(subject, [&index](const PCRE2_SIZE *, int, qsizetype searchedFrom) {
        if (index.count % MatchIndex::Stride == 0)
            index.resumeAt.append(searchedFrom);
        ++index.count;
        return true;
    });
    return index;
}

std::optional<RegExp::Span> RegExp::Nth(const QString &subject, const MatchIndex &index, qsizetype n)
{
    if (n < 0 || n >= index.count || n / MatchIndex::Stride >= index.resumeAt.size())
        return std::nullopt;
    qsizetype skip = n % MatchIndex::Stride;
    std::optional<Span> found;
    forEachMatch(
        subject,
        [&](const PCRE2_SIZE *ovector, int, qsizetype) {
            if (skip-- > 0)
                return true;
            found = Span{qsizetype(ovector[0]), qsizetype(ovector[1] - ovector[0])};
            return false;
        },
        index.resumeAt.at(n / MatchIndex::Stride));
    return found;
}

RegExp::Replaced RegExp::ReplaceCounted(const QString &subject, const QString &replacement)
{
    Replaced result;
    qsizetype copied = 0;
    forEachMatch(subject, [&](const PCRE2_SIZE *ovector, int groups, qsizetype) {
        if (result.count++ == 0)
            result.text.reserve(subject.size() + subject.size() / 8);
        result.text += QStringView(subject).mid(copied, qsizetype(ovector[0]) - copied);
        appendExpanded(result.text, replacement, subject, ovector, groups);
        copied = qsizetype(ovector[1]);
        return true;
    });
    if (result.count == 0) {
        result.text = subject;
        return result;
    }
    result.text += QStringView(subject).mid(copied);
    return result;
}

QString RegExp::Replace(const QString &subject, const QString &replacement)
{
    return ReplaceCounted(subject, replacement).text;
}
