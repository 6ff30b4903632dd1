#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
struct Settings;

// The compiler's output: one text box filling the window, in the editor's colours and font.
// Closing it (Esc or the close box) destroys it and tells whoever runs the compiler.
class frmCompilerOutput : public QWidget {
    Q_OBJECT
public:
    explicit frmCompilerOutput(QWidget *owner, const Settings &settings);

    // The output as it has been appended, CR LF before every chunk.
    QString text() const { return m_text; }
    void clear();
    // The old text, CR LF, and the chunk; the caret stays at the end.
    void appendChunk(const QString &chunk);
    QPlainTextEdit *txtOutput() const { return m_box; }

signals:
    void closing();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *m_box;
    QString m_text;
};
