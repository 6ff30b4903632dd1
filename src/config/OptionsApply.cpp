#include "OptionsApply.h"

#include "AppFolders.h"

#include "EditorSurface.h"
#include "ListFile.h"
#include "OptionsHost.h"

#include <QFile>

namespace OptionsApply {

Settings defaults(const Settings &current)
{
    const Settings d;
    Settings s = current;
    s.Font = d.Font;
    s.FontSize = d.FontSize;
    s.TextBold = d.TextBold;
    s.TextItalic = d.TextItalic;
    s.fcolor = d.fcolor;
    s.BackColor = d.BackColor;
    s.linenobackground = d.linenobackground;
    s.linenoforeground = d.linenoforeground;
    s.currlinebackground = d.currlinebackground;
    s.currlineforeground = d.currlineforeground;
    s.AutoIndent = true;
    s.InsertPairs = true;
    s.HTMLCompletion = true;
    s.ShowLineNumbers = true;
    s.ShowCurrentLine = true;
    s.ShowToolBar = true;
    s.ShowTip = true;
    s.OpenFilesInNewWindow = true;
    s.BlinkAlert = true;
    s.ShowArgumentTips = true;
    s.enableSyntaxHighlightning = true;
    s.OpenFileInThirdPartyEditor = true;
    s.HomeKeyCol1 = false;
    s.AlwaysOnTop = false;
    s.AutoBracketIndent = false;
    s.UseSpacesInsteadOfTabs = false;
    s.ReloadFileAtStartup = false;
    s.DisableFileChangeDetection = false;
    s.AutoUpdateChangedFiles = false;
    s.ForceCase = false;
    s.FormTransparent = false;
    s.HighLightNumbers = false;
    s.CopyAsRichText = false;
    s.TabWidth = d.TabWidth;
    s.Lucidity = d.Lucidity;
    s.fcolorComment = d.fcolorComment;
    s.fcolor1 = d.fcolor1;
    s.fcolor2 = d.fcolor2;
    s.fcolorString = d.fcolorString;
    s.ThirdPartyEditorPath = d.ThirdPartyEditorPath;
    s.ThirdPartyEditorSize = d.ThirdPartyEditorSize;
    return s;
}

void copyEdited(const Settings &from, Settings &to)
{
    to.Font = from.Font;
    to.FontSize = from.FontSize;
    to.fcolor = from.fcolor;
    to.BackColor = from.BackColor;
    to.TextBold = from.TextBold;
    to.TextItalic = from.TextItalic;
    to.AutoIndent = from.AutoIndent;
    to.AutoBracketIndent = from.AutoBracketIndent;
    to.ShowLineNumbers = from.ShowLineNumbers;
    to.ShowCurrentLine = from.ShowCurrentLine;
    to.ShowToolBar = from.ShowToolBar;
    to.OpenFilesInNewWindow = from.OpenFilesInNewWindow;
    to.ReloadFileAtStartup = from.ReloadFileAtStartup;
    to.OnlyMonoSpace = from.OnlyMonoSpace;
    to.linenobackground = from.linenobackground;
    to.linenoforeground = from.linenoforeground;
    to.currlinebackground = from.currlinebackground;
    to.currlineforeground = from.currlineforeground;
    to.InsertPairs = from.InsertPairs;
    to.HTMLCompletion = from.HTMLCompletion;
    to.HomeKeyCol1 = from.HomeKeyCol1;
    to.AlwaysOnTop = from.AlwaysOnTop;
    to.TabWidth = from.TabWidth;
    to.UseSpacesInsteadOfTabs = from.UseSpacesInsteadOfTabs;
    to.ShowTip = from.ShowTip;
    to.BlinkAlert = from.BlinkAlert;
    to.DisableFileChangeDetection = from.DisableFileChangeDetection;
    to.AutoUpdateChangedFiles = from.AutoUpdateChangedFiles;
    to.HTMLBoldTag = from.HTMLBoldTag;
    to.HTMLItalicTag = from.HTMLItalicTag;
    to.HTMLCenterTag = from.HTMLCenterTag;
    to.FormTransparent = from.FormTransparent;
    to.Lucidity = from.Lucidity;
    to.ForceCase = from.ForceCase;
    to.ShowArgumentTips = from.ShowArgumentTips;
    to.fcolorComment = from.fcolorComment;
    to.fcolor1 = from.fcolor1;
    to.fcolor2 = from.fcolor2;
    to.fcolorString = from.fcolorString;
    to.fcolorNumber = from.fcolorNumber;
    to.HighLightNumbers = from.HighLightNumbers;
    to.enableSyntaxHighlightning = from.enableSyntaxHighlightning;
    to.ColorFileSizeLimit = from.ColorFileSizeLimit;
    to.PromptWarningLargeFile = from.PromptWarningLargeFile;
    to.UseFolder = from.UseFolder;
    to.InitialFolder = from.InitialFolder;
    to.CopyAsRichText = from.CopyAsRichText;
    to.AutoUnderlineBracket = from.AutoUnderlineBracket;
    to.CloseEmptyTag = from.CloseEmptyTag;
    to.BoldKeyWords = from.BoldKeyWords;
    to.ItalicComments = from.ItalicComments;
    to.OpenFileInThirdPartyEditor = from.OpenFileInThirdPartyEditor;
    to.ThirdPartyEditorSize = from.ThirdPartyEditorSize;
    to.ThirdPartyEditorPath = from.ThirdPartyEditorPath;
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
