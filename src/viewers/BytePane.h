#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

#include <algorithm>
#include <cstdlib>

// A read-only pane of single-byte text laid out in rows of a fixed number of characters, with a
// selection like a text box's. Only the visible rows are drawn, so a pane of tens of megabytes
// opens at once where a text widget would lay out the whole text first.
class BytePane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit BytePane(QWidget *parent = nullptr);

    // columns: characters per row; offsetStep > 0 shows each row's offset in hex, counting
    // offsetStep per row.
    void setContent(QByteArray text, int columns, int offsetStep = 0);
    QString text() const { return QString::fromLatin1(m_text); }
    QString text(qsizetype start, qsizetype length) const { return QString::fromLatin1(m_text.mid(start, length)); }
    qsizetype length() const { return m_text.size(); }

    qsizetype selStart() const { return std::min(m_anchor, m_caret); }
    qsizetype selLength() const { return std::abs(m_caret - m_anchor); }
    // As in a text box: setting the start collapses the selection there.
    void setSelStart(qsizetype start);
    void setSelLength(qsizetype length);
    QString selText() const;

    QSize sizeHint() const override;

signals:
    // A key or mouse button was released in the pane: the moment to follow its selection.
    void released();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    qsizetype rows() const;
    int visibleRows() const;
    int charWidth() const;
    int rowHeight() const;
    int textLeft() const;
    qsizetype positionAt(const QPoint &point) const;
    void moveCaret(qsizetype position, bool extend);
    void ensureCaretVisible();
    void updateScrollRange();
    // Tells screen readers where the caret went, or that the text was replaced.
    void announceCaret();
    void announceText(const QByteArray &old);

    QByteArray m_text;
    int m_columns = 16;
    int m_offsetStep = 0;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    bool m_dragging = false;
};
