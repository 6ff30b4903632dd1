#include "DocumentSaver.h"

#include "DocumentHost.h"
#include "DocumentLoader.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "FileIO.h"
#include "OpenFilesRegister.h"
#include "Prompter.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Orvane");
const QString kAllFiles = QStringLiteral("All Files (*.*)");

} // namespace

DocumentSaver::DocumentSaver(DocumentHost &host, DocumentState &state)
    : m_host(host)
    , m_state(state)
{
}

bool DocumentSaver::textDiffersFromSaved() const
{
    // A key that changed the length needs no hash of the whole text.
    if (m_host.surface().textUtf8().size() != m_state.OriginalDoc.size)
        return true;
    return !(m_host.surface().fingerprint() == m_state.OriginalDoc);
}

void DocumentSaver::resetDocumentState(const QString &path)
{
    recordSavedState(path);
    m_host.updateTitle();
}

void DocumentSaver::recordSavedState(const QString &path)
{
    m_state.strfilename = path;
    m_state.isDocumentSaved = true;
    m_state.lngFileSize = m_host.surface().textLength();
    m_state.OriginalDoc = m_host.surface().fingerprint();
}

QString DocumentSaver::encodingLabelNow() const
{
    const EditorSurface &s = m_host.surface();
    return encodingLabel(m_state.encoding,
                         m_state.encoding != TextEncoding::Utf8 || s.utf8Size(0, s.textLength()) == s.textLength());
}

bool DocumentSaver::FileSave()
{
    if (!m_state.isUntitled() && FileExists(m_state.strfilename))
        return WriteDocument(m_state.strfilename, true);
    return FileSaveAs();
}

QString DocumentSaver::saveDialogFolder() const
{
    if (!m_state.isUntitled() && !FolderOf(m_state.strfilename).isEmpty())
        return FolderOf(m_state.strfilename);
    const Settings &settings = m_host.settings();
    return chooseSaveFolder(m_state.currentFolder, QDir::currentPath(),
                            settings.UseFolder ? settings.InitialFolder : QString());
}

QString DocumentSaver::chooseSaveFolder(const QString &lastChosen, const QString &startFolder, const QString &initialFolder)
{
    const auto usable = [](const QString &folder) { return !folder.isEmpty() && QFileInfo(folder).isDir(); };
    if (usable(lastChosen))
        return lastChosen;
    if (usable(initialFolder))
        return initialFolder;
    // A launcher or a desktop session may start us in "/" or another folder nobody saves into.
    if (usable(startFolder) && QDir(startFolder).absolutePath() != QDir::rootPath() && QFileInfo(startFolder).isWritable())
        return startFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return usable(documents) ? documents : QDir::homePath();
}

QString DocumentSaver::untitledName(const QString &languageExtension)
{
    return QStringLiteral("Untitled.") + (languageExtension.isEmpty() ? QStringLiteral("txt") : languageExtension);
}

QString DocumentSaver::proposedName() const
{
    if (!m_state.isUntitled() && !FolderOf(m_state.strfilename).isEmpty())
        return FileNameOf(m_state.strfilename);
    if (m_host.isJavaDocument())
        return javaClassFileName(m_host.surface().text());
    return untitledName(m_host.languageExtension());
}

bool DocumentSaver::FileSaveAs()
{
    const QString path = Prompter::instance().saveFile(m_host.ownerWindow(), QStringLiteral("Save As"), kAllFiles,
                                                       saveDialogFolder(), proposedName(), nullptr);
    if (path.isEmpty())
        return false;
    return WriteDocument(FileIO::repairPath(path));
}

QString DocumentSaver::javaClassFileName(const QString &text)
{
    qsizetype at = -1;
    for (const QString &keyword : {QStringLiteral("public class "), QStringLiteral("private class "), QStringLiteral("class ")}) {
        at = text.indexOf(keyword);
        if (at >= 0)
            break;
    }
    const qsizetype brace = at < 0 ? -1 : text.indexOf(QLatin1Char('{'), at);
    if (at < 0 || brace < 0)
        return QStringLiteral("noclass.java");
    QString head = text.mid(at, brace - at + 1);
    for (const QString &breaker : {QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("{")})
        head.replace(breaker, QStringLiteral(" "));
    const QStringList words = head.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const qsizetype keyword = words.indexOf(QStringLiteral("class"));
    if (keyword < 0 || keyword + 1 >= words.size())
        return QStringLiteral("noclass.java");
    return words[keyword + 1] + QStringLiteral(".java");
}

QString DocumentSaver::richTextName(const QString &path)
{
    QString name = FileNameOf(path);
    if (name.isEmpty())
        name = path;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) + QStringLiteral(".rtf") : name + QStringLiteral(".rtf");
}

