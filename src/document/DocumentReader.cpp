#include "DocumentReader.h"

#include "DocumentHost.h"
#include "DocumentLoader.h"
#include "DocumentSaver.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "FileFilters.h"
#include "FileIO.h"
#include "Launcher.h"
#include "MappedFile.h"
#include "OpenFilesRegister.h"
#include "Prompter.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kTitle = QStringLiteral("Orvane");
constexpr int MaxReadAttempts = 3;

DocumentReader::StepObserver &stepObserver()
{
    static DocumentReader::StepObserver observer;
    return observer;
}

void step(const char *name)
{
    if (stepObserver())
        stepObserver()(name);
}

struct DecodedLoad {
    TextEncoding encoding;
    bool utf8Bom;
    LineEnding lineEnding;
    bool ascii;
};

off_t sizeOf(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_size : -1;
}

QByteArray readWhole(int fd, qint64 size)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, bytes.data() + done, std::size_t(size - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    bytes.truncate(qsizetype(done));
    return bytes;
}

// Puts an open file into the surface: mapped, scanned once, converted piece by piece into the
// widget, with the window kept painting between pieces. nullopt when the file shrank while it
// was read (what the surface holds then is no state the file was ever in).
std::optional<DecodedLoad> loadInto(EditorSurface &s, int fd)
{
    const qint64 size = sizeOf(fd);
    const MappedFile mapped(fd, size);
    QByteArray read;
    if (!mapped.data() && size > 0)
        read = readWhole(fd, size);
    const char *data = mapped.data() ? mapped.data() : read.constData();
    const qsizetype length = mapped.data() ? qsizetype(size) : read.size();

    s.setVisible(false);
    DecodedLoad result{TextEncoding::Utf8, false, LineEnding::Unix, true};
    if (startsWithUtf16Mark(data, length)) {
        const DecodedDocument doc = decodeDocument(QByteArray::fromRawData(data, length));
        step("read");
        s.beginBulkLoad(doc.ascii, doc.utf8.size());
        s.appendUtf8(doc.utf8.constData(), doc.utf8.size());
        step("convert + hand to the widget");
        s.keepLoadedCopy(doc.utf8, TextFingerprint::of(doc.utf8.constData(), doc.utf8.size()));
        s.endBulkLoad();
        result = {doc.encoding, doc.utf8Bom, doc.lineEnding, doc.ascii};
    } else {
        const DecodePlan plan = planDecode(data, length);
        step("read");
        // The widget's buffers first: both threads fault them in before the conversion starts.
        s.beginBulkLoad(plan.ascii, length + length / 16);
        ConversionPipe pipe(data, length, plan);
        constexpr qsizetype MaxPiece = qsizetype(4) << 20;
        for (ConversionPipe::Piece piece = pipe.next(MaxPiece); piece.size > 0; piece = pipe.next(MaxPiece)) {
            s.appendUtf8(piece.data, piece.size);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        step("convert + hand to the widget");
        const QByteArray copy = pipe.take();
        s.keepLoadedCopy(copy, pipe.fingerprint(), pipe.takeUnits());
        s.endBulkLoad();
        result = {plan.encoding, plan.utf8Bom, plan.lineEnding, plan.ascii};
    }
    step("index");
    s.setVisible(true);
    // A file that grew meanwhile (a log being written) gave the bytes it had; one that shrank may
    // have lost some between the scan and the conversion.
    if (mapped.torn() || sizeOf(fd) < size)
        return std::nullopt;
    return result;
}

QString bytesText(qint64 bytes)
{
    return QLocale().toString(bytes) + QStringLiteral(" bytes");
}

} // namespace

DocumentReader::DocumentReader(DocumentHost &host, DocumentState &state, DocumentSaver &saver)
    : m_host(host)
    , m_state(state)
    , m_saver(saver)
{
}

QString DocumentReader::openFilter()
{
    return FileFilters::documentFiles();
}

qint64 DocumentReader::availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = meminfo.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("MemAvailable:")) {
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}

