#include "OptionsApply.h"

#include "AppFolders.h"
#include "ColorSwatch.h"
#include "NumberField.h"

#include "EditorSurface.h"
#include "ListFile.h"
#include "OptionsHost.h"
#include "SettingsKeys.h"

#include <QCheckBox>
#include <QLineEdit>

#include <QFile>

namespace OptionsApply {

Settings defaults(const Settings &current)
{
    const Settings d;
    Settings s = current;
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        if (key.resetByDefaults)
            SettingsKeys::copy(key, d, s);
    }
    return s;
}

void copyEdited(const Settings &from, Settings &to)
{
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        if (key.copiedByApply())
            SettingsKeys::copy(key, from, to);
    }
}

namespace {

template <typename Visit>
void forPlainControls(const QWidget &root, Visit visit)
{
    for (const SettingsKeys::Key &key : SettingsKeys::all()) {
        if (key.bind != SettingsKeys::Bind::Plain)
            continue;
        if (QWidget *control = root.findChild<QWidget *>(QLatin1String(key.control)))
            std::visit([&](auto member) { visit(control, member); }, key.field);
    }
}

} // namespace

void loadControls(QWidget &root, const Settings &s)
{
    forPlainControls(root, [&](QWidget *control, auto member) {
        using T = std::remove_cvref_t<decltype(s.*member)>;
        if constexpr (std::is_same_v<T, bool>) {
            if (auto *box = qobject_cast<QCheckBox *>(control))
                box->setChecked(s.*member);
        } else if constexpr (std::is_same_v<T, QString>) {
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                edit->setText(s.*member);
        } else if constexpr (std::is_same_v<T, OleColor>) {
            if (auto *swatch = qobject_cast<ColorSwatch *>(control))
                swatch->setColor(s.*member);
        } else if constexpr (std::is_integral_v<T>) {
            if (auto *field = qobject_cast<NumberField *>(control))
                field->setText(QString::number(s.*member));
        }
    });
}

void storeControls(const QWidget &root, Settings &s)
{
    forPlainControls(root, [&](QWidget *control, auto member) {
        using T = std::remove_cvref_t<decltype(s.*member)>;
        if constexpr (std::is_same_v<T, bool>) {
            if (auto *box = qobject_cast<QCheckBox *>(control))
                s.*member = box->isChecked();
        } else if constexpr (std::is_same_v<T, QString>) {
            if (auto *edit = qobject_cast<QLineEdit *>(control))
                s.*member = edit->text();
        } else if constexpr (std::is_same_v<T, OleColor>) {
            if (auto *swatch = qobject_cast<ColorSwatch *>(control))
                s.*member = swatch->color();
        } else if constexpr (std::is_integral_v<T>) {
            if (auto *field = qobject_cast<NumberField *>(control))
                s.*member = T(field->value());
        }
    });
}

QString ignoreFilePath(const AppFolders &folders)
{
    return folders.readablePath(QStringLiteral("ignoreclosetag.txt"));
}

namespace {

QStringList ignoreLines(const QString &ignoreText)
{
    QStringList lines = ListFile::splitLines(ignoreText.toLower());
    lines.removeIf([](const QString &line) { return line.trimmed().isEmpty(); });
    return lines;
}

} // namespace

QString readIgnoreFile(const AppFolders &folders)
{
    const std::optional<QStringList> lines = ListFile::read(ignoreFilePath(folders));
    return lines ? lines->join(QStringLiteral("\r\n")) : QString();
}

void applyEditorFont(EditorSurface &surface, const Settings &settings, bool recolour)
{
    surface.setDefaultFormat(
        CharFormat{settings.fcolor, settings.TextBold, settings.TextItalic, settings.Font, settings.FontSize});
    surface.setVisible(false);
    const int start = surface.selStart();
    const int length = surface.selLength();
    surface.setBackColor(settings.BackColor);
    surface.setSelStart(0);
    surface.setSelLength(surface.textLength());
    surface.setSelFontName(settings.Font);
    surface.setSelFontSize(settings.FontSize);
    surface.setSelBold(settings.TextBold);
    surface.setSelItalic(settings.TextItalic);
    if (recolour)
        surface.setSelColor(settings.fcolor);
    surface.setSelStart(start);
    surface.setSelLength(length);
    surface.setVisible(true);
}

QStringList apply(OptionsHost &host, OptionsState &state, const std::function<void()> &applyAssociations)
{
    QStringList errors;
    const Settings &edited = state.edited;

    host.setLineNumbersVisible(edited.ShowLineNumbers);
    host.setToolBarVisible(edited.ShowToolBar);

    // A new text colour that came from a scheme or Defaults must reach the text too: an uncoloured
    // document would otherwise keep, say, black text on the scheme's dark background.
    applyEditorFont(host.surface(), edited, state.formatChanged || edited.fcolor != host.settings().fcolor);

    copyEdited(edited, host.settings());
    host.applyGutterColors();

    host.applyWindowFlags(edited.FormTransparent, edited.Lucidity, edited.AlwaysOnTop);

    host.setCurrentLineVisible(edited.ShowCurrentLine);
    host.setTabWidth(edited.TabWidth);

    if (const std::optional<QString> error = host.SaveMySettings())
        errors << *error;

    if (host.highlightingActive())
        host.renderDocument();

    if (applyAssociations)
        applyAssociations();
    if (state.templatesChanged) {
        if (TemplateSource *source = host.templateSource()) {
            if (const std::optional<QString> error = source->saveTemplates(state.templates))
                errors << *error;
            else
                state.templatesChanged = false;
        }
    }
    // Every list is written, a single element or an empty list included: keeping the old file
    // would report a change as applied that never reached the disk.
    // The user's copy is written even when the list was emptied: otherwise the shipped list
    // would come back in its place.
    const QString path = host.folders().writablePath(QStringLiteral("ignoreclosetag.txt"));
    const QStringList lines = ignoreLines(state.ignoreText);
    if (!lines.isEmpty() || QFile::exists(ignoreFilePath(host.folders()))) {
        if (const std::optional<QString> error = ListFile::write(path, lines))
            errors << *error;
    }
    host.AddIgnoreElements();
    state.formatChanged = false;
    return errors;
}

} // namespace OptionsApply
