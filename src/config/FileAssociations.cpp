#include "FileAssociations.h"

#include "FileIO.h"
#include "ListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString kDefaults = QStringLiteral("[Default Applications]");
const QString kOwnTypePrefix = QStringLiteral("text/x-orvane-");

QString bareExtension(QString extension)
{
    while (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    return extension;
}

QString ownTypeComment(const QString &mimeType)
{
    return QStringLiteral("Orvane ") + mimeType.mid(kOwnTypePrefix.size()).toUpper() + QStringLiteral(" file");
}

QStringList pathList(const QString &value, const QString &fallback)
{
    QStringList dirs = (value.isEmpty() ? fallback : value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return dirs;
}

QStringList readTextLines(const QString &path)
{
    const std::optional<QByteArray> bytes = FileIO::readAll(path);
    if (!bytes)
        return {};
    return ListFile::splitLines(QString::fromUtf8(*bytes));
}

bool isSection(const QString &line)
{
    return line.trimmed().startsWith(QLatin1Char('['));
}

// The value of key in the given section of a key file, nullopt when absent.
std::optional<QString> keyValue(const QStringList &lines, const QString &section, const QString &key)
{
    bool inSection = false;
    for (const QString &line : lines) {
        if (isSection(line)) {
            inSection = line.trimmed() == section;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

QString firstEntry(const QString &value)
{
    const QStringList ids = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? QString() : ids.first().trimmed();
}

// An argument of an Exec line: quoted when it needs it, then escaped for the key file.
QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        quote = quote || reserved.contains(c);
    QString arg = argument;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (quote) {
        QString quoted;
        for (QChar c : arg) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return arg;
}

} // namespace

FileAssociations::Folders FileAssociations::Folders::fromEnvironment()
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    Folders f;
    f.configHome = env.value(QStringLiteral("XDG_CONFIG_HOME"), QDir::homePath() + QStringLiteral("/.config"));
    f.dataHome = env.value(QStringLiteral("XDG_DATA_HOME"), QDir::homePath() + QStringLiteral("/.local/share"));
    f.configDirs = pathList(env.value(QStringLiteral("XDG_CONFIG_DIRS")), QStringLiteral("/etc/xdg"));
    f.dataDirs = pathList(env.value(QStringLiteral("XDG_DATA_DIRS")), QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString &desktop : env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        f.desktops << desktop.toLower();
    f.mimeUpdater = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    return f;
}

FileAssociations::FileAssociations(QString documentIcon, QString programPath, Folders folders)
    : m_documentIcon(std::move(documentIcon))
    , m_programPath(std::move(programPath))
    , m_folders(std::move(folders))
{
}

QStringList FileAssociations::readExtensions(const QString &file)
{
    QStringList extensions;
    const std::optional<QStringList> lines = ListFile::read(file);
    if (!lines)
        return extensions;
    for (QString line : *lines) {
        line = line.trimmed();
        while (line.startsWith(QLatin1Char('.')))
            line.remove(0, 1);
        // Only something that can end a file name is an extension.
        if (line.isEmpty() || line.contains(QLatin1Char('/')) || line.contains(QLatin1Char('\0')))
            continue;
        if (!extensions.contains(line, Qt::CaseInsensitive))
            extensions << line;
    }
    return extensions;
}

QStringList FileAssociations::sharedTypesFor(const QString &extension)
{
    const QString ext = bareExtension(extension);
    QStringList names;
    if (ext.isEmpty())
        return names;
    for (const QMimeType &type : QMimeDatabase().mimeTypesForFileName(QStringLiteral("file.") + ext)) {
        // The catch-all type would make the program the default for every unknown file.
        if (type.isValid() && !type.isDefault() && !isOwnType(type.name()) && !names.contains(type.name()))
            names << type.name();
    }
    names.sort();
    return names;
}

QString FileAssociations::ownTypeFor(const QString &extension)
{
    const QString ext = bareExtension(extension).toLower();
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9][a-z0-9+_.-]*$"));
    return plain.match(ext).hasMatch() ? kOwnTypePrefix + ext : QString();
}

bool FileAssociations::isOwnType(const QString &mimeType)
{
    return mimeType.startsWith(kOwnTypePrefix);
}

QString FileAssociations::mimeTypeFor(const QString &extension)
{
    const QStringList shared = sharedTypesFor(extension);
    return shared.size() == 1 ? shared.first() : ownTypeFor(extension);
}

QString FileAssociations::mimeAppsPath() const
{
    return m_folders.configHome + QStringLiteral("/mimeapps.list");
}

QString FileAssociations::storePath() const
{
    return m_folders.configHome + QStringLiteral("/orvane/associations");
}

QString FileAssociations::desktopFilePath() const
{
    return m_folders.dataHome + QStringLiteral("/applications/") + QLatin1String(DesktopId);
}

QString FileAssociations::mimePackagePath() const
{
    return m_folders.dataHome + QStringLiteral("/mime/packages/orvane-extensions.xml");
}

std::optional<QString> FileAssociations::installOwnTypes(const QMap<QString, QString> &store) const
{
    if (m_folders.mimeUpdater.isEmpty())
        return QStringLiteral("update-mime-database is not installed, so the file type cannot be added");
    QStringList types;
    for (const QString &type : store.keys()) {
        if (isOwnType(type))
            types << type;
    }
    const QString package = mimePackagePath();
    if (types.isEmpty()) {
        if (QFile::exists(package) && !QFile::remove(package))
            return QStringLiteral("Couldn't remove %1").arg(package);
    } else {
        QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
        for (const QString &type : types) {
            // Weighted above the shared database's globs, so an extension it also gives other types
            // is this type once the user chose to open it here.
            xml += QStringLiteral("  <mime-type type=\"%1\">\n    <comment>%2</comment>\n"
                                  "    <sub-class-of type=\"text/plain\"/>\n    <glob pattern=\"*.%3\" weight=\"60\"/>\n"
                                  "  </mime-type>\n")
                       .arg(type, ownTypeComment(type), type.mid(kOwnTypePrefix.size()));
        }
        xml += QStringLiteral("</mime-info>\n");
        QDir().mkpath(QFileInfo(package).absolutePath());
        if (std::optional<QString> error = FileIO::writeAtomically(package, xml.toUtf8()))
            return error;
    }
    const QString database = m_folders.dataHome + QStringLiteral("/mime");
    QDir().mkpath(database + QStringLiteral("/packages"));
    QProcess update;
    update.start(m_folders.mimeUpdater, {database});
    if (!update.waitForFinished(60000) || update.exitStatus() != QProcess::NormalExit || update.exitCode() != 0)
        return QStringLiteral("update-mime-database %1 failed: %2")
            .arg(database, QString::fromLocal8Bit(update.readAllStandardError()).trimmed());
    return std::nullopt;
}

std::optional<QString> FileAssociations::userDefault(const QString &mimeType) const
{
    return keyValue(readTextLines(mimeAppsPath()), kDefaults, mimeType);
}

bool FileAssociations::IsAssociated(const QString &extension) const
{
    const QString type = mimeTypeFor(extension);
    if (type.isEmpty())
        return false;
    const std::optional<QString> value = userDefault(type);
    return value && firstEntry(*value) == QLatin1String(DesktopId);
}

std::optional<QString> FileAssociations::setUserDefault(const QString &mimeType, const std::optional<QString> &value)
{
    const QString path = mimeAppsPath();
    if (QFile::exists(path) && !FileIO::readAll(path))
        return QStringLiteral("Cannot read %1").arg(path);
    QStringList lines = readTextLines(path);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    qsizetype sectionStart = -1;
    qsizetype insertAt = -1;
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (isSection(line)) {
            if (sectionStart >= 0 && insertAt < 0)
                insertAt = i;
            if (line.trimmed() == kDefaults && sectionStart < 0)
                sectionStart = i;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (sectionStart >= 0 && insertAt < 0 && eq > 0 && line.left(eq).trimmed() == mimeType)
            found = i;
    }
    const QString entry = value ? mimeType + QLatin1Char('=') + *value : QString();
    if (found >= 0) {
        if (value)
            lines[found] = entry;
        else
            lines.removeAt(found);
    } else if (value) {
        if (sectionStart < 0) {
            if (!lines.isEmpty())
                lines << QString();
            lines << kDefaults << entry;
        } else {
            qsizetype at = insertAt < 0 ? lines.size() : insertAt;
            while (at > sectionStart + 1 && lines.at(at - 1).trimmed().isEmpty())
                --at;
            lines.insert(at, entry);
        }
    } else {
        return std::nullopt;
    }
    QDir().mkpath(m_folders.configHome);
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + '\n';
    return FileIO::writeAtomically(path, bytes);
}

QMap<QString, QString> FileAssociations::readStore() const
{
    QMap<QString, QString> store;
    for (const QString &line : readTextLines(storePath())) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            store.insert(line.left(eq), line.mid(eq + 1));
    }
    return store;
}

std::optional<QString> FileAssociations::writeStore(const QMap<QString, QString> &store) const
{
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    QByteArray bytes;
    for (auto it = store.cbegin(); it != store.cend(); ++it)
        bytes += (it.key() + QLatin1Char('=') + it.value()).toUtf8() + '\n';
    return FileIO::writeAtomically(storePath(), bytes);
}

std::optional<QString> FileAssociations::installDesktopFile() const
{
    const QString folder = QFileInfo(desktopFilePath()).absolutePath();
    QDir().mkpath(folder);
    QString icon = QStringLiteral("accessories-text-editor");
    const QString &shippedIcon = m_documentIcon;
    if (QFileInfo::exists(shippedIcon)) {
        const QString target = folder + QStringLiteral("/OrvaneDoc.ico");
        if (const std::optional<QByteArray> bytes = FileIO::readAll(shippedIcon);
            bytes && !FileIO::writeAtomically(target, *bytes))
            icon = target;
    }
    QStringList types = readStore().keys();
    QString mimeTypes;
    for (const QString &type : types)
        mimeTypes += type + QLatin1Char(';');
    const QStringList lines = {
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Orvane"),
        QStringLiteral("GenericName=Text Editor"),
        QStringLiteral("Comment=Edit text, scripts and HTML"),
        QStringLiteral("Exec=") + execArgument(QFileInfo(m_programPath).absoluteFilePath()) + QStringLiteral(" %f"),
        QStringLiteral("Icon=") + icon,
        QStringLiteral("Terminal=false"),
        QStringLiteral("Categories=Utility;TextEditor;"),
        QStringLiteral("MimeType=") + mimeTypes,
    };
    return FileIO::writeAtomically(desktopFilePath(), (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

std::optional<QString> FileAssociations::Associate(const QString &extension)
{
    const QString type = mimeTypeFor(extension);
    if (type.isEmpty())
        return QStringLiteral("No file type can be given to .%1").arg(bareExtension(extension));
    if (IsAssociated(extension))
        return std::nullopt;
    // The previous default is remembered before it is replaced, so a failure in between never
    // loses it.
    QMap<QString, QString> store = readStore();
    store.insert(type, userDefault(type).value_or(QString()));
    if (isOwnType(type)) {
        if (std::optional<QString> error = installOwnTypes(store))
            return error;
    }
    if (std::optional<QString> error = writeStore(store))
        return error;
    if (std::optional<QString> error = installDesktopFile())
        return error;
    return setUserDefault(type, QString::fromLatin1(DesktopId));
}

std::optional<QString> FileAssociations::Unassociate(const QString &extension)
{
    const QString type = mimeTypeFor(extension);
    if (type.isEmpty() || !IsAssociated(extension))
        return std::nullopt;
    QMap<QString, QString> store = readStore();
    const QString previous = store.value(type);
    if (std::optional<QString> error =
            setUserDefault(type, previous.isEmpty() ? std::nullopt : std::optional<QString>(previous)))
        return error;
    store.remove(type);
    if (std::optional<QString> error = writeStore(store))
        return error;
    if (isOwnType(type)) {
        if (std::optional<QString> error = installOwnTypes(store))
            return error;
    }
    return QFile::exists(desktopFilePath()) ? installDesktopFile() : std::nullopt;
}

QString FileAssociations::findDesktopFile(const QString &id) const
{
    QStringList dirs{m_folders.dataHome};
    dirs << m_folders.dataDirs;
    for (const QString &dir : dirs) {
        const QString path = dir + QStringLiteral("/applications/") + id;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString FileAssociations::defaultApplication(const QString &mimeType) const
{
    QStringList lists;
    const auto addFolder = [&](const QString &folder) {
        for (const QString &desktop : m_folders.desktops)
            lists << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        lists << folder + QStringLiteral("/mimeapps.list");
    };
    addFolder(m_folders.configHome);
    for (const QString &dir : m_folders.configDirs)
        addFolder(dir);
    addFolder(m_folders.dataHome + QStringLiteral("/applications"));
    for (const QString &dir : m_folders.dataDirs)
        addFolder(dir + QStringLiteral("/applications"));
    for (const QString &list : lists) {
        const std::optional<QString> value = keyValue(readTextLines(list), kDefaults, mimeType);
        if (!value)
            continue;
        for (const QString &id : value->split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!findDesktopFile(id.trimmed()).isEmpty())
                return id.trimmed();
        }
    }
    return {};
}

FileAssociations::Shown FileAssociations::ShowAssociation(const QString &extension) const
{
    Shown shown;
    const QString type = mimeTypeFor(extension);
    if (type.isEmpty()) {
        shown.fileType = QStringLiteral("Unspecified");
        return shown;
    }
    shown.fileType = type;
    if (isOwnType(type)) {
        shown.description = ownTypeComment(type);
        QStringList others;
        for (const QString &name : sharedTypesFor(extension))
            others << QMimeDatabase().mimeTypeForName(name).comment();
        if (!others.isEmpty())
            shown.description += QStringLiteral(" (otherwise: ") + others.join(QStringLiteral(", ")) + QLatin1Char(')');
    } else {
        shown.description = QMimeDatabase().mimeTypeForName(type).comment();
    }
    const QString id = defaultApplication(type);
    if (!id.isEmpty()) {
        const std::optional<QString> name =
            keyValue(readTextLines(findDesktopFile(id)), QStringLiteral("[Desktop Entry]"), QStringLiteral("Name"));
        shown.opensWith = name && !name->isEmpty() ? *name : id;
    }
    return shown;
}
