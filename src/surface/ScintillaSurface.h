#pragma once

#include "EditorSurface.h"
#include "ScintillaView.h"

#include <QHash>

#include <array>
#include <vector>

// The editor surface over QScintilla. The widget holds UTF-8; every offset the program sees is a
// UTF-16 code unit. Pure-ASCII documents skip the UTF-16 line index: offsets equal byte positions.
class ScintillaSurface : public EditorSurface {
public:
    explicit ScintillaSurface(QWidget *parent = nullptr);
    ~ScintillaSurface() override;

    ScintillaView *view() const { return m_view; }

    QString text() const override;
    void setText(const QString &text) override;
    int textLength() const override;
    qint64 utf8Size(int start, int length) const override;
    void setTextUtf8(const QByteArray &utf8, bool isAscii) override;
    void beginBulkLoad(bool isAscii, qsizetype sizeHint) override;
    void appendUtf8(const char *data, qsizetype length) override;
    void endBulkLoad() override;
    void keepLoadedCopy(const QByteArray &copy, const TextFingerprint &fingerprint, UnitIndex units = {}) override;
    QByteArray textUtf8() const override;
    QByteArray textSnapshot() const override;
    std::shared_future<QByteArray> textSnapshotAsync() const override;
    std::shared_ptr<TextLoan> lendText() const override;
    std::shared_ptr<TextLoan> lendTextInPieces() const override;
    TextFingerprint fingerprint() const override;
    QString textRange(int start, int length) const override;

    int selStart() const override;
    void setSelStart(int start) override;
    int selLength() const override;
    void setSelLength(int length) override;
    QString selText() const override;
    void setSelText(const QString &text) override;

    OleColor selColor() const override { return selFormat().color; }
    void setSelColor(OleColor color) override;
    bool selBold() const override { return selFormat().bold; }
    void setSelBold(bool bold) override;
    bool selItalic() const override { return selFormat().italic; }
    void setSelItalic(bool italic) override;
    QString selFontName() const override { return selFormat().fontName; }
    void setSelFontName(const QString &name) override;
    double selFontSize() const override { return selFormat().fontSize; }
    void setSelFontSize(double size) override;

    void applyFormatRuns(int start, const std::vector<FormatRun> &runs) override;
    void applyStyleBuffer(int start, const std::vector<quint8> &styles, const std::vector<CharFormat> &palette) override;
    std::vector<FormatRun> formatRuns(int start, int length) const override;
    CharFormat formatAt(int offset) const override;

    QString textRTF() const override;
    void setTextRTF(const QString &rtf) override;
    QString selRTF() const override;
    void setSelRTF(const QString &rtf) override;

    int getLineFromChar(int offset) const override;
    int lineCount() const override;
    int lineIndex(int line) const override;
    int firstVisibleLine() const override;
    void setFirstVisibleLine(int line) override;
    void scroll(ScrollKind kind) override;
    bool setTabStops(int dialogUnits) override;
    void setWordWrap(bool on) override;
    bool wordWrap() const override;
    int selectionCount() const override;
    void replaceEachSelection(const QString &text) override;
    QStringList selectionTexts() const override;
    void editEachSelection(const SelectionEditor &edit) override;
    QMimeData *rectangleData(const QString &rows) const override;
    bool pasteRectangle() override;
    void setBlanksVisible(bool on) override;
    bool blanksVisible() const override;
    void setLfLineEnds(bool lf) override;
    bool lfLineEnds() const override { return m_lfLineEnds; }
    void setEdgeColumn(int column) override;
    int edgeColumn() const override;
    int visibleLineCount() const override;
    int lastVisibleLine() const override;

    std::optional<QString> saveFile(const QString &path, int format) const override;

    CharFormat defaultFormat() const override { return m_styles[0]; }
    void setDefaultFormat(const CharFormat &format) override;
    OleColor backColor() const override { return m_backColor; }
    void setBackColor(OleColor color) override;

    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    void setTabStop(bool on) override;
    void setFocus() override;
    void setGeometry(int left, int top, int width, int height) override;

    QPoint caretPos() const override;
    int lineHeight() const override;
    int zoom() const override;
    void setZoom(int points) override;
    void setOverwriteCaret(bool block) override;
    void hideCaret() override;
    void showCaret() override;

    StyleCells *styleCells() override { return &m_cells; }
    FoldSurface *folding() override { return &m_folds; }
    QWidget *textArea() const override;
    std::optional<QRect> characterRect(int offset) const override;

    // Pixel top of a document line inside the text area (negative above the view).
    int lineTop(int line) const;
    // The first line after this one that no fold hides; lineCount() when there is none.
    int nextShownLine(int line) const;

    // True while the document may hold non-ASCII text and offsets go through the UTF-16 index.
    bool usesUtf16Index() const { return m_utf16Index; }

private:
    friend class ScintillaView;

