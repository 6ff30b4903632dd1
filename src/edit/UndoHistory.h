#pragma once

#include "EditorSurface.h"
#include "LoadedText.h"

#include <QByteArray>
#include <QMetaObject>

#include <future>

#include <memory>
#include <vector>

// The program's own undo and redo history: snapshots of the whole document (text and formatting)
// with the selection. Snapshots share every piece of the document that did not change, so a small
// edit of a large document costs about the edit.
class UndoHistory {
public:
    static constexpr int Capacity = 200;
    static constexpr qsizetype SizeLimit = 500000;

    // One record as the surface would show it; runs only for surfaces other than the editing widget,
    // whose records keep its own style numbers.
    struct Record {
        int selStart = 0;
        int selLength = 0;
        QString text;
        std::vector<FormatRun> runs;
    };

    struct SnapshotResult {
        bool taken = false;
        // The second and later snapshots mark the document as modified.
        bool clearSavedFlag = false;
    };

    explicit UndoHistory(EditorSurface &surface);
    ~UndoHistory();
    UndoHistory(const UndoHistory &) = delete;
    UndoHistory &operator=(const UndoHistory &) = delete;

    // The text length at the last load or save; above SizeLimit no snapshots are taken.
    void setFileSize(qsizetype size) { m_fileSize = size; }
    qsizetype fileSize() const { return m_fileSize; }

    // Forget everything; record 0 becomes the plain text with the current selection.
    void reset();
    SnapshotResult AddHistory();
    // Both return whether a record was put back into the surface.
    bool undo();
    bool redo();

    // Feed every Change event of the surface here.
    void noteChange();

    bool canUndo() const;
    bool canRedo() const;
    int position() const { return m_position; }
    int topMark() const { return m_topMark; }
    bool changedSinceSnapshot() const { return m_changed; }
    bool isRestoring() const { return m_restoring; }
    // Number of records that hold a snapshot.
    int recordCount() const;
    std::optional<Record> record(int index) const;

    // Bytes held by all records together, each shared piece counted once.
    qsizetype bytesHeld() const;
    // Record 0 of a document too large for snapshots stays in the widget until edits reach it.
    bool keepsLoadedTextInWidget() const { return m_loaded != nullptr; }

    struct Chunk;
    struct Image;

private:
    struct Slot {
        int selStart = 0;
        int selLength = 0;
        std::shared_ptr<const Image> image;
    };

    std::shared_ptr<const Image> capture();
    static std::shared_ptr<const Image> plainImage(const QByteArray &bytes);
    // Puts the image of the loaded text into record 0 once it is made.
    void settleBase();
    std::shared_ptr<const Image> imageAt(std::size_t index) const;
    void store(int index);
    void restore(const Slot &slot);
    // Rewrites only the bytes (and style numbers) of the widget that differ from a record's.
    void putBack(const QByteArray &bytes);
    void putBackStyles(const QByteArray &ids);
    void restoreLoaded(const Slot &slot);
    void clearAbove(int index);
    void trackModification(int position, StyleChanges kind, int length);
    void forgetTracking(bool stylesKnown);
    QByteArray genericIds(const QByteArray &bytes);
    std::vector<FormatRun> runsOf(const Image &image) const;

    EditorSurface &m_surface;
    // The surface's own style numbers, kept as they are; nullptr when it has none.
    StyleCells *m_native = nullptr;
    QMetaObject::Connection m_connection;
    std::vector<Slot> m_slots;
    std::vector<CharFormat> m_palette;
    // What the surface showed at the last snapshot or restore; new snapshots share its pieces.
    std::shared_ptr<const Image> m_base;
    // Record 0 of a large document, cut from a copy of the text made on another thread: the
    // window takes keys while it is made.
    std::shared_future<std::shared_ptr<const Image>> m_pendingBase;
    // Byte range (current coordinates) touched since m_base, as the widget reported it.
    int m_dirtyStart = -1;
    int m_dirtyEnd = -1;
    bool m_stylesTracked = false;
    int m_textEventsSeen = 0;
    int m_changeEvents = 0;
    int m_position = 0;
    int m_topMark = 0;
    qsizetype m_fileSize = 0;
    bool m_changed = false;
    bool m_restoring = false;
    // The surface shows record m_position as it was restored: the next snapshot goes above it.
    bool m_onRecord = false;
    // Record 0's text when it stays in the widget (documents above SizeLimit).
    std::unique_ptr<LoadedText> m_loaded;
    bool m_restoringLoaded = false;
};
