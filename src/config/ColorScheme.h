#pragma once

#include "OleColor.h"

#include <QString>
#include <QStringList>

#include <optional>

struct Settings;

// A ".scheme" file of the schemes folder: ten colours, "key=value" lines.
struct ColorScheme {
    OleColor backcolor = 0;
    OleColor forecolor = 0;
    OleColor linebackground = 0;
    OleColor lineforeground = 0;
    OleColor linecurrentforeground = 0;
    OleColor keywords = 0;
    OleColor functions = 0;
    OleColor strings = 0;
    OleColor comments = 0;
    OleColor numbers = 0;

    bool operator==(const ColorScheme &) const = default;

    // The swatches of the settings; the current-line-number background has no key of its own.
    static ColorScheme fromSettings(const Settings &settings);
    // Loading into the swatches: the current-line-number background takes lineforeground.
    void applyTo(Settings &settings) const;

    // Lines over a starting scheme: keys in any letter case, the value between the first and
    // second "="; unknown keys and values that are not numbers are skipped.
    static ColorScheme parse(const QString &text, ColorScheme start);
    QStringList lines() const;

    // folders are the schemes folders, the user's first.
    static QString pathFor(const QStringList &folders, const QString &name);
    // Scheme names: every file ending in ".scheme", by the part of its name before the first ".",
    // sorted and without repeats.
    static QStringList list(const QStringList &folders);
    // nullopt when the file cannot be read.
    static std::optional<ColorScheme> load(const QString &path, const ColorScheme &start);
    // The error text when writing failed.
    std::optional<QString> save(const QString &path) const;
};