    class Cells : public StyleCells {
    public:
        explicit Cells(ScintillaView *view) : m_view(view) {}
        QByteArrayView utf8() const override;
        QByteArray utf8Range(qsizetype from, qsizetype length) const override;
        QByteArray styleIds(int start, int length) const override;
        void setStyleIds(const QByteArray &ids) override;
        void setStyleIdsAt(qsizetype start, QByteArrayView ids) override;
        void replaceBytes(qsizetype from, qsizetype length, QByteArrayView bytes) override;
        QMetaObject::Connection
        onModified(std::function<void(int position, StyleChanges kind, int length)> handler) override;

    private:
        ScintillaView *m_view;
    };

    class Folds : public FoldSurface {
    public:
        explicit Folds(ScintillaView *view) : m_view(view) {}
        void setUp();
        // Markers drawn in the text's own colours, so they suit a light or a dark background.
        void setColours(const QColor &text, const QColor &back);
        int lineCount() const override;
        QByteArrayView lineBytes(int first, int last) const override;
        LineFold lineFold(int line) const override;
        void setLineFolds(int firstLine, const std::vector<LineFold> &folds) override;
        bool hasFolds() const override { return m_hasFolds; }
        QMetaObject::Connection onLinesChanged(std::function<void(int firstLine, int lastLine)> handler) override;
        void beforeMarginClick(std::function<void(int line, bool everyBlock)> handler) override
        {
            m_beforeMarginClick = std::move(handler);
        }
        // The text was cleared to be set again: no line keeps a level.
        void textCleared();
        // A mouse button went down on the view: a click on the fold margin is announced.
        void mousePressed(const QPoint &at, Qt::KeyboardModifiers modifiers);
        void setMarginVisible(bool on) override;
        bool marginVisible() const override { return m_marginVisible; }
        bool setExpanded(int headerLine, bool expanded) override;
        bool isExpanded(int headerLine) const override;
        int parentHeader(int line) const override;
        void foldAll(bool fold) override;
        bool isLineShown(int line) const override;
        void showLine(int line) override;

    private:
        long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
        ScintillaView *m_view;
        bool m_marginVisible = false;
        bool m_hasFolds = false;
        std::function<void(int line, bool everyBlock)> m_beforeMarginClick;
    };

    // The document lines of the first and the last row the view shows (past folded lines).
    static std::pair<int, int> shownLines(QsciScintillaBase *view);
    // A selection placed by the program inside a folded block unfolds it.
    void revealCaret();
    void updateFoldColours();
    // A plain caret or selection again: several carets and a rectangle end.
    void toOneSelection();
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    // The character holding a UTF-16 offset: its first byte and its own offset, which is one less
    // than asked for on the second unit of a surrogate pair.
    struct CharSpot {
        int byte = 0;
        int offset = 0;
    };
    CharSpot spotOf(int offset) const;
    int toByte(int offset) const;
    int toOffset(int bytePos) const;
    // Characters between two byte positions, as the widget's own count gives them, answered from
    // the unit index instead of walking the text from the start.
    long countCharacters(long fromByte, long toByte) const;
    int byteLength() const;
    void ensureUtf16Index();
    // The start of the character a byte position lies in.
    long characterStart(long bytePos) const;
    void invalidateCaches();
    // Called before anything changes the widget's text: a copy still reading it is let finish.
    void settleCopies() const;
    std::shared_ptr<TextLoan> keptLoan(std::shared_ptr<TextLoan> loan) const;
    int styleFor(const CharFormat &format);
    void applyStyle(int style, const CharFormat &format);
    void styleBytes(int byteStart, int byteLength, int style);
    // Styles count code units from start with table[units[k]]; each character takes the style of its first unit.
    void styleUnits(int start, const quint8 *units, int count, const std::array<char, 256> &table);
    CharFormat selFormat() const;
    template <typename Change> void changeSelFormat(Change change);
    void insertAtSelection(const QString &text);

    // Widget callbacks
    void onModified(int position, int type, const char *text, int length);
    void onUpdateUi(int updated);
    void typedRange(int byteStart, int byteEnd);
    void resetTypingFormat();

    ScintillaView *m_view;
    Cells m_cells;
    Folds m_folds;
    std::array<CharFormat, 256> m_styles;
    std::array<bool, 256> m_styleUsed{};
    QHash<CharFormat, int> m_styleOf;
    CharFormat m_typing;
    OleColor m_backColor = 0x80000005;
    // Held only once the text holds a character outside ASCII: until then offsets are byte positions.
    bool m_utf16Index = false;
    UnitIndex m_units;
    UnitIndex::Reader m_read;
    bool m_visible = true;
    // A new document is saved with LF line ends.
    bool m_lfLineEnds = true;
    int m_caretStyle = 1;
    mutable QString m_textCache;
    mutable std::shared_future<QByteArray> m_snapshot;
    // Texts lent to readers on other threads: each ends before the text changes.
    mutable std::vector<std::weak_ptr<TextLoan>> m_loans;
    mutable bool m_textCacheValid = false;
    bool m_bulkAscii = true;
    // The whole text is about to be replaced: listeners were told so already.
    bool m_replacingAll = false;
    QByteArray m_loadedCopy;
    UnitIndex m_loadedUnits;
    TextFingerprint m_loadedFingerprint;
    mutable std::optional<TextFingerprint> m_fingerprint;
};
