#pragma once

#include "OleColor.h"

#include <QWidget>

#include <functional>

class ScintillaSurface;

// The line-number gutter PicLines with its current-line marker picLine, drawn by the program beside
// the editing widget. Rows sit exactly where the widget draws its lines, at any font size.
class LineNumberGutter : public QWidget {
    Q_OBJECT
public:
    LineNumberGutter(ScintillaSurface &surface, QWidget *parent);

    void setColors(const QColor &background, const QColor &numbers, const QColor &markerBackground,
                   const QColor &markerText);
    void setBookmarkQuery(std::function<bool(int line)> isBookmarked);
    // Width for the current line count: two blanks, "*" and the count, in the surface's font.
    int preferredWidth() const;
    // The rows drawn at the last paint (first visible line and line count), for the redraw rule.
    int lastLineCount() const { return m_lastLineCount; }
    // The text of one row: "*" or a blank, then the one-based number.
    QString rowText(int line) const;

    void DrawLineNumbers();
    // Redraws only when the rows shown or the caret's row changed since the last paint: a key
    // that stays on its line leaves the numbers as they are.
    void caretMoved();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont surfaceFont() const;
    // Screen readers get the rows a sighted user sees as the description ("Lines 1 to 40").
    void describeRows();

    ScintillaSurface &m_surface;
    std::function<bool(int)> m_isBookmarked;
    QColor m_background;
    QColor m_numbers;
    QColor m_markerBackground;
    QColor m_markerText;
    int m_lastLineCount = 1;
    // What the last paint showed: first row, caret row, word wrap.
    int m_paintedFirst = -1;
    int m_paintedCurrent = -1;
    bool m_paintedWrap = false;
    mutable int m_widthLines = -1;
    mutable QFont m_widthFont;
    mutable int m_width = 0;
};

// The two lines boxLine1 and boxLine2 above and below the caret's line, over the editing widget.
class CurrentLineBox : public QWidget {
    Q_OBJECT
public:
    CurrentLineBox(ScintillaSurface &surface, QWidget *viewport);
    void setColor(const QColor &color);
    void PlaceLineBox();
    // Pixel rows of the two lines inside the viewport (for tests).
    int topLine() const { return m_top; }
    int bottomLine() const { return m_bottom; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScintillaSurface &m_surface;
    QColor m_color;
    int m_top = -1;
    int m_bottom = -1;
};
