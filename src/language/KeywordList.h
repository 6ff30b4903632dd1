#pragma once

#include <QListWidget>

// The keyword list box lstVariables: keywords ("@ ") and functions ("# ") of the current language.
// Its keys are the program's own: Space, Enter and Tab choose, Backspace and Escape close, a letter
// goes on to the document.
class KeywordList : public QListWidget {
    Q_OBJECT
public:
    explicit KeywordList(QWidget *parent);

    // Refills the box when the entries differ from what it holds; the first entry is selected.
    void setEntries(const QStringList &entries);
    const QStringList &entries() const { return m_entries; }
    // Wide enough for the longest entry, rows rows high (fewer when it holds fewer).
    QSize preferredSize(int rows) const;

signals:
    void chosen();
    void closeRequested();
    void letterTyped(const QString &letter);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QStringList m_entries;
};
