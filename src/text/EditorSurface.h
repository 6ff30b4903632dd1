#pragma once

#include "OleColor.h"
#include "UnitIndex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFlags>
#include <QFont>
#include <QHashFunctions>
#include <QMetaObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <atomic>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

class QMimeData;
class QWidget;


struct CharFormat {
    OleColor color = 0;
    bool bold = false;
    bool italic = false;
    QString fontName = QStringLiteral("Courier New");
    double fontSize = 8;

    bool operator==(const CharFormat &) const = default;
};

inline size_t qHash(const CharFormat &format, size_t seed = 0)
{
    return qHashMulti(seed, format.color, format.bold, format.italic, format.fontName, format.fontSize);
}

// Size and two independent hashes of a text's UTF-8 bytes: equal texts give equal prints, and an
// accidental collision of different texts is out of reach.
struct TextFingerprint {
    qsizetype size = 0;
    std::size_t first = 0;
    std::size_t second = 0;

    static TextFingerprint of(const char *data, qsizetype size);
    bool operator==(const TextFingerprint &) const = default;

    // The same print from the text given in pieces of any size (a load hashes as it converts).
    class Builder {
    public:
        void add(const char *data, qsizetype size);
        TextFingerprint finish();

    private:
        void mix(const char *data, qsizetype size);
        QByteArray m_partial;
        qsizetype m_size = 0;
        std::size_t m_first = 0x9e3779b9u;
        std::size_t m_second = 0x85ebca6bu;
    };
};

// The document's text lent to a reader on another thread instead of copied: the editing widget's
// own buffer, valid until the text next changes. A change first ends the loan under its lock, so a
// reader that holds the lock reads a text that stays put, and one that comes later is told no.
class TextLoan {
public:
    TextLoan(const char *data, qsizetype size) : m_data(data), m_size(size) {}
    // The text in two stretches, the second following the first (the widget's buffer on both
    // sides of its gap): only read a piece at a time, with append().
    TextLoan(const char *first, qsizetype firstSize, const char *second, qsizetype secondSize)
        : m_data(first), m_size(firstSize), m_second(second), m_secondSize(secondSize)
    {
    }
    // A loan of a copy it holds itself (surfaces without a buffer of their own to lend).
    explicit TextLoan(QByteArray copy) : m_copy(std::move(copy)), m_data(m_copy.constData()), m_size(m_copy.size()) {}

    // Runs read(text) under the lock while the loan stands; false once it has ended. The whole
    // text at once: not for a loan in two stretches.
    template <typename Read> bool read(Read &&read) const
    {
        const std::lock_guard lock(m_mutex);
        if (!m_data || m_second)
            return false;
        read(QByteArray::fromRawData(m_data, m_size));
        return true;
    }
    // Appends the bytes [at, at + count) of the text (fewer at its end) to out while the loan
    // stands; false once it has ended.
    bool append(qsizetype at, qsizetype count, QByteArray &out) const
    {
        const std::lock_guard lock(m_mutex);
        if (!m_data)
            return false;
        const auto take = [&](const char *from, qsizetype size) {
            if (at < size && count > 0) {
                const qsizetype n = std::min(count, size - at);
                out.append(from + at, n);
                count -= n;
                at += n;
            }
            at -= size;
        };
        take(m_data, m_size);
        if (m_second && at >= 0)
            take(m_second, m_secondSize);
        return true;
    }
    // The length of the text lent.
    qsizetype size() const { return m_size + m_secondSize; }
    bool ended() const
    {
        const std::lock_guard lock(m_mutex);
        return !m_data;
    }
    // True once a change waits to end the loan: a reader with long work inside read() stops early.
    bool ending() const { return m_ending.load(std::memory_order_relaxed); }
    // Waits for a reader inside read().
    void end()
    {
        m_ending.store(true, std::memory_order_relaxed);
        const std::lock_guard lock(m_mutex);
        m_data = nullptr;
        m_copy = QByteArray();
    }

private:
    std::atomic<bool> m_ending{false};
    mutable std::mutex m_mutex;
    QByteArray m_copy;
    const char *m_data;
    qsizetype m_size;
    const char *m_second = nullptr;
    qsizetype m_secondSize = 0;
};

// A stretch of characters sharing one format.
struct FormatRun {
    int length = 0;
    CharFormat format;

    bool operator==(const FormatRun &) const = default;
};

