#include "FuzzTargets.h"

#include "ColorScheme.h"
#include "DocumentLoader.h"
#include "Encoders.h"
#include "FunctionHelp.h"
#include "LanguageDefinition.h"
#include "ListFile.h"
#include "MappedFile.h"
#include "RtfCodec.h"
#include "SettingsStore.h"
#include "TemplateStore.h"
#include "Utf8Units.h"

#include <QByteArray>
#include <QString>

#include <sys/mman.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The program reads its own small files one byte per character.
QString latin1Of(const std::uint8_t *data, std::size_t size)
{
    return QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
}

void require(bool property)
{
    if (!property)
        __builtin_trap();
}

int keywordFile(const std::uint8_t *data, std::size_t size)
{
    LanguageDefinition language;
    language.applyLines(ListFile::splitLines(latin1Of(data, size)));
    language.buildPatterns();
    (void)language.keywordEntries();
    (void)language.variableListEntries();
    return 0;
}

int functionHelpFile(const std::uint8_t *data, std::size_t size)
{
    (void)FunctionHelp::fromLines(ListFile::splitLines(latin1Of(data, size)));
    return 0;
}

int settingsFile(const std::uint8_t *data, std::size_t size)
{
    const QString text = ListFile::decode(bytesOf(data, size));
    const Settings read = SettingsStore::readSettings(Settings{}, text, SettingsLoad::StartUp);
    (void)SettingsStore::readSettings2(read, text);
    // What was read is written and read back to the same values.
    const QString written = ListFile::joinLines(SettingsStore::settingsLines(read));
    require(SettingsStore::settingsLines(SettingsStore::readSettings(Settings{}, written, SettingsLoad::StartUp))
            == SettingsStore::settingsLines(read));
    return 0;
}

int listFile(const std::uint8_t *data, std::size_t size)
{
    const QString text = ListFile::decode(bytesOf(data, size));
    const QStringList lines = ListFile::splitLines(text);
    // Lines without breaks survive a write and a read.
    QStringList clean = lines;
    clean.removeIf([](const QString &line) { return line.contains(u'\r') || line.contains(u'\n'); });
    require(ListFile::splitLines(ListFile::decode(ListFile::encode(ListFile::joinLines(clean)))) == clean);
    return 0;
}

int richText(const std::uint8_t *data, std::size_t size)
{
    const CharFormat base;
    if (const auto document = RtfCodec::read(latin1Of(data, size), base)) {
        // What the reader gives, the writer writes and the reader gives back.
        const QString again = RtfCodec::write(document->text, document->runs, base);
        const auto reread = RtfCodec::read(again, base);
        require(reread && reread->text == document->text);
    }
    return 0;
}

int base64(const std::uint8_t *data, std::size_t size)
{
    const QString text = latin1Of(data, size);
    (void)Encoders::Base64Decode(text, TextEncoding::SingleByte);
    (void)Encoders::Base64Decode(text, TextEncoding::Utf8);
    return 0;
}

int percent(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)Encoders::URLDecode(text, TextEncoding::SingleByte);
    (void)Encoders::URLDecode(text, TextEncoding::Utf8);
    return 0;
}

// A DOS file's LF without its CR is written back as CR LF; that is the only change a load and a
// save may make.
bool hasLoneLf(const QByteArray &bytes, const DecodedDocument &doc)
{
    if (doc.encoding == TextEncoding::Utf16) {
        const QString text(reinterpret_cast<const QChar *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
                return true;
        return false;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return true;
    return false;
}

int documentRoundTrip(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const DecodedDocument doc = decodeDocument(bytes);
    const bool unixEndings = doc.lineEnding == LineEnding::Unix;
    const auto saved = encodeDocumentUtf8(doc.utf8, doc.encoding, doc.utf8Bom, unixEndings);
    require(saved.has_value());
    if (doc.lineEnding != LineEnding::Dos || !hasLoneLf(bytes, doc))
        require(*saved == bytes);
    // The text path gives the same bytes as the widget path.
    require(encodeDocument(utf8ToText(doc.utf8), doc.encoding, doc.utf8Bom, unixEndings) == saved);
    return 0;
}

// A file that another program cuts short between the loader's scan and its conversion: the
// mapping reads zeros past the new end instead of ending the process, and says that it did.
int shrinkingFile(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int fd = ::memfd_create("loader", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    // The input repeated up to several pages, so a cut can fall pages before the end.
    QByteArray bytes = bytesOf(data, size);
    while (bytes.size() < 6 * 4096)
        bytes += bytes;
    const qsizetype length = bytes.size();
    if (::write(fd, bytes.constData(), std::size_t(length)) == ssize_t(length)) {
        const MappedFile mapped(fd, length);
        if (mapped.data()) {
            const DecodePlan plan = planDecode(mapped.data(), length);
            const qsizetype cut = length * data[0] / 255;
            require(::ftruncate(fd, cut) == 0);
            ConversionPipe pipe(mapped.data(), length, plan);
            while (pipe.next(qsizetype(1) << 16).size > 0) {
            }
            const qsizetype page = ::sysconf(_SC_PAGESIZE);
            require(mapped.torn() == ((cut + page - 1) / page * page < length));
        }
    }
    ::close(fd);
    return 0;
}

int templateFile(const std::uint8_t *data, std::size_t size)
{
    TemplateStore store;
    store.readLines(ListFile::splitLines(ListFile::decode(bytesOf(data, size))));
    // What was read is written and read back the same, unless a content line looks like a marker
    // or a name holds the "=" that ends a name.
    bool plain = true;
    for (int i = 0; i < TemplateStore::Count; ++i) {
        plain = plain && !store.TemplateName(i).contains(u'=') && !store.TemplateName(i).contains(u'\r')
                && !store.TemplateName(i).contains(u'\n');
        for (const QString &line : store.TemplateContent(i).split(QStringLiteral("\r\n")))
            plain = plain && !line.startsWith(u'@') && !line.contains(u'\r') && !line.contains(u'\n');
    }
    if (plain) {
        TemplateStore again;
        again.readLines(store.lines());
        require(again.lines() == store.lines());
    }
    return 0;
}

int schemeFile(const std::uint8_t *data, std::size_t size)
{
    const ColorScheme start = ColorScheme::fromSettings(Settings{});
    const ColorScheme read = ColorScheme::parse(ListFile::decode(bytesOf(data, size)), start);
    require(ColorScheme::parse(read.lines().join(QStringLiteral("\r\n")), start).lines() == read.lines());
    return 0;
}

} // namespace

const std::vector<FuzzTarget> &fuzzTargets()
{
    static const std::vector<FuzzTarget> targets = {
        {"keywords", keywordFile}, {"functionhelp", functionHelpFile}, {"settings", settingsFile},
        {"lists", listFile},       {"rtf", richText},                  {"base64", base64},
        {"percent", percent},      {"document", documentRoundTrip},   {"templates", templateFile},
        {"schemes", schemeFile},   {"loader", shrinkingFile},
    };
    return targets;
}
