#pragma once

#include "TextCodec.h"

#include <QString>

#include <functional>
#include <optional>

class DocumentHost;
class DocumentSaver;
struct DocumentState;

// Reading a file into the surface (every way of opening ends in ReadFile) and the Open command.
class DocumentReader {
public:
    DocumentReader(DocumentHost &host, DocumentState &state, DocumentSaver &saver);

    void ReadFile(QString filename, bool byCommandLine);
    // An empty path shows the Open dialog.
    void FileOpen(const QString &path);

    // Why a path cannot be opened here, before a byte of it is read: a folder, a device, a pipe or
    // a socket (reading one would block or never end), or a file larger than the editor or the
    // memory can hold. nullopt when it can be read. availableMemory < 0 means unknown.
    static std::optional<QString> refusal(const QString &path, qint64 availableMemory);
    // The largest file the editor takes: the widget's own limit. A file below it whose text grows
    // past it (line breaks that gain a CR) is refused with the same message once it is scanned.
    static constexpr qint64 MaxFileBytes = MaxWidgetBytes;
    static QString tooLargeMessage(const QString &path, qint64 size);
    static QString memoryMessage(const QString &path, qint64 size, qint64 availableMemory);
    // Memory a file of this size takes once open.
    static qint64 memoryNeeded(qint64 fileBytes);
    // MemAvailable of the system, or -1.
    static qint64 availableMemory();

    // The Open dialog's filter table (display texts as the program names them).
    static QString openFilter();

    // Told the name of each step of ReadFile as it ends (the benchmarks time and weigh them).
    using StepObserver = std::function<void(const char *step)>;
    static void setStepObserver(StepObserver observer);

private:
    void openInOutsideEditor(const QString &path, qint64 size);
    bool loadHere(const QString &path, qint64 size);
    void finishLoading();

    DocumentHost &m_host;
    DocumentState &m_state;
    DocumentSaver &m_saver;
};
