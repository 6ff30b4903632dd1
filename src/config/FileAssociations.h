#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// Which file extensions open in this program, kept in the desktop's own MIME defaults: the file
// type of an extension is its MIME type; associating it makes orvane.desktop the user's default
// application for that type in mimeapps.list and remembers the previous default in an
// association store beside it, so that removing the association restores it exactly.
class FileAssociations {
public:
    struct Folders {
        QString configHome;       // XDG_CONFIG_HOME
        QString dataHome;         // XDG_DATA_HOME
        QStringList configDirs;   // XDG_CONFIG_DIRS
        QStringList dataDirs;     // XDG_DATA_DIRS
        QStringList desktops;     // XDG_CURRENT_DESKTOP, lower case
        QString mimeUpdater;      // update-mime-database, empty when not installed

        static Folders fromEnvironment();
    };

    static constexpr const char *DesktopId = "orvane.desktop";

    // documentIcon: the shipped document icon, copied beside the desktop entry when it exists.
    FileAssociations(QString documentIcon, QString programPath, Folders folders = Folders::fromEnvironment());

    // An extensions.dat: one extension a line, without the dot; empty lines and repeats skipped.
    static QStringList readExtensions(const QString &file);

    // The file type of an extension (with or without its dot): the one type the shared MIME
    // database gives it, else one of the program's own (see ownTypeFor). Extensions with the same
    // type are associated together.
    static QString mimeTypeFor(const QString &extension);
    // The types the shared database gives the extension, the program's own left out.
    static QStringList sharedTypesFor(const QString &extension);
    // "text/x-orvane-<ext>": for an extension the database gives no type or several (".ts" is a
    // Qt translation and an MPEG stream), added to the user's database when it is associated, so
    // it can be. Empty for an extension that cannot name a type.
    static QString ownTypeFor(const QString &extension);
    static bool isOwnType(const QString &mimeType);

    bool IsAssociated(const QString &extension) const;
    // Errors as text; an extension without a file type, or one already associated, changes nothing.
    std::optional<QString> Associate(const QString &extension);
    // Only while the default is still ours; another program's later choice is left alone.
    std::optional<QString> Unassociate(const QString &extension);

    struct Shown {
        QString fileType;       // the MIME type, or "Unspecified"
        QString description;
        QString opensWith;      // the default application's name
    };
    Shown ShowAssociation(const QString &extension) const;

    // The application the desktop opens the type with (desktop file id), empty for none.
    QString defaultApplication(const QString &mimeType) const;

    QString mimeAppsPath() const;      // the user's mimeapps.list
    QString storePath() const;         // the remembered previous defaults
    QString desktopFilePath() const;   // the user's orvane.desktop
    QString mimePackagePath() const;   // the program's own types in the user's MIME database

private:
    std::optional<QString> userDefault(const QString &mimeType) const;
    std::optional<QString> setUserDefault(const QString &mimeType, const std::optional<QString> &value);
    QMap<QString, QString> readStore() const;
    std::optional<QString> writeStore(const QMap<QString, QString> &store) const;
    std::optional<QString> installDesktopFile() const;
    QString findDesktopFile(const QString &id) const;
    // Writes the own types of store into the user's MIME database and rebuilds it.
    std::optional<QString> installOwnTypes(const QMap<QString, QString> &store) const;

    QString m_documentIcon;
    QString m_programPath;
    Folders m_folders;
};
