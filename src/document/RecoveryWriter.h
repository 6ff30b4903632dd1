#pragma once

#include "RecoveryStore.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <functional>

class EditorSurface;
struct DocumentState;

// Keeps a recovery copy of the window's document while it has unsaved changes: written a moment
// after typing pauses, and now and then while it goes on, on a worker thread, so no key waits.
class RecoveryWriter : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int pauseMs = 2000;      // after the last change
        int longestMs = 30000;   // at the latest while changes go on
        // A copy cut short by typing is next taken from a whole copy in memory up to this many
        // characters; a longer text waits for the typing to pause instead, since a copy of it
        // would hold the window and a second text's worth of memory.
        qint64 wholeCopyUpTo = qint64(64) << 20;
    };
    // What the writer asks of the window.
    class Host {
    public:
        virtual ~Host() = default;
        // The file's stamp as the document last knew it.
        virtual QString fileStamp() const = 0;
        // Told once when a copy cannot be written.
        virtual void recoveryFailed(const QString &error) = 0;
    };

    RecoveryWriter(const QString &folder, EditorSurface &surface, const DocumentState &state, Host &host,
                   QObject *parent = nullptr);
    ~RecoveryWriter() override;

    void setTiming(Timing timing);
    RecoveryStore &store() { return m_store; }

    // Every change of the text.
    void noteChange();
    // Every move of the caret: the record of the window's file and caret follows when it rests.
    void noteCaret();
    // The document equals its file again (saved, reverted, reloaded) or is gone (closed): no copy.
    void documentSettled();
    // Writes the copy now (when the document has unsaved changes).
    void writeNow();
    // Waits until every write handed to the worker is on the disk or given up.
    void waitForWrites();
    // A clean end: the copy is removed.
    void finish();
    // The copy this window now keeps is the recovered one: it stays until the document settles.
    std::optional<QString> adopt(const QString &file);

private:
    void dueNow();
    // cutShort: an edit ended the loan before the copy was whole.
    void written(const std::optional<QString> &error, bool cutShort);
    void removeCopy();
    void recordWindow();

    RecoveryStore m_store;
    EditorSurface &m_surface;
    const DocumentState &m_state;
    Host &m_host;
    QTimer m_pause;
    QTimer m_longest;
    qint64 m_wholeCopyUpTo = 0;
    QThreadPool m_worker;
    bool m_writing = false;
    bool m_again = false;
    // The last copy was cut short by typing: the next one copies the text whole before writing.
    bool m_copyFirst = false;
    bool m_hasCopy = false;
    bool m_toldFailure = false;
    bool m_finished = false;
    // The file and caret last recorded for the window.
    QString m_windowPath;
    int m_windowCaret = -1;
};
