#include "ScintillaSurface.h"

#include "OleColor.h"

#include <QColor>

#include <algorithm>

namespace {

using Base = QsciScintillaBase;

constexpr int FoldMargin = 2;

// The widget keeps an int per line for folding, of which the level and its flags use the low 14
// bits; the reader's state rides above them (never in the sign bit, which the widget reads as no
// level), so the widget keeps no second array per line and is told of one change a line, not two.
// The bit above the state tells a line given a fold from one the widget made up (its default
// level, or a copy of its neighbour's when lines come in).
constexpr int StateShift = 14;
constexpr int LevelMask = (1 << StateShift) - 1;
constexpr int ReadBit = 1 << (StateShift + FoldLevel::StateBits);
static_assert(StateShift + FoldLevel::StateBits < 31);
static_assert((FoldLevel::NumberMask | FoldLevel::White | FoldLevel::Header) == LevelMask);

long packed(const LineFold &fold)
{
    return long((fold.level & LevelMask) | ((fold.state & ((1 << FoldLevel::StateBits) - 1)) << StateShift) | ReadBit);
}
constexpr int FoldMarginWidth = 14;

QColor mixed(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

} // namespace

long ScintillaSurface::Folds::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_view->SendScintilla(message, wParam, lParam);
}

void ScintillaSurface::Folds::setUp()
{
    send(Base::SCI_SETMARGINTYPEN, FoldMargin, Base::SC_MARGIN_SYMBOL);
    send(Base::SCI_SETMARGINMASKN, FoldMargin, long(Base::SC_MASK_FOLDERS));
    send(Base::SCI_SETMARGINSENSITIVEN, FoldMargin, 1);
    send(Base::SCI_SETMARGINWIDTHN, FoldMargin, 0);
    const std::pair<int, int> markers[] = {
        {Base::SC_MARKNUM_FOLDEROPEN, Base::SC_MARK_BOXMINUS},
        {Base::SC_MARKNUM_FOLDER, Base::SC_MARK_BOXPLUS},
        {Base::SC_MARKNUM_FOLDERSUB, Base::SC_MARK_VLINE},
        {Base::SC_MARKNUM_FOLDERTAIL, Base::SC_MARK_LCORNER},
        {Base::SC_MARKNUM_FOLDEREND, Base::SC_MARK_BOXPLUSCONNECTED},
        {Base::SC_MARKNUM_FOLDEROPENMID, Base::SC_MARK_BOXMINUSCONNECTED},
        {Base::SC_MARKNUM_FOLDERMIDTAIL, Base::SC_MARK_TCORNER},
    };
    for (const auto &[number, symbol] : markers)
        send(Base::SCI_MARKERDEFINE, static_cast<unsigned long>(number), symbol);
    // A click on a marker folds or unfolds its block; text typed or removed at a fold shows what it
    // changed.
    send(Base::SCI_SETAUTOMATICFOLD,
         Base::SC_AUTOMATICFOLD_CLICK | Base::SC_AUTOMATICFOLD_SHOW | Base::SC_AUTOMATICFOLD_CHANGE);
    send(Base::SCI_SETFOLDFLAGS, Base::SC_FOLDFLAG_LINEAFTER_CONTRACTED);
}

void ScintillaSurface::Folds::setColours(const QColor &text, const QColor &back)
{
    const long lines = long(OleColors::fromQColor(mixed(text, back, 0.55)));
    const long fill = long(OleColors::fromQColor(back));
    for (int number = int(Base::SC_MARKNUM_FOLDEREND); number <= int(Base::SC_MARKNUM_FOLDEROPEN); ++number) {
        send(Base::SCI_MARKERSETFORE, static_cast<unsigned long>(number), fill);
        send(Base::SCI_MARKERSETBACK, static_cast<unsigned long>(number), lines);
    }
    const long margin = long(OleColors::fromQColor(mixed(text, back, 0.06)));
    send(Base::SCI_SETFOLDMARGINCOLOUR, 1, margin);
    send(Base::SCI_SETFOLDMARGINHICOLOUR, 1, margin);
}