// The window messages the logic sends to the surface.
enum SurfaceMessage : int {
    EM_SCROLL = 181,
    EM_GETLINECOUNT = 186,
    EM_LINEINDEX = 187,
    EM_SETTABSTOPS = 203,
    EM_GETFIRSTVISIBLELINE = 206,
    EM_SETTARGETDEVICE = 1096,
};

enum class ScrollKind { LineUp = 0, LineDown = 1, PageUp = 2, PageDown = 3 };

// Shift state of key and mouse events: 1 Shift, 2 Ctrl, 4 Alt.
enum ShiftState : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

class EditorSurface;

// The Before kinds come just before an insertion or removal, while the bytes are still there;
// a whole text replaced at once comes as one BeforeRemove of all of it.
enum class StyleChange { Insert = 1, Remove = 2, Style = 4, BeforeInsert = 8, BeforeRemove = 16 };
Q_DECLARE_FLAGS(StyleChanges, StyleChange)
Q_DECLARE_OPERATORS_FOR_FLAGS(StyleChanges)

// A surface that keeps the text as UTF-8 with one style number per byte, whose numbers never change
// meaning: the undo history stores and restores them as they are, without translating to formats.
// Positions and lengths here are byte positions of the UTF-8 text.
class StyleCells {
public:
    virtual ~StyleCells() = default;
    // The whole text, lent by the surface: valid until the text changes.
    virtual QByteArrayView utf8() const = 0;
    // A copy of some of it, read where it lies (the widget's gap is not moved for it).
    virtual QByteArray utf8Range(qsizetype from, qsizetype length) const
    {
        return utf8().sliced(from, length).toByteArray();
    }
    virtual QByteArray styleIds(int start, int length) const = 0;
    // The style numbers of the whole text from its first byte.
    virtual void setStyleIds(const QByteArray &ids) = 0;
    // The style numbers of bytes from start on.
    virtual void setStyleIdsAt(qsizetype start, QByteArrayView ids) = 0;
    // Puts bytes in place of length bytes at from, as an edit does: what lies around the change
    // (folds, markers, the view) stays as it was.
    virtual void replaceBytes(qsizetype from, qsizetype length, QByteArrayView bytes) = 0;
    // Reports every insertion, removal and restyling of bytes as it happens.
    virtual QMetaObject::Connection
    onModified(std::function<void(int position, StyleChanges kind, int length)> handler) = 0;
};

// A line's place in the folding: the level number with its flags, and the reader's state at the
// line's end, which the surface keeps beside the line as lines come and go.
namespace FoldLevel {
inline constexpr int Base = 0x400;
inline constexpr int NumberMask = 0xFFF;
inline constexpr int White = 0x1000;   // a blank line, which belongs to the block around it
inline constexpr int Header = 0x2000;  // the line opens a block that can be folded
// A reader's state at a line's end fits in this many bits, so a surface can keep it in the bits of
// the level that its flags leave free.
inline constexpr int StateBits = 16;
// The state of a line the surface holds no fold for: never read since the text was set.
inline constexpr int Unread = -1;
} // namespace FoldLevel

struct LineFold {
    int level = FoldLevel::Base;
    int state = 0;
    bool read() const { return state != FoldLevel::Unread; }
    bool operator==(const LineFold &) const = default;
};

// Code folding of a surface that can hide lines. Folding only hides lines: the text, its lines and
// their numbers stay as they are.
class FoldSurface {
public:
    virtual ~FoldSurface() = default;
    virtual int lineCount() const = 0;
    // The UTF-8 bytes of lines first to last with their breaks, lent until the text changes.
    virtual QByteArrayView lineBytes(int first, int last) const = 0;
    // A line given no fold since the text was set reads as unread.
    virtual LineFold lineFold(int line) const = 0;
    virtual void setLineFolds(int firstLine, const std::vector<LineFold> &folds) = 0;
    // False while no line has been given a fold since the text was set.
    virtual bool hasFolds() const = 0;
    // Reports the lines an insertion or removal touched (the lines after a removal are renumbered).
    virtual QMetaObject::Connection onLinesChanged(std::function<void(int firstLine, int lastLine)> handler) = 0;
    // Called before a click on the fold margin folds or unfolds the block of a line, or (everyBlock)
    // every block: the levels it needs must be in place by then.
    virtual void beforeMarginClick(std::function<void(int line, bool everyBlock)> handler) = 0;

