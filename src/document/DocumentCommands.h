#pragma once

#include <QString>

class DocumentHost;
class DocumentReader;
class DocumentSaver;
struct DocumentState;

// The File menu's commands that end or convert the document: Revert to Saved, Delete File,
// Close and the line-ending and encoding conversions.
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

    // The mode labels for the current state.
    QString lineEndingLabelNow() const;

private:
    void afterConversion();

    DocumentHost &m_host;
    DocumentState &m_state;
    DocumentReader &m_reader;
    DocumentSaver &m_saver;
};
