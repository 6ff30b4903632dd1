#include "LiveHighlighter.h"

#include "EditorSurface.h"
#include "Highlighter.h"
#include "LanguageDefinition.h"
#include "Settings.h"

#include <Qt>

#include <algorithm>

namespace {

// Lines are short; the search reads the text around the caret in pieces of this size.
constexpr int Chunk = 256;

// Zero-based index of the last LF at or before pos, or -1.
int lastLineFeedAtOrBefore(const EditorSurface &surface, int pos)
{
    int end = pos + 1;
    while (end > 0) {
        const int from = std::max(0, end - Chunk);
        const QString piece = surface.textRange(from, end - from);
        const qsizetype hit = piece.lastIndexOf(QLatin1Char('\n'));
        if (hit >= 0)
            return from + int(hit);
        end = from;
    }
    return -1;
}

// Zero-based index of the first CR of a CR LF pair at or after pos, or -1.
int firstCrLfFrom(const EditorSurface &surface, int pos, int textLength)
{
    int from = pos;
    while (from < textLength) {
        // One character of overlap so that a pair split between two pieces is found.
        const int length = std::min(Chunk + 1, textLength - from);
        const QString piece = surface.textRange(from, length);
        const qsizetype hit = piece.indexOf(QLatin1String("\r\n"));
        if (hit >= 0)
            return from + int(hit);
        from += Chunk;
    }
    return -1;
}

} // namespace

LiveHighlighter::LiveHighlighter(Highlighter &highlighter, const Settings &settings, const LanguageDefinition &language)
    : m_highlighter(highlighter), m_settings(settings), m_language(language)
{
}

bool LiveHighlighter::active() const
{
    return m_language.languageActive && m_settings.enableSyntaxHighlightning;
}

LiveHighlighter::Range LiveHighlighter::currentLineRange(const EditorSurface &surface)
{
    const int p = surface.selStart();
    const int n = surface.textLength();
    // s and e are 1-based positions: s of the LF before the line (0 for none), e of the CR ending it.
    int s = 0;
    int e = 0;
    if (p >= n) {
        s = n == 0 ? 0 : lastLineFeedAtOrBefore(surface, n - 1) + 1;
        e = p;
    } else {
        s = lastLineFeedAtOrBefore(surface, p) + 1;
        const int cr = firstCrLfFrom(surface, s, n);
        e = cr < 0 ? n : cr + 1;
    }
    return {s + 1, e - s + 1};
}

std::optional<LiveHighlighter::Range> LiveHighlighter::pastedRange(int caretAfterPaste, const QString &pasted)
{
    if (pasted.indexOf(QLatin1String("\r\n")) < 1)
        return std::nullopt;
    return Range{caretAfterPaste - int(pasted.size()) + 1, int(pasted.size())};
}

void LiveHighlighter::rehighlightCurrentLine()
{
    if (!active())
        return;
    const Range range = currentLineRange(m_highlighter.surface());
    // A positive length keeps the render partial: it never yields.
    if (range.length > 0)
        m_highlighter.renderRange(range.start, range.length);
}

void LiveHighlighter::onKeyDown(int qtKey, int shift)
{
    if (!active())
        return;
    if (virtualKey(qtKey) == VkReturn && shift == 0)
        rehighlightCurrentLine();
}

void LiveHighlighter::onKeyUp(int qtKey, int shift)
{
    if (active() && refreshOnKeyUp(virtualKey(qtKey), shift))
        rehighlightCurrentLine();
}

void LiveHighlighter::afterBlockIndent(int start, int length)
{
    if (active() && length > 0)
        m_highlighter.renderRange(start + 1, length);
}

void LiveHighlighter::afterPaste(const QString &pasted)
{
    if (!active())
        return;
    if (const std::optional<Range> range = pastedRange(m_highlighter.surface().selStart(), pasted))
        m_highlighter.renderRange(range->start, range->length);
    else
        rehighlightCurrentLine();
}

void LiveHighlighter::afterDrop()
{
    rehighlightCurrentLine();
}

bool LiveHighlighter::refreshOnKeyUp(int vk, int shift)
{
    if (vk == VkHome || vk == VkEnd || vk == VkShift || vk == VkControl || (vk >= VkF1 && vk <= VkF16))
        return false;
    // Ctrl+Alt is how AltGr characters arrive; any other combination with Ctrl or Alt is a command.
    if (shift != 0 && shift != ShiftMask && shift != (CtrlMask | AltMask))
        return false;
    if (vk == VkTab)
        return true;
    switch (vk) {
    case VkRight:
    case VkLeft:
    case VkUp:
    case VkDown:
    case VkPrior:
    case VkReturn:
    case VkInsert:
    case VkMenu:
        return false;
    default:
        return true;
    }
}

int LiveHighlighter::virtualKey(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        || qtKey == Qt::Key_Space)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F16)
        return VkF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return VkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VkReturn;
    case Qt::Key_Shift: return VkShift;
    case Qt::Key_Control: return VkControl;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return VkMenu;
    case Qt::Key_PageUp: return VkPrior;
    case Qt::Key_PageDown: return VkNext;
    case Qt::Key_End: return VkEnd;
    case Qt::Key_Home: return VkHome;
    case Qt::Key_Left: return VkLeft;
    case Qt::Key_Up: return VkUp;
    case Qt::Key_Right: return VkRight;
    case Qt::Key_Down: return VkDown;
    case Qt::Key_Insert: return VkInsert;
    case Qt::Key_Delete: return VkDelete;
    case Qt::Key_Escape: return 27;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default:
        // Shifted punctuation ("!" is 33 as a Qt key, like Page Up as a virtual key) and keys of other
        // layouts must not fall into the navigation numbers: they all type text.
        return 0xFF;
    }
}
