#pragma once

#include "CommandContext.h"

#include <QString>
#include <QStringList>

class DocumentHost;
class DocumentReader;
class DocumentSaver;
struct DocumentState;
struct RecoveryRecord;

// The File menu's commands that end or convert the document: Revert to Saved, Delete File,
// Close and the line-ending and encoding conversions; and inserting a file's content.
class DocumentCommands {
public:
    DocumentCommands(DocumentHost &host, DocumentState &state, DocumentReader &reader, DocumentSaver &saver);

    void RevertToSaved();
    void DeleteFile();
    // With prompt, a changed document asks first; then an empty "Untitled" document.
    void FileClose(bool prompt);

    void ConvertDosToUnix();
    void ConvertUnixToDos();
    void ConvertAsciiToUnicode();
    void ConvertUnicodeToAscii();
    void ConvertToUtf8();

    // Shows a recovery copy: its file as the disk holds it underneath (Undo goes back to it), the
    // copy's text on top, unsaved, in the copy's modes and with its caret.
    void Recover(const RecoveryRecord &record);

    // Inserts a file's text at the selection; an empty path asks for the file.
    void InsertContentFromFile(const QString &path);

    // Files dragged over the editor: the hint names the keys that choose what the drop does.
    void dragOver();
    void dragLeave();
    // Opens the files, or inserts their content, paths, names or HTML references by the keys held.
    void dropFiles(const QStringList &files, int shift);

    // Connects the File menu's document commands and Insert > Content From File.
    void registerCommands(const WireCommand &wire);

    // The mode labels for the current state.
    QString lineEndingLabelNow() const;

private:
    void afterConversion();

    DocumentHost &m_host;
    DocumentState &m_state;
    DocumentReader &m_reader;
    DocumentSaver &m_saver;
};
