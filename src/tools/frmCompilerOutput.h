#pragma once

#include "CompilerMessages.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QSyntaxHighlighter;
struct Settings;

// The compiler's output: one text box filling the window, in the editor's colours and fixed-width
// font. The output shows as it came, line for line; lines naming a place in a file are marked,
// and a double-click or Enter on one asks to go there. Closing it (Esc or the close box) destroys
// it and tells whoever runs the compiler.
class frmCompilerOutput : public QWidget {
    Q_OBJECT
public:
    explicit frmCompilerOutput(QWidget *owner, const Settings &settings);

    // What the window shows, lines ended by "\n".
    QString text() const { return m_text; }
    void clear();
    // The chunk joined to what came before: a chunk may end in the middle of a line. The caret
    // stays at the end.
    void appendChunk(const QString &chunk);
    // A line of its own after the output, whether or not the output ended its last line.
    void appendLine(const QString &line);
    QPlainTextEdit *txtOutput() const { return m_box; }

    // The place the line at that block of the text names, if any; 0-based line of the box.
    std::optional<SourceLocation> locationAt(int boxLine) const;

signals:
    void closing();
    void locationActivated(const SourceLocation &where);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void insert(const QString &shown);
    bool activate(int boxLine);

    QPlainTextEdit *m_box;
    QSyntaxHighlighter *m_marker;
    QString m_text;
    bool m_pendingCr = false;   // a chunk ended in CR: its LF may open the next one
    bool m_openBreak = false;   // the text ends a line the box has not broken yet
};