std::optional<QString> DocumentReader::refusal(const QString &path, qint64 availableMemory)
{
    struct stat info {};
    // stat, not open: opening a pipe without a writer would block the window.
    if (::stat(FileIO::encodePath(path).constData(), &info) != 0)
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return path + QStringLiteral(" is a folder, not a file.");
    if (!S_ISREG(info.st_mode))
        return path + QStringLiteral(" is not a regular file (it is a device, a pipe or a socket), so it is not opened.");
    const qint64 size = info.st_size;
    if (size > MaxFileBytes)
        return path + QStringLiteral(" is too large to open: ") + bytesText(size)
            + QStringLiteral(". The editor holds files of up to ") + bytesText(MaxFileBytes) + QStringLiteral(".");
    // The widget's text, its styles and the copies a load and a save make: about six bytes per byte.
    if (availableMemory >= 0 && size * 6 > availableMemory)
        return path + QStringLiteral(" is too large for the memory available: ") + bytesText(size)
            + QStringLiteral(" (") + bytesText(availableMemory) + QStringLiteral(" of memory are free).");
    return std::nullopt;
}

void DocumentReader::setStepObserver(StepObserver observer)
{
    stepObserver() = std::move(observer);
}

void DocumentReader::openInOutsideEditor(const QString &path, qint64 size)
{
    const Settings &settings = m_host.settings();
    askUser(m_host.ownerWindow(),
            path + QStringLiteral(" has a file size of ") + QString::number(size)
                + QStringLiteral(" bytes and will be opened by ") + settings.ThirdPartyEditorPath
                + QStringLiteral(".\r\n\r\n") + QStringLiteral("You can change these settings under the options menu.\r\n")
                + QStringLiteral("Your current limit is ") + QString::number(settings.ThirdPartyEditorSize)
                + QStringLiteral(" bytes."),
            QStringLiteral("Orvane, file too large"), QMessageBox::Ok, QMessageBox::Information);
}

bool DocumentReader::loadHere(const QString &path, qint64 size)
{
    const Settings &settings = m_host.settings();
    // Without an outside editor on this machine there is nobody to hand the file to.
    const bool haveOutsideEditor = !settings.ThirdPartyEditorPath.trimmed().isEmpty();
    if (!settings.OpenFileInThirdPartyEditor || !haveOutsideEditor || size <= settings.ThirdPartyEditorSize)
        return true;
    openInOutsideEditor(path, size);
    if (Launcher::startCommand(settings.ThirdPartyEditorPath, path))
        return false;
    askUser(m_host.ownerWindow(),
            QStringLiteral("The outside editor \"") + settings.ThirdPartyEditorPath
                + QStringLiteral("\" could not be started, so ") + path + QStringLiteral(" is opened here."),
            kTitle, QMessageBox::Ok, QMessageBox::Information);
    return true;
}

void DocumentReader::finishLoading()
{
    m_state.isLoading = false;
    m_host.setLoading(false);
}