    virtual void setMarginVisible(bool on) = 0;
    virtual bool marginVisible() const = 0;
    // Folds or unfolds the block a header line opens; false when the line opens none.
    virtual bool setExpanded(int headerLine, bool expanded) = 0;
    virtual bool isExpanded(int headerLine) const = 0;
    // The header of the block that holds the line, or -1.
    virtual int parentHeader(int line) const = 0;
    virtual void foldAll(bool fold) = 0;
    virtual bool isLineShown(int line) const = 0;
    // Unfolds whatever hides the line.
    virtual void showLine(int line) = 0;
};

// Receives the keys typed into the surface before the widget sees them. Key codes are Qt key
// codes; shift is the mask 1 Shift, 2 Ctrl, 4 Alt.
class SurfaceKeys {
public:
    virtual ~SurfaceKeys() = default;
    // True when the key was handled and the widget must not see it.
    virtual bool keyDown(int key, int shift) = 0;
    // The character the widget is to type; 0 when it was handled.
    virtual int keyPress(int character) = 0;
    virtual void keyUp(int key, int shift) = 0;
};

// Receives the surface's other events.
class SurfaceEvents {
public:
    virtual ~SurfaceEvents() = default;
    virtual void surfaceGotFocus() {}
    virtual void surfaceMouseDown(int button, int shift, int x, int y) { (void)button; (void)shift; (void)x; (void)y; }
    virtual void surfaceMouseUp(int button, int shift, int x, int y) { (void)button; (void)shift; (void)x; (void)y; }
    virtual void surfaceChange() {}
    virtual void surfaceSelectionChanged() {}
    virtual void surfaceScrolled() {}
    virtual void surfaceDragOver(const QStringList &files, int shift) { (void)files; (void)shift; }
    virtual void surfaceDragDrop(const QStringList &files, int shift) { (void)files; (void)shift; }
    // A drag of files left without a drop.
    virtual void surfaceDragLeave() {}
    // Text (not files) was dragged and dropped inside the document.
    virtual void surfaceTextDropped() {}
    // The widget's own menu is never shown: the program shows its Edit menu here instead.
    virtual void surfaceContextMenu(const QPoint &globalPos) { (void)globalPos; }
    // The widget is about to paste on its own (the middle mouse button pastes the primary selection).
    virtual void surfaceAboutToPaste() {}
};

// What the logic requires of the editing control. Offsets are UTF-16 code units of Text with a
// CR LF line break counting two. Every operation is pure virtual so that a missing one fails to compile.
class EditorSurface {
public:
    virtual ~EditorSurface() = default;

    // Text
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual int textLength() const = 0;
    // Bytes a range takes in UTF-8: the saved size of a document, and all-ASCII when it equals the length.
    virtual qint64 utf8Size(int start, int length) const = 0;
    // Loads the document from UTF-8 bytes in one step (the fast path of loading); isAscii promises
    // that every byte is below 0x80 so offsets equal byte positions.
    virtual void setTextUtf8(const QByteArray &utf8, bool isAscii) = 0;
    // Loading in pieces: begin, append UTF-8 pieces, end. No second copy of a large file is needed.
    virtual void beginBulkLoad(bool isAscii, qsizetype sizeHint) = 0;
    virtual void appendUtf8(const char *data, qsizetype length) = 0;
    virtual void endBulkLoad() = 0;
    // Between begin and end: a copy of everything appended, made on the way, its fingerprint and
    // where it stands in UTF-16 units, which the surface gives out instead of reading the text again.
    virtual void keepLoadedCopy(const QByteArray &copy, const TextFingerprint &fingerprint, UnitIndex units = {})
    {
        Q_UNUSED(copy);
        Q_UNUSED(fingerprint);
        Q_UNUSED(units);
    }
    // The document as UTF-8 bytes, without building a QString. The widget lends its own buffer:
    // valid until the document changes, so callers copy what they keep.
    virtual QByteArray textUtf8() const = 0;
    // A copy of the document as UTF-8 bytes that the caller may keep. Copies taken while the text
    // does not change share one buffer, so the undo history and a render of a freshly loaded
    // document hold the text once between them.
    virtual QByteArray textSnapshot() const = 0;
    // The same copy, which may still be in the making on another thread: get() waits for it. The
    // surface sees to it that the text does not change before the copy is complete.
    virtual std::shared_future<QByteArray> textSnapshotAsync() const;
    // A copy given out as one already made.
    static std::shared_future<QByteArray> madeCopy(QByteArray copy);
    // The text lent as it is now, for a reader that can stop when it changes (the background
    // colouring): no copy of a large document is made.
    virtual std::shared_ptr<TextLoan> lendText() const;
    // The same for a reader that takes the text a piece at a time (the recovery copy): the widget
    // lends its buffer as it lies, so the next key near the last change moves nothing.
    virtual std::shared_ptr<TextLoan> lendTextInPieces() const { return lendText(); }
    // Identifies the text cheaply, for telling whether it still equals a saved copy.
    virtual TextFingerprint fingerprint() const = 0;
    virtual QString textRange(int start, int length) const = 0;

