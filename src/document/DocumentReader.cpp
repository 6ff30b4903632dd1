#include "DocumentReader.h"

#include "DocumentHost.h"
#include "DocumentLoader.h"
#include "DocumentSaver.h"
#include "DocumentState.h"
#include "EditorSurface.h"
#include "FileFilters.h"
#include "FileIO.h"
#include "Launcher.h"
#include "LoadPreparation.h"
#include "MappedFile.h"
#include "OpenFilesRegister.h"
#include "Prompter.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <functional>
#include <new>

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
// widget, with the window kept painting between pieces and told how far the reading is.
// nullopt when the file shrank while it was read (what the surface holds then is no state the
// file was ever in); tooLarge when its text would not fit the widget (the surface is untouched).
struct LoadOutcome {
    std::optional<DecodedLoad> loaded;
    bool tooLarge = false;
};

LoadOutcome loadInto(EditorSurface &s, int fd, const std::function<void(int percent)> &progress)
{
    const qint64 size = sizeOf(fd);
    const MappedFile mapped(fd, size);
    QByteArray read;
    if (!mapped.data() && size > 0)
        read = readWhole(fd, size);
    const char *data = mapped.data() ? mapped.data() : read.constData();
    const qsizetype length = mapped.data() ? qsizetype(size) : read.size();

    DecodedLoad result{TextEncoding::Utf8, false, LineEnding::Unix, true};
    if (startsWithUtf16Mark(data, length)) {
        // Every unit makes at most three bytes of UTF-8.
        if (qint64(length) / 2 * 3 > MaxWidgetBytes)
            return {std::nullopt, true};
        s.setVisible(false);
        const DecodedDocument doc = decodeDocument(QByteArray::fromRawData(data, length));
        mapped.release(0, length);
        step("read");
        s.beginBulkLoad(doc.ascii, LoadPreparation::widgetRoom(doc.utf8.size()));
        s.appendUtf8(doc.utf8.constData(), doc.utf8.size());
        step("convert + hand to the widget");
        s.keepLoadedCopy(QByteArray(), TextFingerprint::of(doc.utf8.constData(), doc.utf8.size()));
        s.endBulkLoad();
        result = {doc.encoding, doc.utf8Bom, doc.lineEnding, doc.ascii};
    } else {
        // Scanned already while the window was being built, when this is the file it starts with.
        const std::optional<DecodePlan> prepared = LoadPreparation::take(fd);
        const DecodePlan plan = prepared ? *prepared : planDecode(data, length);
        if (plan.textBytes > MaxWidgetBytes) {
            mapped.release(0, length);
            return {std::nullopt, true};
        }
        // The scan read every page; the conversion reads them again slice by slice and lets each go.
        mapped.release(0, length);
        step("read");
        s.setVisible(false);
        s.beginBulkLoad(plan.ascii, LoadPreparation::widgetRoom(plan.textBytes));
        qsizetype released = 0;
        ConversionPipe pipe(data, length, plan, [&mapped, &released](qsizetype upTo) {
            mapped.release(released, upTo);
            released = upTo;
        });
        constexpr qsizetype MaxPiece = qsizetype(4) << 20;
        int shown = -1;
        // The window repaints and the percentage moves a few times a second, not after every
        // piece: a round of events costs a millisecond or more.
        constexpr qint64 EventsEveryMs = 40;
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        for (ConversionPipe::Piece piece = pipe.next(MaxPiece); piece.size > 0; piece = pipe.next(MaxPiece)) {
            s.appendUtf8(piece.data, piece.size);
            const int percent = plan.textBytes > 0 ? int(std::min<qint64>(99, pipe.given() * 100 / plan.textBytes)) : 0;
            if (percent != shown && progress) {
                shown = percent;
                progress(percent);
            }
            if (sinceEvents.elapsed() >= EventsEveryMs) {
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                sinceEvents.restart();
            }
        }
        step("convert + hand to the widget");
        s.keepLoadedCopy(QByteArray(), pipe.fingerprint(), pipe.takeUnits());
        s.endBulkLoad();
        result = {plan.encoding, plan.utf8Bom, plan.lineEnding, plan.ascii};
    }
    step("index");
    s.setVisible(true);
    // A file that grew meanwhile (a log being written) gave the bytes it had; one that shrank may
    // have lost some between the scan and the conversion.
    if (mapped.torn() || sizeOf(fd) < size)
        return {};
    return {result, false};
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
        return tooLargeMessage(path, size);
    if (availableMemory >= 0 && memoryNeeded(size) > availableMemory)
        return memoryMessage(path, size, availableMemory);
    return std::nullopt;
}

QString DocumentReader::memoryMessage(const QString &path, qint64 size, qint64 availableMemory)
{
    return path + QStringLiteral(" is too large for the memory available: ") + bytesText(size) + QStringLiteral(" (")
        + bytesText(std::max<qint64>(0, availableMemory)) + QStringLiteral(" of memory are free).");
}

QString DocumentReader::tooLargeMessage(const QString &path, qint64 size)
{
    return path + QStringLiteral(" is too large to open: ") + bytesText(size)
        + QStringLiteral(". The editor holds files of up to ") + bytesText(MaxFileBytes) + QStringLiteral(".");
}

qint64 DocumentReader::memoryNeeded(qint64 fileBytes)
{
    // The widget's text and its styles, a byte each, its line index and the pieces in flight:
    // a little under three bytes per byte, with a margin for line breaks that gain a CR.
    return fileBytes * 3;
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
    LoadPreparation::finish();
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
        bool tooLarge = false;
        const auto progress = [this, &name](int percent) {
            if (!name.isEmpty())
                m_host.setToolTipText(QStringLiteral("Opening ") + name + QStringLiteral(", please wait.. %1%").arg(percent));
        };
        bool outOfMemory = false;
        for (int attempt = 0; attempt < MaxReadAttempts && !read && !tooLarge && !outOfMemory; ++attempt) {
            try {
                LoadOutcome outcome = loadInto(s, fd, progress);
                read = outcome.loaded;
                tooLarge = outcome.tooLarge;
            } catch (const std::bad_alloc &) {
                // The memory ran out on the way: what the widget got is let go and the user told.
                outOfMemory = true;
            }
        }
        ::close(fd);
        if (outOfMemory) {
            s.setText(QString());
            s.setVisible(true);
            m_host.setToolTipText(QString());
            askUser(owner, memoryMessage(filename, info.st_size, availableMemory()), QStringLiteral("Error"),
                    QMessageBox::Ok, QMessageBox::Critical);
            m_saver.resetDocumentState(QString::fromLatin1(DocumentState::Untitled));
            m_host.resetHistory(m_state.lngFileSize);
            finishLoading();
            m_host.refreshView();
            return;
        }
        if (tooLarge) {
            m_host.setToolTipText(QString());
            askUser(owner, tooLargeMessage(filename, info.st_size), QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
            finishLoading();
            return;
        }
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
