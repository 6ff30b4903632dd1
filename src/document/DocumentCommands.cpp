#include "DocumentCommands.h"

#include "DocumentHost.h"
#include "DocumentReader.h"
#include "DocumentSaver.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "FileDrop.h"
#include "FileIO.h"
#include "OpenFilesRegister.h"
#include "RecoveryStore.h"
#include "Prompter.h"
#include "Settings.h"

#include "TextCodec.h"

#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("Orvane");
}

DocumentCommands::DocumentCommands(DocumentHost &host, DocumentState &state, DocumentReader &reader, DocumentSaver &saver)
    : m_host(host)
    , m_state(state)
    , m_reader(reader)
    , m_saver(saver)
{
}

QString DocumentCommands::lineEndingLabelNow() const
{
    return lineEndingLabel(m_state.isBinary ? LineEnding::Binary : m_state.isUnix ? LineEnding::Unix : LineEnding::Dos);
}

void DocumentCommands::RevertToSaved()
{
    if (askUser(m_host.ownerWindow(), QStringLiteral("Reload file and lose changes?"), kTitle,
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning)
        == QMessageBox::Yes)
        m_reader.ReadFile(m_state.strfilename, false);
}

void DocumentCommands::Recover(const RecoveryRecord &record)
{
    const bool named = record.path != QLatin1String(DocumentState::Untitled);
    if (named && FileExists(record.path))
        m_reader.ReadFile(record.path, false);
    else if (named)
        m_saver.resetDocumentState(record.path);    // gone since: a save writes it anew
    m_host.addHistory();
    EditorSurface &s = m_host.surface();
    const bool ascii = std::all_of(record.text.begin(), record.text.end(), [](char c) { return uchar(c) < 0x80; });
    m_state.isBinary = record.isBinary;
    s.setBinaryDocument(record.isBinary);
    s.setTextUtf8(record.text, ascii);
    m_state.encoding = record.encoding;
    m_state.utf8Bom = record.utf8Bom;
    m_state.isUnix = record.isUnix;
    m_host.showModes(lineEndingLabelNow(), m_saver.encodingLabelNow());
    s.setSelStart(std::clamp(record.caret, 0, s.textLength()));
    s.setSelLength(0);
    m_state.isDocumentSaved = false;
    m_host.updateTitle();
    m_host.refreshView();
}

