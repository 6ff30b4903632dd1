#pragma once

#include "Settings.h"

#include <span>
#include <variant>

// The one declaration of every settings key: the store, the options dialog, Apply and Defaults
// all walk this table, so a field cannot be written without being read or edited without being
// applied.
namespace SettingsKeys {

enum class Rule {
    Plain,
    FontSize,       // applied only from 6 to 72 points
    ForeColor,      // also colours the gutter background and the current-line number
    BackColor,      // also colours the gutter numbers and the current-line marker
    ClampTabWidth,  // 1 … 12
    Fallback,       // a value that is not a number gives the default
};

// How the options dialog edits a key.
enum class Bind {
    None,       // not in the dialog; Apply keeps the main window's value
    Plain,      // check box, number field, text field or colour swatch, found by its objectName
    Converted,  // the page converts it by hand (combo index, parsed text, font list)
};

using Field = std::variant<QString Settings::*, bool Settings::*, qint16 Settings::*, qint32 Settings::*,
                           OleColor Settings::*, double Settings::*>;

struct Key {
    const char *name;
    Field field;
    Rule rule = Rule::Plain;
    bool blankBeforeValue = false;
    const char *control = nullptr;  // objectName of the dialog's control
    Bind bind = Bind::None;
    bool resetByDefaults = false;   // the dialog's Defaults button puts it back

    bool copiedByApply() const { return bind != Bind::None; }
};

// settings.ini in the order written.
std::span<const Key> settingsFile();
// settings2.ini; the window placement lines go after the first of them.
std::span<const Key> settings2File();
// Both files.
std::span<const Key> all();

// Fields of Settings deliberately not described here: the window placement.
inline constexpr std::size_t undeclaredFields = 1;

void copy(const Key &key, const Settings &from, Settings &to);

} // namespace SettingsKeys