void ScintillaSurface::updateFoldColours()
{
    const QColor back = OleColors::toQColor(m_backColor);
    m_folds.setColours(OleColors::textColor(m_styles[0].color, m_backColor), back);
}

int ScintillaSurface::Folds::lineCount() const
{
    return int(send(Base::SCI_GETLINECOUNT));
}

QByteArrayView ScintillaSurface::Folds::lineBytes(int first, int last) const
{
    const long from = send(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(std::max(0, first)));
    const long to = last + 1 >= lineCount() ? send(Base::SCI_GETLENGTH)
                                            : send(Base::SCI_POSITIONFROMLINE, static_cast<unsigned long>(last + 1));
    if (from < 0 || to <= from)
        return {};
    // Only a range that holds the gap moves it, and then only to the range's start.
    const auto *bytes = reinterpret_cast<const char *>(
        send(Base::SCI_GETRANGEPOINTER, static_cast<unsigned long>(from), to - from));
    return QByteArrayView(bytes, qsizetype(to - from));
}

LineFold ScintillaSurface::Folds::lineFold(int line) const
{
    const int raw = int(send(Base::SCI_GETFOLDLEVEL, static_cast<unsigned long>(line)));
    if (!(raw & ReadBit))
        return {FoldLevel::Base, FoldLevel::Unread};
    return {raw & LevelMask, (raw & ~ReadBit) >> StateShift};
}

void ScintillaSurface::Folds::textCleared()
{
    // The widget then drops its levels altogether (and the empty text's styles): the lines that
    // come in neither copy an old level nor pay for a level each.
    send(Base::SCI_CLEARDOCUMENTSTYLE);
    m_hasFolds = false;
}

void ScintillaSurface::Folds::mousePressed(const QPoint &at, Qt::KeyboardModifiers modifiers)
{
    if (!m_beforeMarginClick || !m_marginVisible)
        return;
    int left = int(send(Base::SCI_GETMARGINLEFT));
    for (int margin = 0; margin < FoldMargin; ++margin)
        left += int(send(Base::SCI_GETMARGINWIDTHN, static_cast<unsigned long>(margin)));
    if (at.x() < left || at.x() >= left + int(send(Base::SCI_GETMARGINWIDTHN, FoldMargin)))
        return;
    const long height = std::max(1L, send(Base::SCI_TEXTHEIGHT, 0));
    const long display = send(Base::SCI_GETFIRSTVISIBLELINE) + at.y() / height;
    const int line = int(send(Base::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(std::max(0L, display))));
    // With Shift and Ctrl together the widget folds or unfolds every block.
    m_beforeMarginClick(line, (modifiers & Qt::ShiftModifier) && (modifiers & Qt::ControlModifier));
}

void ScintillaSurface::Folds::setLineFolds(int firstLine, const std::vector<LineFold> &folds)
{
    if (folds.empty())
        return;
    m_hasFolds = true;
    unsigned long line = static_cast<unsigned long>(std::max(0, firstLine));
    // The widget asks for its whole margin to be drawn again at each changed level: millions of
    // requests for one repaint when a large document's levels are first set. They are held back
    // while the levels go in (without the full repaint that turning updates back on asks for),
    // and the margin is asked for once. With no line folded away a level changes nothing else
    // on the screen.
    QWidget *viewport = m_view->viewport();
    const bool held = !viewport->testAttribute(Qt::WA_UpdatesDisabled) && send(Base::SCI_GETALLLINESVISIBLE) != 0;
    // Lines away from the screen (a long document's levels are given a stretch at a time) need no
    // repaint at all: only the line above the first shown one reaches into the drawing.
    bool away = false;
    if (held) {
        const auto [top, bottom] = shownLines(m_view);
        away = long(line) > bottom + 1 || long(line + folds.size()) < top - 1;
    }
    if (held)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    bool changed = false;
    for (const LineFold &fold : folds) {
        const long level = packed(fold);
        // The widget answers with the line's level before.
        changed = send(Base::SCI_SETFOLDLEVEL, line, level) != level || changed;
        ++line;
    }
    if (held)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
    if (held && changed && !away) {
        int margins = int(send(Base::SCI_GETMARGINLEFT));
        for (int margin = 0, count = int(send(Base::SCI_GETMARGINS)); margin < count; ++margin)
            margins += int(send(Base::SCI_GETMARGINWIDTHN, static_cast<unsigned long>(margin)));
        viewport->update(0, 0, margins, viewport->height());
    }
}

