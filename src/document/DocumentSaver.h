#pragma once

#include <QString>

class DocumentHost;
struct DocumentState;

// Writing the document: Save, Save As, Save Selection, Export as Rich Text, and the question
// before a changed document is closed.
class DocumentSaver {
public:
    DocumentSaver(DocumentHost &host, DocumentState &state);

    // To the document's own path when it exists, else Save As. False when cancelled or failed.
    bool FileSave();
    bool FileSaveAs();
    // Writes the text to path in the document's modes and makes path the document's path. On
    // failure the old file is untouched, the message names it and the reason, and the document
    // stays unsaved; with offerSaveAs the message asks whether to save under another name.
    bool WriteDocument(const QString &path, bool offerSaveAs = false);
    void SaveSelection();
    void ExportRichText();

    // Asks "Save changes to ...?" when the text differs from the saved copy, or when the document
    // was kept after its file was deleted; false on Cancel.
    bool confirmDiscard();
    bool textDiffersFromSaved() const;
    // The document now is what path holds: saved, its copy and size taken from the surface.
    void resetDocumentState(const QString &path);

    // The folder a save dialog starts in: the document's own for a named document, else chooseSaveFolder.
    QString saveDialogFolder() const;
    // For an "Untitled" document: the last folder chosen, else initialFolder, else the process's
    // start folder when it is a writable folder other than "/", else Documents (home without one).
    static QString chooseSaveFolder(const QString &lastChosen, const QString &startFolder, const QString &initialFolder);
    // "Untitled." and the language's first extension, "Untitled.txt" without one.
    static QString untitledName(const QString &languageExtension);
    // The Save As name of an Untitled Java document: its class name and ".java".
    static QString javaClassFileName(const QString &text);
    // The file name of path with everything from its first "." (not the first character) replaced by ".rtf".
    static QString richTextName(const QString &path);

    // The encoding label of a document: "UNICODE", "ASCII" while a UTF-8 text is all ASCII, "UTF-8".
    QString encodingLabelNow() const;

private:
    QString proposedName() const;
    // Path, saved flag, size and saved copy, without telling the window.
    void recordSavedState(const QString &path);

    DocumentHost &m_host;
    DocumentState &m_state;
};
