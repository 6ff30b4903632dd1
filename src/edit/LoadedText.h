#pragma once

#include "EditorSurface.h"

#include <QByteArray>

#include <vector>

// The text a large document was loaded (or last reset) with, for undoing back to it, without a
// second copy: blocks of it stay in the editing widget's own buffer until an edit is about to
// change them, and only then is a block copied out. The widget says where each edit falls before
// and after it happens; blocks no edit touched move along with the text around them.
class LoadedText {
public:
    LoadedText(StyleCells &cells, qsizetype length);

    // Before the widget changes its text: removal of length bytes at position, or an insertion
    // there (length 0). Blocks the change reaches are copied while they still hold the loaded bytes.
    void beforeChange(qsizetype position, qsizetype length);
    // After it: the blocks past the change move with the text.
    void inserted(qsizetype position, qsizetype length);
    void removed(qsizetype position, qsizetype length);

    // The whole loaded text, read from the copies and from the widget.
    QByteArray bytes() const;
    // The widget holds the loaded text again, whole and from its start: every copy is let go.
    void restored();

    qsizetype length() const { return m_length; }
    // Bytes copied out of the widget so far.
    qsizetype bytesCopied() const;

private:
    struct Block {
        qsizetype at = 0;      // where its bytes stand in the widget while it is not copied
        qsizetype length = 0;
        QByteArray copy;       // its bytes, once an edit was about to change them
        bool copied = false;
    };
    void copyOut(Block &block) const;

    StyleCells &m_cells;
    qsizetype m_length = 0;
    mutable std::vector<Block> m_blocks;
};
