#pragma once

#include "EditorSurface.h"

#include <vector>

// The reference model of the editor surface: a string with one format index per character.
class MemorySurface : public EditorSurface {
public:
    MemorySurface();

    QString text() const override { return m_text; }
    void setText(const QString &text) override;
    int textLength() const override { return int(m_text.size()); }
    qint64 utf8Size(int start, int length) const override;
    void setTextUtf8(const QByteArray &utf8, bool isAscii) override;
    void beginBulkLoad(bool isAscii, qsizetype sizeHint) override;
    void appendUtf8(const char *data, qsizetype length) override;
    void endBulkLoad() override;
    QByteArray textUtf8() const override { return m_text.toUtf8(); }
    QByteArray textSnapshot() const override { return m_text.toUtf8(); }
    TextFingerprint fingerprint() const override;
    QString textRange(int start, int length) const override;

    int selStart() const override { return m_selStart; }
    void setSelStart(int start) override;
    int selLength() const override { return m_selLength; }
    void setSelLength(int length) override;
    QString selText() const override { return m_text.mid(m_selStart, m_selLength); }
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
    int firstVisibleLine() const override { return m_firstVisibleLine; }
    void setFirstVisibleLine(int line) override;
    void scroll(ScrollKind kind) override;
    bool setTabStops(int dialogUnits) override;
    void setWordWrap(bool on) override { m_wordWrap = on; }
    bool wordWrap() const override { return m_wordWrap; }
    int selectionCount() const override { return 1; }
    void replaceEachSelection(const QString &text) override { setSelText(text); }
    QStringList selectionTexts() const override { return {selText()}; }
    void editEachSelection(const SelectionEditor &edit) override;
    QMimeData *rectangleData(const QString &) const override { return nullptr; }
    bool pasteRectangle() override { return false; }
    void setBlanksVisible(bool on) override { m_blanksVisible = on; }
    bool blanksVisible() const override { return m_blanksVisible; }
    void setLfLineEnds(bool lf) override { m_lfLineEnds = lf; }
    bool lfLineEnds() const override { return m_lfLineEnds; }
    void setEdgeColumn(int column) override { m_edgeColumn = column; }
    int edgeColumn() const override { return m_edgeColumn; }
    int visibleLineCount() const override { return m_visibleLines; }

    std::optional<QString> saveFile(const QString &path, int format) const override;

    CharFormat defaultFormat() const override { return m_palette.front(); }
    void setDefaultFormat(const CharFormat &format) override;
    OleColor backColor() const override { return m_backColor; }
    void setBackColor(OleColor color) override { m_backColor = color; }

    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }
    bool isEnabled() const override { return m_enabled; }
    void setEnabled(bool enabled) override { m_enabled = enabled; }
    void setTabStop(bool) override {}
    void setFocus() override {}
    void setGeometry(int, int, int, int) override {}

    QPoint caretPos() const override;
    int lineHeight() const override { return 16; }
    int zoom() const override { return m_zoom; }
    void setZoom(int points) override { m_zoom = points; }
    void setOverwriteCaret(bool block) override { m_blockCaret = block; }
    void hideCaret() override {}
    void showCaret() override {}

    StyleCells *styleCells() override { return nullptr; }
    FoldSurface *folding() override { return nullptr; }
    QWidget *textArea() const override { return nullptr; }
    std::optional<QRect> characterRect(int) const override { return std::nullopt; }

    int tabWidth() const { return m_tabWidth; }

private:
    // Index 0 of the palette is the default format and follows setDefaultFormat.
    int formatIndex(const CharFormat &format);
    CharFormat resolved(int index) const;
    CharFormat selFormat() const;
    template <typename Change> void changeSelFormat(Change change);
    void replaceRange(int start, int length, const QString &text, const std::vector<int> &formats);
    void rebuildLineStarts();
    // Replaces the document with exactly this text.
    void assign(const QString &text);
    void notifyChange();

    // The offset itself, or the start of the surrogate pair it splits.
    int characterStart(int offset) const;

    QString m_text;
    QByteArray m_loading;
    std::vector<int> m_formats;
    std::vector<CharFormat> m_palette;
    std::vector<int> m_lineStarts;
    CharFormat m_typing;
    int m_selStart = 0;
    int m_selLength = 0;
    int m_firstVisibleLine = 0;
    int m_visibleLines = 30;
    int m_tabWidth = 4;
    OleColor m_backColor = 0x80000005;
    bool m_wordWrap = false;
    bool m_blanksVisible = false;
    // A new document is saved with LF line ends.
    bool m_lfLineEnds = true;
    int m_zoom = 0;
    int m_edgeColumn = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_blockCaret = false;
};