    // Selection
    virtual int selStart() const = 0;
    virtual void setSelStart(int start) = 0;
    virtual int selLength() const = 0;
    virtual void setSelLength(int length) = 0;
    virtual QString selText() const = 0;
    virtual void setSelText(const QString &text) = 0;
    // Several carets or a rectangle: the number of selections (1 for a plain caret or selection).
    virtual int selectionCount() const = 0;
    // Puts the text in place of every selection, each caret after its copy.
    virtual void replaceEachSelection(const QString &text) = 0;
    // The text of every selection in the document's order: a rectangle's rows from top to bottom.
    virtual QStringList selectionTexts() const = 0;
    // What a typing aid puts at one selection: text in its place and the selection afterwards,
    // counted from where the selection started; unchanged keeps the text and only places the selection.
    struct SelectionEdit {
        QString text;
        int selFrom = 0;
        int selLength = 0;
        bool unchanged = false;
    };
    using SelectionEditor = std::function<SelectionEdit(int start, int length)>;
    // Asks the editor for every selection from the last to the first, so that the text before each
    // one is still as it was, and puts each answer in; every caret stays.
    virtual void editEachSelection(const SelectionEditor &edit) = 0;
    // Rows copied from a rectangle in the widget's own clipboard form too, so that a paste puts
    // them back as a rectangle; nullptr unless the selection is a rectangle the widget can mark.
    virtual QMimeData *rectangleData(const QString &rows) const = 0;
    // Pastes a rectangle from the clipboard row under row from the caret; false when it holds none.
    virtual bool pasteRectangle() = 0;

    // Character formatting of the selection (of the next typed text when the selection is empty)
    virtual OleColor selColor() const = 0;
    virtual void setSelColor(OleColor color) = 0;
    virtual bool selBold() const = 0;
    virtual void setSelBold(bool bold) = 0;
    virtual bool selItalic() const = 0;
    virtual void setSelItalic(bool italic) = 0;
    virtual QString selFontName() const = 0;
    virtual void setSelFontName(const QString &name) = 0;
    virtual double selFontSize() const = 0;
    virtual void setSelFontSize(double size) = 0;

    // Formats in bulk: the highlighter computes a range's formats and hands them over in one call.
    virtual void applyFormatRuns(int start, const std::vector<FormatRun> &runs) = 0;
    // The compact form of the same: one palette index per UTF-16 code unit from start. Both units of
    // a surrogate pair take the first unit's format (a buffer starting on the second unit leaves the
    // pair alone); an index outside the palette means the default format; units past the end of the
    // text are ignored.
    virtual void applyStyleBuffer(int start, const std::vector<quint8> &styles,
                                  const std::vector<CharFormat> &palette) = 0;
    virtual std::vector<FormatRun> formatRuns(int start, int length) const = 0;
    virtual CharFormat formatAt(int offset) const = 0;

    // Rich-text form
    virtual QString textRTF() const = 0;
    virtual void setTextRTF(const QString &rtf) = 0;
    virtual QString selRTF() const = 0;
    virtual void setSelRTF(const QString &rtf) = 0;