void DocumentReader::ReadFile(QString filename, bool byCommandLine)
{
    Q_UNUSED(byCommandLine);
    while (filename.endsWith(QLatin1Char(' ')))
        filename.chop(1);
    m_state.isLoading = true;
    m_host.setLoading(true);
    EditorSurface &s = m_host.surface();
    QWidget *owner = m_host.ownerWindow();

    if (!FileExists(filename)) {
        askUser(owner,
                QStringLiteral("Couldn't find ") + filename
                    + QStringLiteral(", please make sure that you have typed the correct path."),
                QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        m_saver.resetDocumentState(QString::fromLatin1(DocumentState::Untitled));
        m_host.resetHistory(m_state.lngFileSize);
    } else {
        if (const auto refused = refusal(filename, availableMemory())) {
            askUser(owner, *refused, QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
            finishLoading();
            return;
        }
        const QString timeText = FileTimeText(filename);
        const QString name = FileNameOf(filename);
        if (!name.isEmpty()) {
            m_host.setToolTipText(QStringLiteral("Opening ") + name + QStringLiteral(", please wait.."));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        struct stat info {};
        const QByteArray native = FileIO::encodePath(filename);
        if (!loadHere(filename, ::stat(native.constData(), &info) == 0 ? qint64(info.st_size) : 0)) {
            m_host.setToolTipText(QString());
            finishLoading();
            return;
        }
        const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            m_host.setToolTipText(QString());
            askUser(owner, QStringLiteral("Couldn't open ") + filename + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)),
                    QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
            finishLoading();
            return;
        }
        // A file another program cuts short while it loads is read again.
        std::optional<DecodedLoad> read;
        for (int attempt = 0; attempt < MaxReadAttempts && !read; ++attempt)
            read = loadInto(s, fd);
        ::close(fd);
        if (!read) {
            m_host.setToolTipText(QString());
            askUser(owner, filename + QStringLiteral(" kept changing while it was read, so it was not opened."),
                    QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
            s.setText(QString());
            m_saver.resetDocumentState(QString::fromLatin1(DocumentState::Untitled));
            m_host.resetHistory(m_state.lngFileSize);
            finishLoading();
            m_host.refreshView();
            return;
        }
        const DecodedLoad loaded = *read;
        m_state.fileTimeText = timeText;
        m_state.encoding = loaded.encoding;
        m_state.utf8Bom = loaded.utf8Bom;
        m_state.isBinary = loaded.lineEnding == LineEnding::Binary;
        if (!m_state.isBinary)
            m_state.isUnix = loaded.lineEnding == LineEnding::Unix;
        m_host.showModes(lineEndingLabel(loaded.lineEnding), encodingLabel(loaded.encoding, loaded.ascii));

        if (const auto error = m_host.addRecentFile(filename))
            m_host.showHint(*error);
        m_host.settings().LastOpenedFile = filename;
        m_saver.resetDocumentState(filename);
        if (const auto error = m_host.openFiles().RegisterOpenFile(filename))
            m_host.showHint(*error);
        m_host.setToolTipText(QString());
        m_host.resetHistory(m_state.lngFileSize);
        step("saved copy, undo record");
        m_host.documentLoaded(filename);
        step("render start");
    }
    finishLoading();
    m_host.refreshView();
    m_state.currentFolder = FolderOf(filename);
    s.setFocus();
}

void DocumentReader::FileOpen(const QString &path)
{
    if (!path.isEmpty() && path == m_state.strfilename)
        return;
    QWidget *owner = m_host.ownerWindow();
    const Settings &settings = m_host.settings();
    if (!settings.OpenFilesInNewWindow) {
        if (!m_state.isDocumentSaved) {
            const auto answer = askUser(owner, QStringLiteral("Save changes to ") + m_state.strfilename + QStringLiteral("?"),
                                        kTitle, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                        QMessageBox::Information);
            if (answer == QMessageBox::Cancel)
                return;
            if (answer == QMessageBox::Yes && !m_saver.FileSave())
                return;
        }
        m_host.openFiles().UnregisterOpenFile(m_state.strfilename);
    }
    QStringList chosen;
    if (path.isEmpty()) {
        const QString folder = settings.UseFolder ? settings.InitialFolder : m_state.currentFolder;
        chosen = Prompter::instance().openFiles(owner, QStringLiteral("Open"), openFilter(), folder, true);
        for (QString &file : chosen)
            file = FileIO::repairPath(file);
    } else {
        chosen << path;
    }
    if (chosen.isEmpty() || chosen.first().isEmpty() || chosen.first() == m_state.strfilename)
        return;
    const QString first = chosen.takeFirst();
    if ((m_state.isUntitled() && m_host.surface().textLength() == 0) || !settings.OpenFilesInNewWindow)
        ReadFile(first, false);
    else if (!Launcher::startForwardedInstance(first))
        askUser(owner, QStringLiteral("Couldn't start a new window for ") + first, QStringLiteral("Error"),
                QMessageBox::Ok, QMessageBox::Critical);
    for (const QString &other : chosen)
        Launcher::startForwardedInstance(other);
}