QMetaObject::Connection ScintillaSurface::Folds::onLinesChanged(std::function<void(int firstLine, int lastLine)> handler)
{
    return QObject::connect(m_view, &ScintillaView::linesChanged, m_view, std::move(handler));
}

void ScintillaSurface::Folds::setMarginVisible(bool on)
{
    m_marginVisible = on;
    send(Base::SCI_SETMARGINWIDTHN, FoldMargin, on ? FoldMarginWidth : 0);
}

bool ScintillaSurface::Folds::setExpanded(int headerLine, bool expanded)
{
    if (headerLine < 0 || headerLine >= lineCount()
        || !(send(Base::SCI_GETFOLDLEVEL, static_cast<unsigned long>(headerLine)) & Base::SC_FOLDLEVELHEADERFLAG))
        return false;
    send(Base::SCI_FOLDLINE, static_cast<unsigned long>(headerLine),
         expanded ? Base::SC_FOLDACTION_EXPAND : Base::SC_FOLDACTION_CONTRACT);
    return true;
}

bool ScintillaSurface::Folds::isExpanded(int headerLine) const
{
    return send(Base::SCI_GETFOLDEXPANDED, static_cast<unsigned long>(headerLine)) != 0;
}

int ScintillaSurface::Folds::parentHeader(int line) const
{
    return int(send(Base::SCI_GETFOLDPARENT, static_cast<unsigned long>(line)));
}

void ScintillaSurface::Folds::foldAll(bool fold)
{
    send(Base::SCI_FOLDALL, fold ? Base::SC_FOLDACTION_CONTRACT : Base::SC_FOLDACTION_EXPAND);
}

bool ScintillaSurface::Folds::isLineShown(int line) const
{
    return send(Base::SCI_GETLINEVISIBLE, static_cast<unsigned long>(line)) != 0;
}

void ScintillaSurface::Folds::showLine(int line)
{
    if (!isLineShown(line))
        send(Base::SCI_ENSUREVISIBLE, static_cast<unsigned long>(line));
}

void ScintillaSurface::revealCaret()
{
    if (send(Base::SCI_GETALLLINESVISIBLE))
        return;
    const long caret = send(Base::SCI_GETCURRENTPOS);
    const long anchor = send(Base::SCI_GETANCHOR);
    for (long pos : {anchor, caret})
        m_folds.showLine(int(send(Base::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos))));
}

int ScintillaSurface::nextShownLine(int line) const
{
    const long count = send(Base::SCI_GETLINECOUNT);
    if (send(Base::SCI_GETALLLINESVISIBLE))
        return std::min<int>(line + 1, int(count));
    const long display = send(Base::SCI_VISIBLEFROMDOCLINE, static_cast<unsigned long>(line));
    const long rows = std::max(1L, send(Base::SCI_WRAPCOUNT, static_cast<unsigned long>(line)));
    const long next = send(Base::SCI_DOCLINEFROMVISIBLE, static_cast<unsigned long>(display + rows));
    // Past the last shown line the widget answers with the last line again.
    return next <= line ? int(count) : int(next);
}