    // Lines and view
    virtual int getLineFromChar(int offset) const = 0;
    virtual int lineCount() const = 0;
    virtual int lineIndex(int line) const = 0;
    virtual int firstVisibleLine() const = 0;
    virtual void setFirstVisibleLine(int line) = 0;
    virtual void scroll(ScrollKind kind) = 0;
    // One tab stop of tabWidth average characters; false when tabWidth * 4 dialog units overflow 16 bits.
    virtual bool setTabStops(int dialogUnits) = 0;
    virtual void setWordWrap(bool on) = 0;
    virtual bool wordWrap() const = 0;
    // Spaces, tabs and line ends drawn as marks (CR, LF and CR LF told apart).
    virtual void setBlanksVisible(bool on) = 0;
    virtual bool blanksVisible() const = 0;
    // The document is saved with LF line ends: the marks of its CR LF breaks read LF.
    virtual void setLfLineEnds(bool lf) = 0;
    virtual bool lfLineEnds() const = 0;
    // A line down the view at this column marks long lines; 0 draws none.
    virtual void setEdgeColumn(int column) = 0;
    virtual int edgeColumn() const = 0;
    // Lines visible in the window (for the gutter).
    virtual int visibleLineCount() const = 0;
    // The last line of the document the window shows (past folded lines).
    virtual int lastVisibleLine() const { return firstVisibleLine() + visibleLineCount(); }
    // The lines from a screen above the view to a screen below it (the last may lie past the end).
    std::pair<int, int> linesAroundView() const
    {
        const int first = firstVisibleLine();
        const int last = lastVisibleLine();
        const int screen = std::max(1, last - first);
        return {std::max(0, first - screen), last + screen};
    }

    // Writes the rich-text form (format 0) or the plain text as single-byte characters (format 1).
    // Returns the error text when the write failed.
    virtual std::optional<QString> saveFile(const QString &path, int format) const = 0;

    // Default font and colours of the surface (the format of unformatted text)
    virtual CharFormat defaultFormat() const = 0;
    virtual void setDefaultFormat(const CharFormat &format) = 0;
    virtual OleColor backColor() const = 0;
    virtual void setBackColor(OleColor color) = 0;

    // Window
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual void setTabStop(bool on) = 0;
    virtual void setFocus() = 0;
    virtual void setGeometry(int left, int top, int width, int height) = 0;

    // Caret
    virtual QPoint caretPos() const = 0;
    virtual int lineHeight() const = 0;
    // Points added to every size of the text by zooming (negative: smaller; 0: the settings' size).
    virtual int zoom() const = 0;
    virtual void setZoom(int points) = 0;
    virtual void setOverwriteCaret(bool block) = 0;
    virtual void hideCaret() = 0;
    virtual void showCaret() = 0;

    // The surface's style numbers per byte, or nullptr when it has none of its own.
    virtual StyleCells *styleCells() = 0;
    // Code folding, or nullptr for a surface that cannot hide lines.
    virtual FoldSurface *folding() = 0;
    // The widget that shows the text, or nullptr for a surface without one.
    virtual QWidget *textArea() const = 0;
    // The cell of the character at offset inside textArea(); nothing when it is scrolled out of view.
    virtual std::optional<QRect> characterRect(int offset) const = 0;

    // A text document takes every LF that setText, setSelText or the rich-text setters put in as
    // CR LF, its own line break (a lone CR stays, as loading keeps it); a binary document keeps what
    // it is given. Loading and the restoring of undo snapshots put the text back as it was.
    void setBinaryDocument(bool binary) { m_binaryDocument = binary; }
    bool isBinaryDocument() const { return m_binaryDocument; }

    // A line (zero-based, kept inside the document) without its line break, and where it starts.
    struct LineText {
        int start = 0;
        QString text;
    };
    LineText lineWithoutBreak(int line) const;

    void setEventSink(SurfaceEvents *sink) { m_events = sink; }
    SurfaceEvents *eventSink() const { return m_events; }
    void setKeyHandler(SurfaceKeys *keys) { m_keys = keys; }
    SurfaceKeys *keyHandler() const { return m_keys; }
    // Heard before the styles of a range are read as formats: a colouring that works only where
    // the text is shown colours that range first.
    void setStylesNeeded(std::function<void(int start, int length)> handler) { m_stylesNeeded = std::move(handler); }

    // The message protocol of the edit control, mapped onto the operations above.
    long long sendMessage(int message, long long wParam, long long lParam);

protected:
    // Shared by the implementations: the rich-text form of a range, reading one in, writing files.
    QString rtfOfRange(int start, int length) const;
    void replaceWithRtf(const QString &rtf, bool wholeDocument);
    std::optional<QString> writeFile(const QString &path, int format) const;
    // Text as setText and setSelText put it in: with CR LF breaks in a text document.
    QString insertable(const QString &text) const;
    void needStyles(int start, int length) const
    {
        if (m_stylesNeeded)
            m_stylesNeeded(start, length);
    }

    SurfaceEvents *m_events = nullptr;
    std::function<void(int start, int length)> m_stylesNeeded;
    SurfaceKeys *m_keys = nullptr;
    bool m_binaryDocument = false;
};
