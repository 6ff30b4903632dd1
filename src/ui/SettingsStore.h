#pragma once

#include "Settings.h"

#include <QString>
#include <QStringList>

#include <optional>

// Whether settings.ini is read at start-up (OnlyMonoSpace is set before reading) or re-read while
// the program runs (it keeps its value unless the file names it).
enum class SettingsLoad { StartUp, Reload };

// Reads and writes settings.ini and settings2.ini of an application folder. The parsing and
// formatting functions are static so they work on texts without any file.
class SettingsStore {
public:
    explicit SettingsStore(QString appFolder);

    QString settingsPath() const;   // <folder>/settings.ini
    QString settings2Path() const;  // <folder>/settings2.ini

    // Every field back to its default except OnlyMonoSpace, the maximised flag, and the window
    // rectangle while maximised.
    static Settings SetDefaults(const Settings &current);

    // Applies the lines of a settings.ini / settings2.ini text over current.
    static Settings readSettings(Settings current, const QString &text, SettingsLoad load);
    static Settings readSettings2(Settings current, const QString &text);

    // The file lines in the order written (no line ends).
    static QStringList settingsLines(const Settings &settings);
    static QStringList settings2Lines(const Settings &settings);

    // SetDefaults, then settings2.ini when it exists.
    Settings LoadMySettings2(const Settings &current) const;
    // settings.ini over current; a missing or unreadable file changes nothing else.
    Settings LoadMySettings(const Settings &current, SettingsLoad load) const;
    // Atomic writes; the error text on failure.
    std::optional<QString> SaveMySettings(const Settings &settings) const;
    std::optional<QString> SaveMySettings2(const Settings &settings) const;

    // Changes whenever settings.ini is rewritten (millisecond time and size); empty when missing.
    QString settingsFileStamp() const;

private:
    QString m_appFolder;
};
