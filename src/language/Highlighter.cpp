#include "Highlighter.h"

#include "CodeHighlighter.h"
#include "EditorSurface.h"
#include "HighlightFormats.h"
#include "MarkupHighlighter.h"
#include "RenderClock.h"
#include "Settings.h"

#include <algorithm>

const QString Highlighter::RenderingCaption = QStringLiteral("Rendering document, please wait");

namespace {

// Locks the surface for a bulk change and puts its selection back afterwards. Selection and
// visibility are only touched when they changed, so the view does not jump.
class SurfaceLock {
public:
    SurfaceLock(EditorSurface &surface, bool hide)
        : m_surface(surface), m_selStart(surface.selStart()), m_selLength(surface.selLength()),
          m_wasVisible(surface.isVisible()), m_hidden(hide && m_wasVisible)
    {
        if (m_hidden)
            m_surface.setVisible(false);
    }
    ~SurfaceLock()
    {
        if (m_hidden)
            m_surface.setVisible(true);
        if (m_surface.selStart() != m_selStart || m_surface.selLength() != m_selLength) {
            m_surface.setSelStart(m_selStart);
            m_surface.setSelLength(m_selLength);
        }
    }
    SurfaceLock(const SurfaceLock &) = delete;
    SurfaceLock &operator=(const SurfaceLock &) = delete;

private:
    EditorSurface &m_surface;
    int m_selStart;
    int m_selLength;
    bool m_wasVisible;
    bool m_hidden;
};

} // namespace

Highlighter::Highlighter(EditorSurface &surface, const Settings &settings, const LanguageDefinition &language,
                         const DocumentLanguageFlags &flags, HighlightHost host)
    : m_surface(surface), m_settings(settings), m_language(language), m_flags(flags), m_host(std::move(host))
{
}

RenderResult Highlighter::renderRange(int start, int length, bool focusReplaceDialog)
{
    RenderResult result;
    if (m_flags.highlightingDeclined) {
        result.outcome = RenderResult::Outcome::Declined;
        return result;
    }
    const QString savedHint = m_host.hintCaption ? m_host.hintCaption() : QString();
    if (m_host.setHintCaption)
        m_host.setHintCaption(RenderingCaption);

    const int textLength = m_surface.textLength();
    result.wholeDocument = length <= 0;
    if (result.wholeDocument)
        length = textLength - start + 1;
    start = std::max(start, 1);
    // A range that runs past the end simply has a shorter subject.
    length = std::clamp(length, 0, std::max(0, textLength - (start - 1)));
    result.start = start;
    result.length = length;

    {
        // Only whole-document renders let events run, so only they need the surface locked.
        SurfaceLock lock(m_surface, result.wholeDocument);
        QString subject = (start == 1 && length == textLength) ? m_surface.text()
                                                                : m_surface.textRange(start - 1, length);
        RenderClock clock;
        if (result.wholeDocument && m_host.yield)
            clock = RenderClock(m_host.yield, [this, textLength] { return m_surface.textLength() == textLength; },
                                m_host.yieldIntervalMs);

        std::optional<StyleBuffer> styles;
        if (m_language.markup)
            styles = MarkupHighlighter(m_language.stringChar, m_settings.HighLightNumbers, m_engine)
                         .styles(subject, clock);
        else
            styles = CodeHighlighter(m_language, m_settings.HighLightNumbers, m_engine)
                         .styles(std::move(subject), clock);

        if (styles) {
            const HighlightFormats formats(m_settings, m_surface.defaultFormat());
            m_surface.applyStyleBuffer(start - 1, HighlightFormats::paletteIndices(*styles), formats.palette());
        } else {
            result.outcome = RenderResult::Outcome::Stopped;
        }
    }
    finish(focusReplaceDialog, savedHint);
    return result;
}

void Highlighter::clearHighlighting()
{
    {
        SurfaceLock lock(m_surface, true);
        const HighlightFormats formats(m_settings, m_surface.defaultFormat());
        m_surface.applyFormatRuns(0, {FormatRun{m_surface.textLength(), formats.format(TokenStyle::Plain)}});
    }
    m_surface.setFocus();
}

void Highlighter::finish(bool focusReplaceDialog, const QString &savedHint)
{
    if (focusReplaceDialog && m_host.focusReplaceDialog)
        m_host.focusReplaceDialog();
    else
        m_surface.setFocus();
    if (m_host.setHintCaption)
        m_host.setHintCaption(savedHint);
    if (m_host.enableToolTipTimer)
        m_host.enableToolTipTimer();
}