void DocumentCommands::DeleteFile()
{
    if (!FileExists(m_state.strfilename))
        return;
    QWidget *owner = m_host.ownerWindow();
    if (askUser(owner, QStringLiteral("Are you sure you want to delete ") + m_state.strfilename + QStringLiteral("?"),
                QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
        != QMessageBox::Yes)
        return;
    if (FileIO::moveToTrash(m_state.strfilename) == FileIO::Removal::Failed) {
        askUser(owner, QStringLiteral("Couldn't delete ") + m_state.strfilename, kTitle, QMessageBox::Ok, QMessageBox::Critical);
        return;
    }
    m_state.isDocumentSaved = true;
    FileClose(true);
}

void DocumentCommands::FileClose(bool prompt)
{
    if (prompt && !m_saver.confirmDiscard())
        return;
    m_host.documentClosed();
    m_host.openFiles().UnregisterOpenFile(m_state.strfilename);
    EditorSurface &s = m_host.surface();
    s.setText(QString());
    m_saver.resetDocumentState(QString::fromLatin1(DocumentState::Untitled));
    m_host.resetHistory(m_state.lngFileSize);
    const Settings &settings = m_host.settings();
    s.setSelColor(settings.fcolor);
    s.setSelBold(settings.TextBold);
    s.setSelItalic(settings.TextItalic);
    // An empty document is a new one: this platform's UTF-8 with LF line ends.
    m_state.encoding = TextEncoding::Utf8;
    m_state.utf8Bom = false;
    m_state.isBinary = false;
    m_state.isUnix = true;
    m_host.showModes(lineEndingLabelNow(), m_saver.encodingLabelNow());
    m_host.refreshView();
}

void DocumentCommands::afterConversion()
{
    m_host.showModes(lineEndingLabelNow(), m_saver.encodingLabelNow());
    m_state.isDocumentSaved = false;
    m_host.updateTitle();
    // The size on disk follows the new modes.
    m_host.refreshView();
}

void DocumentCommands::ConvertDosToUnix()
{
    // A binary document converted is a UNIX one from now on: the label says what the file will get.
    m_state.isBinary = false;
    m_state.isUnix = true;
    afterConversion();
}

void DocumentCommands::ConvertUnixToDos()
{
    m_state.isBinary = false;
    m_state.isUnix = false;
    EditorSurface &s = m_host.surface();
    const QString text = s.text();
    const QString converted = ToCrLf(text);
    if (converted != text) {
        m_host.addHistory();
        s.setVisible(false);
        s.setText(converted);
        s.setVisible(true);
    }
    afterConversion();
}

void DocumentCommands::ConvertAsciiToUnicode()
{
    if (m_state.encoding == TextEncoding::Utf16)
        return;
    m_state.encoding = TextEncoding::Utf16;
    afterConversion();
}

void DocumentCommands::ConvertUnicodeToAscii()
{
    // This platform's single-byte code page is UTF-8; a Latin-1 document stays Latin-1. Nothing
    // to clear is no change: the document is not marked.
    if (m_state.encoding != TextEncoding::Utf16)
        return;
    m_state.encoding = TextEncoding::Utf8;
    afterConversion();
}

void DocumentCommands::ConvertToUtf8()
{
    if (m_state.encoding == TextEncoding::Utf8)
        return;
    m_state.encoding = TextEncoding::Utf8;
    afterConversion();
}

void DocumentCommands::InsertContentFromFile(const QString &path)
{
    QString file = path;
    if (file.isEmpty()) {
        const QStringList chosen = Prompter::instance().openFiles(m_host.ownerWindow(), QStringLiteral("Select a file to Insert"),
                                                                  DocumentReader::openFilter(), m_state.currentFolder, false);
        if (chosen.isEmpty())
            return;
        file = chosen.first();
    }
    const auto bytes = FileIO::readAll(file);
    if (!bytes)
        return;
    // Decoded like a loaded document, so UTF-8 and UTF-16 files insert as text with CR LF breaks.
    const QString text = QString::fromUtf8(decodeDocument(*bytes).utf8);
    m_host.addHistory();
    EditorSurface &s = m_host.surface();
    const OleColor color = m_host.settings().fcolor;
    if (text.size() < 12280) {
        s.setSelColor(color);
        s.setSelBold(false);
        s.setSelText(text);
    } else {
        const int start = s.selStart();
        s.setSelText(text);
        s.setSelStart(start);
        s.setSelLength(int(text.size()));
        s.setSelColor(color);
        s.setSelBold(false);
        s.setSelStart(start + int(text.size()));
    }
    m_state.isDocumentSaved = false;
    m_host.updateTitle();
}

void DocumentCommands::dragOver()
{
    m_host.setToolTipText(QStringLiteral("Press Shift to insert filename, Ctrl to insert HTML tag, Shift+Ctrl to insert content"));
}

void DocumentCommands::dragLeave()
{
    m_host.restoreToolTipText();
}

void DocumentCommands::dropFiles(const QStringList &files, int shift)
{
    m_host.setToolTipText(QString());
    const FileDrop::Plan plan = FileDrop::plan(files, shift);
    switch (plan.action) {
    case FileDrop::Action::Open:
        for (const QString &file : files)
            m_reader.FileOpen(file);
        return;
    case FileDrop::Action::InsertContent:
        for (const QString &file : files)
            InsertContentFromFile(file);
        return;
    case FileDrop::Action::InsertText:
        m_host.addHistory();
        m_host.surface().setSelText(plan.text);
        m_state.isDocumentSaved = false;
        m_host.updateTitle();
        return;
    }
}

void DocumentCommands::registerCommands(const WireCommand &wire)
{
    wire("mnuFileOpen", [this] { m_reader.FileOpen(QString()); });
    wire("mnuFileSave", [this] { m_saver.FileSave(); });
    wire("mnuFileSaveAs", [this] { m_saver.FileSaveAs(); });
    wire("mnuFileRevertToSaved", [this] { RevertToSaved(); });
    wire("mnuFileSaveSelection", [this] { m_saver.SaveSelection(); });
    wire("mnuFileExportRich", [this] { m_saver.ExportRichText(); });
    wire("mnuFileDeleteFile", [this] { DeleteFile(); });
    wire("mnuFileClose", [this] { FileClose(true); });
    wire("mnuFileConvDOS2UNIX", [this] { ConvertDosToUnix(); });
    wire("mnuFileConvUNIX2DOS", [this] { ConvertUnixToDos(); });
    wire("mnuFileConvASCII2Unicode", [this] { ConvertAsciiToUnicode(); });
    wire("mnuFileConvUnicode2ASCII", [this] { ConvertUnicodeToAscii(); });
    wire("mnuFileConvToUTF8", [this] { ConvertToUtf8(); });
    wire("mnuInsertContentFromFile", [this] { InsertContentFromFile(QString()); });
}
