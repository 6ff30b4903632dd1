#pragma once

#include <Qsci/qsciscintilla.h>

#include <QHash>
#include <QKeySequence>
#include <QPointer>

class ScintillaSurface;

// The editing widget of the main window (objectName "txtText"). Keys, mouse and drops reach the
// program's handlers through the surface before the widget's own bindings.
class ScintillaView : public QsciScintilla {
    Q_OBJECT
public:
    ScintillaView(ScintillaSurface *surface, QWidget *parent);

    // Characters between two byte positions, without walking the text from its start.
    long countCharacters(long fromByte, long toByte) const;

    // Removes the widget's own binding of a key the program defines itself.
    void removeKeyBinding(int key, Qt::KeyboardModifiers modifiers);
    void removeKeyBindings(const QList<QKeySequence> &keys);

    // A mark drawn at every line end in place of the widget's own (empty: none).
    void setLineEndMark(const QString &mark);
    const QString &lineEndMark() const { return m_lineEndMark; }

    // The widget's clipboard form of a rectangle's rows, and whether clipboard data holds one.
    QMimeData *rectangleMimeData(const QByteArray &rows) const { return toMimeData(rows, true); }
    bool holdsRectangle(const QMimeData *data) const
    {
        bool rectangular = false;
        fromMimeData(data, rectangular);
        return rectangular;
    }

signals:
    // Text was inserted or removed on these lines, or the whole text was replaced (loading, undo).
    void linesChanged(int firstLine, int lastLine);

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Whether an enabled action of the window owns the key; asked for every key typed.
    bool windowTakes(QKeyCombination pressed);

    ScintillaSurface *m_surface;
    // The window's actions by key, built once: its key actions are made when the window is.
    QMultiHash<int, QPointer<QAction>> m_keyActions;
    QPointer<QWidget> m_keyWindow;
    qsizetype m_keyWindowActions = -1;
    int m_zoomDelta = 0;
    QString m_lineEndMark;
};