void DocumentSaver::SaveSelection()
{
    const QString path = Prompter::instance().saveFile(m_host.ownerWindow(), QStringLiteral("Save As"), kAllFiles,
                                                       saveDialogFolder(), QStringLiteral("Untitled.txt"), nullptr);
    if (path.isEmpty())
        return;
    const QString text = m_host.surface().selText() + QStringLiteral("\r\n");
    // The selection is written one byte per character; text beyond that is kept as UTF-8, never replaced.
    const auto bytes = encodeDocument(text, TextEncoding::SingleByte, false, false);
    if (const auto error = FileIO::writeAtomically(path, bytes ? *bytes : text.toUtf8()))
        askUser(m_host.ownerWindow(), *error, kTitle, QMessageBox::Ok, QMessageBox::Critical);
    else
        m_state.currentFolder = FolderOf(path);
}

void DocumentSaver::ExportRichText()
{
    const QString path = Prompter::instance().saveFile(m_host.ownerWindow(), QStringLiteral("Export as Rich Text"),
                                                       QStringLiteral("Rich Text (*.rtf)"), saveDialogFolder(),
                                                       richTextName(m_state.strfilename), nullptr);
    if (path.isEmpty())
        return;
    const QString target = path.endsWith(QLatin1String(".rtf")) ? path : path + QStringLiteral(".rtf");
    if (const auto error = m_host.surface().saveFile(target, 0))
        askUser(m_host.ownerWindow(), *error, kTitle, QMessageBox::Ok, QMessageBox::Critical);
    else
        m_state.currentFolder = FolderOf(target);
}

bool DocumentSaver::WriteDocument(const QString &path, bool offerSaveAs)
{
    EditorSurface &surface = m_host.surface();
    QWidget *owner = m_host.ownerWindow();
    // A binary document keeps its line breaks byte for byte until a conversion makes it DOS or UNIX.
    const bool unixEndings = m_state.isUnix && !m_state.isBinary;
    if (!documentFitsEncoding(surface.textUtf8(), m_state.encoding)) {
        // Single-byte storage would lose these characters; never write a substitute silently.
        const auto answer = askUser(owner,
                                    path + QStringLiteral(" contains characters that cannot be saved as single-byte text.")
                                        + QStringLiteral("\r\n\r\nDo you want to save it as UTF-8 instead?"),
                                    kTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question);
        if (answer != QMessageBox::Yes)
            return false;
        m_state.encoding = TextEncoding::Utf8;
    }
    const bool extensionChanged = ExtensionOf(path) != ExtensionOf(m_state.strfilename);
    const QByteArray text = surface.textUtf8();
    const auto error = FileIO::writeAtomically(path, [&](const FileIO::PieceWriter &write) {
        return writeDocumentUtf8(text, m_state.encoding, m_state.utf8Bom, unixEndings, write);
    });
    if (error) {
        // The old file is as it was; the document keeps its path, its edits and its unsaved mark.
        m_state.isDocumentSaved = false;
        m_host.updateTitle();
        if (!offerSaveAs) {
            askUser(owner, *error, kTitle, QMessageBox::Ok, QMessageBox::Critical);
            return false;
        }
        const auto answer = askUser(owner, *error + QStringLiteral("\r\n\r\nDo you want to save it under another name?"),
                                    kTitle, QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical);
        return answer == QMessageBox::Yes && FileSaveAs();
    }
    m_host.openFiles().UnregisterOpenFile(m_state.strfilename);
    recordSavedState(path);
    if (const auto error = m_host.addRecentFile(path))
        m_host.showHint(*error);
    m_host.settings().LastOpenedFile = path;
    if (const auto error = m_host.openFiles().RegisterOpenFile(path))
        m_host.showHint(*error);
    m_state.fileTimeText = FileTimeText(path);
    m_state.currentFolder = FolderOf(path);
    m_host.showModes(lineEndingLabel(m_state.isBinary ? LineEnding::Binary
                                                      : m_state.isUnix ? LineEnding::Unix : LineEnding::Dos),
                     encodingLabelNow());
    // The window hears of the save once, last: its caption, view and language follow.
    m_host.documentSaved(path, extensionChanged);
    return true;
}

bool DocumentSaver::confirmDiscard()
{
    if (!m_host.surface().isEnabled())
        return true;
    // A document whose file was deleted and kept holds the only copy of its text, changed or not.
    const bool fileGone = !m_state.isDocumentSaved && !m_state.isUntitled() && !FileExists(m_state.strfilename);
    if (!fileGone && !textDiffersFromSaved())
        return true;
    const auto answer = askUser(m_host.ownerWindow(), QStringLiteral("Save changes to ") + m_state.strfilename + QStringLiteral("?"),
                                kTitle, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Information);
    if (answer == QMessageBox::Cancel)
        return false;
    return answer != QMessageBox::Yes || FileSave();
}
