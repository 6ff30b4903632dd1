#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files and finds the ones it ships.
//
// A self-contained folder (the build folder, a folder with a "portable" marker, a test's folder)
// holds everything. An installed program keeps settings in $XDG_CONFIG_HOME/orvane, the lists and
// the user's own definitions, schemes and templates in $XDG_DATA_HOME/orvane, and reads shipped
// files in place, so an upgrade brings new shipped files and never overwrites the user's.
class AppFolders {
public:
    // What the choice depends on, gathered by forThisProcess(); tests give it directly.
    struct Environment {
        QString exeFolder;
        bool portableMarker = false;   // exeFolder holds a file named "portable"
        bool exeFolderWritable = false;
        QString shippedFolder;         // the installed share/orvane; empty when there is none
        QString xdgConfigHome;
        QString xdgDataHome;
        QString xdgStateHome;
        QString home;
    };

    static AppFolders selfContained(const QString &folder);
    static AppFolders resolve(const Environment &environment);
    static AppFolders forThisProcess();

    // settings.ini and settings2.ini.
    QString configFolder() const { return m_config; }
    // The lists, error.txt and every file the user makes or changes.
    QString dataFolder() const { return m_data; }
    // Read only: the files as shipped.
    QString shippedFolder() const { return m_shipped; }
    // The recovery copies of unsaved documents: $XDG_STATE_HOME/orvane/recovery, or recovery/ of a
    // self-contained folder.
    QString recoveryFolder() const { return m_recovery.isEmpty() ? m_data + QStringLiteral("/recovery") : m_recovery; }
    bool isSelfContained() const { return m_config == m_shipped && m_data == m_shipped; }

    // relative ("keywords/c.kw", "templates/templates.dat") as the user has it, else as shipped;
    // the user's path when neither exists, which is where a new one would be written.
    QString readablePath(const QString &relative) const;
    // Where the program writes its own copy of relative; never inside the installation.
    QString writablePath(const QString &relative) const;
    // The folders a folder of data files is read from, the user's first; one when self-contained.
    QStringList searchFolders(const QString &relativeFolder) const;

    // Creates the configuration and data folders when they are missing; false when one cannot be made.
    bool createWritableFolders() const;

private:
    AppFolders(QString config, QString data, QString shipped);

    QString m_config;
    QString m_data;
    QString m_shipped;
    QString m_recovery;
};
