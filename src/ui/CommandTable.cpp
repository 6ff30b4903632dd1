#include "CommandTable.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <cstring>

namespace CommandTable {

namespace {

// Builds a table row and reads like the menu it describes.
struct Row {
    CommandInfo info;

    Row(const char *name, const char *menu, const char *caption, const char *key = nullptr)
    {
        info.objectName = name;
        info.menu = menu;
        info.caption = QString::fromUtf8(caption);
        if (key)
            info.shortcut = QKeySequence(QString::fromLatin1(key));
    }
    Row &text()
    {
        info.changesText = true;
        return *this;
    }
    Row &check()
    {
        info.checkable = true;
        return *this;
    }
    Row &sep()
    {
        info.separatorBefore = true;
        return *this;
    }
    Row &shownOnly()
    {
        info.keyShownOnly = true;
        return *this;
    }
    Row &alternate(const char *key)
    {
        info.alternateShortcuts << QKeySequence(QString::fromLatin1(key));
        return *this;
    }
    // Every key the platform offers for a standard action, beside the main one.
    Row &platform(QKeySequence::StandardKey standard)
    {
        for (const QKeySequence &key : QKeySequence::keyBindings(standard)) {
            if (key != info.shortcut && !info.alternateShortcuts.contains(key))
                info.alternateShortcuts << key;
        }
        return *this;
    }
    Row &when(Enable rule)
    {
        info.enable = rule;
        return *this;
    }
    Row &byKey()
    {
        info.keyAlways = true;
        return *this;
    }
};

std::vector<MenuInfo> buildMenus()
{
    const auto menu = [](const char *name, const char *parent, const char *caption, const char *before = nullptr,
                         bool separatorBefore = false) {
        return MenuInfo{name, parent, QString::fromUtf8(caption), before, separatorBefore};
    };
    return {
        menu("mnuFile", nullptr, "&File"),
        menu("mnuFileConv", "mnuFile", "Con&vert", "mnuFilePageSetup", true),
        menu("mnuEdit", nullptr, "&Edit"),
        menu("mnuSearch", nullptr, "&Search"),
        menu("mnuView", nullptr, "&View"),
        menu("mnuFormat", nullptr, "F&ormat"),
        menu("mnuInsert", nullptr, "&Insert"),
        menu("mnuInsertHTML", "mnuInsert", "&HTML Tags", "mnuInsertTable"),
        menu("mnuInsertTemplates", "mnuInsert", "&Templates", nullptr, true),
        menu("mnuTools", nullptr, "&Tools"),
        menu("mnuToolsEncoding", "mnuTools", "&Encoding/Decoding", "mnuToolsSortLines", true),
        // The language list of this menu is rebuilt every time it opens.
        menu("mnuProgramming", nullptr, "S&yntax"),
        menu("mnuHelp", nullptr, "&Help"),
    };
}

std::vector<CommandInfo> buildCommands()
{
    std::vector<Row> rows = {
        // File
        Row("mnuFileNew", "mnuFile", "&New", "Ctrl+N"),
        Row("mnuFileOpen", "mnuFile", "&Open...", "Ctrl+O"),
        Row("mnuFileSave", "mnuFile", "&Save", "Ctrl+S").sep(),
        Row("mnuFileSaveAs", "mnuFile", "Save &As...", "Ctrl+Shift+S").byKey(),
        Row("mnuFileSaveSelection", "mnuFile", "Save Se&lection...").when(Enable::Selection),
        Row("mnuFileExportRich", "mnuFile", "&Export as Rich Text..."),
        Row("mnuFileRevertToSaved", "mnuFile", "&Revert to Saved").sep().when(Enable::Revertible),
        Row("mnuFileDeleteFile", "mnuFile", "&Delete File").when(Enable::FileOnDisk),
        Row("mnuFileClose", "mnuFile", "&Close").when(Enable::Closable),
        Row("mnuFileConvDOS2UNIX", "mnuFileConv", "&DOS to UNIX").text(),
        Row("mnuFileConvUNIX2DOS", "mnuFileConv", "&UNIX to DOS").text(),
        Row("mnuFileConvASCII2Unicode", "mnuFileConv", "&ASCII to Unicode").text().sep(),
        Row("mnuFileConvUnicode2ASCII", "mnuFileConv", "U&nicode to ASCII").text(),
        Row("mnuFileConvToUTF8", "mnuFileConv", "To U&TF-8").text(),
        Row("mnuFilePageSetup", "mnuFile", "Page Set&up...").sep(),
        Row("mnuFilePrint", "mnuFile", "&Print...", "Ctrl+P"),
    };
    // Recent files: captions come from lastfiles.dat at run time.
    for (int n = 1; n <= RecentFileCount; ++n) {
        static const char *const names[RecentFileCount] = {"mnuFile1", "mnuFile2", "mnuFile3", "mnuFile4",
                                                           "mnuFile5", "mnuFile6", "mnuFile7", "mnuFile8",
                                                           "mnuFile9", "mnuFile10"};
        Row row(names[n - 1], "mnuFile", "");
        if (n == 1)
            row.sep();
        rows.push_back(row);
    }
    const std::vector<Row> rest = {
        Row("mnuFileExit", "mnuFile", "E&xit", "Ctrl+Q").sep(),

        // Edit
        Row("mnuEditUndo", "mnuEdit", "&Undo", "Ctrl+Z").text().when(Enable::CanUndo).byKey(),
        Row("mnuEditRedo", "mnuEdit", "&Redo", "Ctrl+Shift+Z").text().when(Enable::CanRedo).byKey(),
        Row("mnuEditCut", "mnuEdit", "Cu&t", "Ctrl+X").text().sep().when(Enable::Selection).byKey().platform(QKeySequence::Cut),
        Row("mnuEditCopy", "mnuEdit", "&Copy", "Ctrl+C").when(Enable::Selection).byKey().platform(QKeySequence::Copy),
        Row("mnuEditPaste", "mnuEdit", "&Paste", "Ctrl+V").text().when(Enable::Clipboard).byKey().platform(QKeySequence::Paste),
        Row("mnuEditDelete", "mnuEdit", "&Delete").text().when(Enable::Selection),
        Row("mnuEditCutAppend", "mnuEdit", "Cut Appe&nd", "Ctrl+Shift+X").text().sep().when(Enable::Selection).byKey(),
        Row("mnuEditCopyAppend", "mnuEdit", "Copy &Append", "Ctrl+Shift+C").when(Enable::Selection).byKey(),
        Row("mnuEditCutAsRichText", "mnuEdit", "Cut as Ric&h Text", "Ctrl+Alt+X").text().byKey(),
        Row("mnuEditCopyAsRichText", "mnuEdit", "Copy as Rich Te&xt", "Ctrl+Alt+C").byKey(),
        Row("mnuEditCopyColumn", "mnuEdit", "Copy Colu&mn", "Alt+C").byKey(),
        Row("mnuEditCopyFileName", "mnuEdit", "Copy &File Name").when(Enable::Named),
        Row("mnuEditDeleteLine", "mnuEdit", "Delete &Line").text().sep(),
        Row("mnuEditCrop", "mnuEdit", "Cr&op", "Ctrl+Shift+Y").text().when(Enable::Selection).byKey(),
        Row("mnuEditSelectWord", "mnuEdit", "Select &Word").sep(),
        Row("mnuEditSelectLine", "mnuEdit", "Select Lin&e", "Ctrl+E").byKey(),
        Row("mnuEditSelectAll", "mnuEdit", "&Select All", "Ctrl+A"),
        Row("mnuEditDateTime", "mnuEdit", "Date/T&ime").text().sep(),
        Row("mnuEditDuplicateLine", "mnuEdit", "Duplicate Line or Selection", "Ctrl+D").text().sep(),
        Row("mnuEditMoveLineUp", "mnuEdit", "Move Lines Up", "Alt+Up").text(),
        Row("mnuEditMoveLineDown", "mnuEdit", "Move Lines Down", "Alt+Down").text(),
        Row("mnuEditJoinLines", "mnuEdit", "&Join Lines", "Ctrl+J").text(),
        Row("mnuEditToggleComment", "mnuEdit", "To&ggle Line Comment", "Ctrl+/").text().when(Enable::Comment),

        // Search
        Row("mnuSearchFind", "mnuSearch", "&Find...", "Ctrl+F"),
        Row("mnuSearchFindNext", "mnuSearch", "Find &Next", "F3").when(Enable::SearchText),
        Row("mnuSearchFindPrev", "mnuSearch", "Find Pre&v", "Ctrl+F3").when(Enable::SearchText),
        Row("mnuSearchReplace", "mnuSearch", "&Replace...", "Ctrl+R").text().byKey(),
        Row("mnuSearchFindInFiles", "mnuSearch", "Find in F&iles...", "Ctrl+Shift+F"),
        Row("mnuSearchGoToSymbol", "mnuSearch", "Go to S&ymbol...", "Ctrl+Shift+O"),
        Row("mnuSearchGotoLine", "mnuSearch", "&Goto Line", "Ctrl+G").sep(),
        Row("mnuSearchMatchBracket", "mnuSearch", "&Match Bracket", "Ctrl+M").byKey(),
        Row("mnuSearchToggleBookmark", "mnuSearch", "Toggle &Bookmark", "Ctrl+F2").sep(),
        Row("mnuSearchNextBookmark", "mnuSearch", "Next Bookmar&k", "F2").when(Enable::Bookmarks),
        Row("mnuSearchPreviousBookmark", "mnuSearch", "Pr&evious  Bookmark", "Ctrl+Shift+F2").when(Enable::Bookmarks),
        Row("mnuSearchViewAllBookmarks", "mnuSearch", "View &All Bookmarks...", "Shift+F2").when(Enable::Bookmarks),
        Row("mnuSearchClearAllBookmarks", "mnuSearch", "Clear All B&ookmarks").when(Enable::Bookmarks),

        // View
        Row("mnuViewBlanks", "mnuView", "Show &Blanks and Line Ends").check(),
        Row("mnuViewEdgeLine", "mnuView", "&Edge Line..."),
        // Ctrl+Shift+[ arrives as Ctrl+Shift+{ on layouts where the brace is the shifted bracket.
        Row("mnuViewFoldBlock", "mnuView", "&Fold Block", "Ctrl+Shift+[").alternate("Ctrl+Shift+{").sep(),
        Row("mnuViewUnfoldBlock", "mnuView", "&Unfold Block", "Ctrl+Shift+]").alternate("Ctrl+Shift+}"),
        Row("mnuViewFoldAll", "mnuView", "Fold &All", "Ctrl+K, Ctrl+0"),
        Row("mnuViewUnfoldAll", "mnuView", "U&nfold All", "Ctrl+K, Ctrl+J"),
        Row("mnuViewFoldMargin", "mnuView", "Fold &Margin").check(),
        // Ctrl++ and Ctrl+- insert font tags (HTML menu): zooming takes Alt beside them.
        Row("mnuViewZoomIn", "mnuView", "Zoom &In", "Ctrl+Alt+=").alternate("Ctrl+Alt++").sep(),
        Row("mnuViewZoomOut", "mnuView", "Zoom &Out", "Ctrl+Alt+-"),
        Row("mnuViewZoomReset", "mnuView", "&Reset Zoom", "Ctrl+0"),

        // Format
        Row("mnuFormatToUpperCase", "mnuFormat", "T&o Upper Case", "Ctrl+Shift+F5").text().when(Enable::Selection),
        Row("mnuFormatToLowerCase", "mnuFormat", "To &Lower Case", "Ctrl+F5").text().when(Enable::Selection),
        Row("mnuFormatCapitalize", "mnuFormat", "C&apitalize", "F5").text().when(Enable::Selection),
        Row("mnuFormatInvertCase", "mnuFormat", "Invert &Case", "Shift+F5").text().when(Enable::Selection),
        Row("mnuFormatAddIndent", "mnuFormat", "Add &Indents", "Tab").text().shownOnly().sep().when(Enable::SelectedLines),
        Row("mnuFormatRemoveIndent", "mnuFormat", "R&emove Indents", "Shift+Tab").text().shownOnly().when(Enable::SelectedLines),
        Row("mnuFormatTabsToSpaces", "mnuFormat", "Ta&bs to Spaces").text().sep(),
        Row("mnuFormatSpacesToTabs", "mnuFormat", "&Spaces to Tabs").text(),
        Row("mnuFormatTrimTrailngSpaces", "mnuFormat", "Trim Trailn&g Spaces").text(),
        Row("mnuFormatWordWrap", "mnuFormat", "&Word Wrap", "Ctrl+W").check().sep(),
        Row("mnuFormatToggleLineNumbers", "mnuFormat", "Line &Numbers").check(),
        Row("mnuFormatASCIITable", "mnuFormat", "ASCII &Table...").sep(),

        // Insert > HTML Tags
        Row("mnuInsertStartTag", "mnuInsertHTML", "&Start Tag", "Ctrl+,").text().byKey(),
        Row("mnuInsertEndTag", "mnuInsertHTML", "&End Tag", "Ctrl+.").text().byKey(),
        Row("mnuInsertAnchor", "mnuInsertHTML", "&Anchor", "Ctrl+Shift+A").text().sep().byKey(),
        Row("mnuInsertImage", "mnuInsertHTML", "&Image", "Ctrl+Shift+I").text().byKey(),
        Row("mnuInsertBold", "mnuInsertHTML", "&Bold").text().sep(),
        Row("mnuInsertItalic", "mnuInsertHTML", "I&talic", "Ctrl+I").text().byKey(),
        // Ctrl++ is Ctrl+Shift+= on many keyboards; the = key alone works as well.
        Row("mnuInsertFontPlus", "mnuInsertHTML", "Font Size &+ 1", "Ctrl++").text().alternate("Ctrl+=").byKey(),
        Row("mnuInsertFontMinus", "mnuInsertHTML", "Font Size &- 1", "Ctrl+-").text().byKey(),
        Row("mnuInsertBlockquote", "mnuInsertHTML", "B&lockquote", "Alt+B").text().sep().byKey(),
        Row("mnuInsertBreak", "mnuInsertHTML", "B&reak", "Ctrl+Shift+B").text().byKey(),
        Row("mnuInsertCenter", "mnuInsertHTML", "&Center", "Ctrl+Shift+E").text().byKey(),
        Row("mnuInsertComment", "mnuInsertHTML", "HTML Co&mment", "Ctrl+Shift+M").text().byKey(),
        Row("mnuInsertHR", "mnuInsertHTML", "&Horizontal Ruler", "Ctrl+Shift+H").text().byKey(),
        Row("mnuInsertNBSP", "mnuInsertHTML", "&Non-breaking Space", "Ctrl+Shift+Space").text().byKey(),
        Row("mnuInsertParagraph", "mnuInsertHTML", "&Paragraph", "Ctrl+Shift+P").text().byKey(),
        Row("mnuInsertH1", "mnuInsertHTML", "Heading &1", "Ctrl+1").text().sep().byKey(),
        Row("mnuInsertH2", "mnuInsertHTML", "Heading &2", "Ctrl+2").text().byKey(),
        Row("mnuInsertH3", "mnuInsertHTML", "Heading &3", "Ctrl+3").text().byKey(),

        // Insert
        Row("mnuInsertTable", "mnuInsert", "Table...").text(),
        Row("mnuInsertAnchorFromFile", "mnuInsert", "Anchor/Image/Stylesheet From &File...").text(),
        Row("mnuInsertHTMLColor", "mnuInsert", "HTML C&olor...").text(),
        Row("mnuInsertContentFromFile", "mnuInsert", "&Content From File...").text().sep(),
        Row("mnuToolsURL", "mnuInsert", "Data From &URL...").text(),
        Row("mnuInsertInsertComment", "mnuInsert", "&Insert Line Comment").text().sep().when(Enable::LineComment),
        Row("mnuInsertRemoveComment", "mnuInsert", "&Remove Line Comment").text().when(Enable::LineComment),

        // Insert > Templates
        Row("mnuInsertTemplatesEdit", "mnuInsertTemplates", "&Edit Templates..."),
    };
    rows.insert(rows.end(), rest.begin(), rest.end());
    // Template items: captions are the template names, set when the Insert menu opens.
    for (int i = 0; i < TemplateCount; ++i) {
        static const char *const names[TemplateCount] = {
            "mnuInsertTemplates1_0", "mnuInsertTemplates1_1", "mnuInsertTemplates1_2", "mnuInsertTemplates1_3",
            "mnuInsertTemplates1_4", "mnuInsertTemplates1_5", "mnuInsertTemplates1_6", "mnuInsertTemplates1_7",
            "mnuInsertTemplates1_8", "mnuInsertTemplates1_9"};
        static const char *const keys[TemplateCount] = {"Alt+1", "Alt+2", "Alt+3", "Alt+4", "Alt+5",
                                                        "Alt+6", "Alt+7", "Alt+8", "Alt+9", "Alt+0"};
        Row row(names[i], "mnuInsertTemplates", "", keys[i]);
        row.text().byKey();
        if (i == 0)
            row.sep();
        rows.push_back(row);
    }
    const std::vector<Row> tail = {
        // Tools
        Row("mnuToolsAutoIndet", "mnuTools", "Auto &Indent").check(),
        Row("mnuToolsSmartIndent", "mnuTools", "Smar&t Indent").check(),
        Row("mnuToolsInsertPairs", "mnuTools", "I&nsert Pairs").check(),
        Row("mnuToolsAutoCompleteHTML", "mnuTools", "HTML/XML Auto &Completion").check(),
        Row("mnuToolsURLEncode", "mnuToolsEncoding", "&URL Encode").text(),
        Row("mnuToolsURLDecode", "mnuToolsEncoding", "U&RL Decode").text(),
        Row("mnuToolsBase64Encode", "mnuToolsEncoding", "&Base 64 Encode").text().sep(),
        Row("mnuToolsBase64Decode", "mnuToolsEncoding", "B&ase 64 Decode").text(),
        Row("mnuToolsl33t", "mnuToolsEncoding", "&Plain Text to l33t").text().sep(),
        Row("mnuToolsPlain", "mnuToolsEncoding", "&l33t to Plain Text").text(),
        Row("mnuToolsSortLines", "mnuTools", "Sort Lines &Ascending").text(),
        Row("mnuToolsSortLinesDec", "mnuTools", "Sort Lines &Descending").text(),
        Row("mnuToolsWordCount", "mnuTools", "&Word Count..."),
        Row("mnuToolsConvertTextToHTML", "mnuTools", "Convert Plain Text to &HTML").text(),
        Row("mnuToolsHex", "mnuTools", "&Show HEX String...", "Ctrl+H"),
        Row("mnuToolsNoHighLight", "mnuTools", "Remove Hi&ghlighting").sep(),
        Row("mnuToolsClearUndoRedo", "mnuTools", "C&lear Undo/Redo"),
        Row("mnuToolsKeyWordEditor", "mnuTools", "&Keyword Editor...").sep(),
        Row("mnuToolsExplorer", "mnuTools", "E&xplorer...").sep(),
        Row("mnuToolsCommandPrompt", "mnuTools", "Command &Prompt..."),
        Row("mnuToolsKeyboardSettings", "mnuTools", "Keyboard &Settings..."),
        Row("mnuToolsMouseSettings", "mnuTools", "&Mouse Settings..."),
        Row("mnuToolsOpenFileInDefaultBrowser", "mnuTools", "Open File in Default &Web Browser..."),
        Row("mnuFormatOptions", "mnuTools", "&Options...").sep(),

        // Syntax: the languages follow these items, added at run time
        Row("mnuSyntaxNoHighlight", "mnuProgramming", "&No Highlighting"),
        Row("mnuToolsRefreshSyntax", "mnuProgramming", "&Refresh Highlighting").when(Enable::Highlighting),
        Row("mnuSyntaxFunctionList", "mnuProgramming", "&Keyword List", "Ctrl+Space").text().shownOnly().when(Enable::KeywordList),
        // Always offered: without a compiler (or a language) it asks to define one.
        Row("mnuToolsCompile", "mnuProgramming", "Compile...", "F8").sep(),

        // Help
        Row("mnuHelpIndex", "mnuHelp", "&Index", "F1"),
        Row("mnuHelpTipoftheDay", "mnuHelp", "&Tip of the Day..."),
        Row("mnuHelpWebsite", "mnuHelp", "Visit Orvane's Web Site").sep(),
        Row("mnuHelpAbout", "mnuHelp", "About Orvane...").sep(),
    };
    rows.insert(rows.end(), tail.begin(), tail.end());

    std::vector<CommandInfo> result;
    result.reserve(rows.size());
    for (const Row &row : rows)
        result.push_back(row.info);
    return result;
}

bool sameName(const char *a, const char *b)
{
    return a && b && std::strcmp(a, b) == 0;
}

} // namespace

const std::vector<MenuInfo> &menus()
{
    static const std::vector<MenuInfo> table = buildMenus();
    return table;
}

const std::vector<CommandInfo> &commands()
{
    static const std::vector<CommandInfo> table = buildCommands();
    return table;
}

const std::vector<ToolButtonInfo> &toolButtons()
{
    static const std::vector<ToolButtonInfo> table = {
        {"cmdNew", "mnuFileNew", QStringLiteral("New Document (Ctrl+N)"), QStringLiteral("document-new")},
        {"cmdOpen", "mnuFileOpen", QStringLiteral("Open an Existing File (Ctrl+O)"), QStringLiteral("document-open")},
        {"cmdSave", "mnuFileSave", QStringLiteral("Save File (Ctrl+S)"), QStringLiteral("document-save")},
        {"cmdCut", "mnuEditCut", QStringLiteral("Remove Selected Text and put it to Clipboard (Ctrl+X)"),
         QStringLiteral("edit-cut")},
        {"cmdCopy", "mnuEditCopy", QStringLiteral("Copy Selected Text to Clipboard (Ctrl+C)"),
         QStringLiteral("edit-copy")},
        {"cmdPaste", "mnuEditPaste", QStringLiteral("Insert Text from Clipboard (Ctrl+V)"),
         QStringLiteral("edit-paste")},
        {"cmdUndo", "mnuEditUndo", QStringLiteral("Undo (Ctrl+Z)"), QStringLiteral("edit-undo")},
        {"cmdRedo", "mnuEditRedo", QStringLiteral("Redo (Ctrl+Shift+Z)"), QStringLiteral("edit-redo")},
        {"cmdFind", "mnuSearchFind", QStringLiteral("Search for a String (Ctrl+F)"), QStringLiteral("edit-find")},
        {"cmdReplace", "mnuSearchReplace", QStringLiteral("Search and Replace (Ctrl+R)"),
         QStringLiteral("edit-find-replace")},
        {"cmdOptions", "mnuFormatOptions", QStringLiteral("Adjust the Look and Feel of Orvane"),
         QStringLiteral("preferences-system")},
        {"cmdHelp", "mnuHelpIndex", QStringLiteral("Help Contents (F1)"), QStringLiteral("help-contents")},
    };
    return table;
}

const CommandInfo *commandInfo(const char *objectName)
{
    for (const CommandInfo &command : commands()) {
        if (sameName(command.objectName, objectName))
            return &command;
    }
    return nullptr;
}

QString templateItemName(int index)
{
    return QStringLiteral("mnuInsertTemplates1_%1").arg(index);
}

QString actionText(const CommandInfo &command)
{
    if (!command.shortcut.isEmpty())
        return command.caption + QLatin1Char('\t') + command.shortcut.toString(QKeySequence::NativeText);
    return command.caption;
}

bool isEnabled(Enable rule, const CommandState &state)
{
    switch (rule) {
    case Enable::Always: return true;
    case Enable::Selection: return state.selection;
    case Enable::Clipboard: return state.clipboardText;
    case Enable::CanUndo: return state.canUndo;
    case Enable::CanRedo: return state.canRedo;
    case Enable::Named: return state.named;
    case Enable::FileOnDisk: return state.fileOnDisk;
    case Enable::Revertible: return state.fileOnDisk && state.unsaved;
    case Enable::Closable: return state.named || state.unsaved;
    case Enable::SearchText: return state.searchText;
    case Enable::Bookmarks: return state.bookmarks;
    case Enable::SelectedLines: return state.selectedLines;
    case Enable::Highlighting: return state.highlighting;
    case Enable::Language: return state.language;
    case Enable::KeywordList: return state.keywordList;
    case Enable::LineComment: return state.lineComment;
    case Enable::Comment: return state.comment;
    }
    return true;
}

bool isEnabled(const CommandInfo &command, const CommandState &state)
{
    return !(command.changesText && state.textLocked) && isEnabled(command.enable, state);
}

bool keyRuns(const CommandInfo &command, const CommandState &state)
{
    if (command.changesText && state.textLocked)
        return false;
    return command.keyAlways || isEnabled(command.enable, state);
}

void buildMenuBar(QMenuBar *bar, QObject *actionParent)
{
    bar->setAccessibleName(QStringLiteral("Menu bar"));
    QHash<QByteArray, QMenu *> built;
    for (const MenuInfo &info : menus()) {
        QMenu *parentMenu = info.parent ? built.value(info.parent) : nullptr;
        auto *menu = new QMenu(info.caption, parentMenu ? static_cast<QWidget *>(parentMenu) : bar);
        menu->setObjectName(QLatin1String(info.objectName));
        if (!parentMenu)
            bar->addMenu(menu);
        built.insert(info.objectName, menu);
    }

    QHash<QByteArray, QAction *> actions;
    for (const CommandInfo &info : commands()) {
        QMenu *menu = built.value(info.menu);
        if (!menu)
            continue;
        if (info.separatorBefore && !menu->isEmpty())
            menu->addSeparator();
        auto *action = new QAction(actionText(info), actionParent);
        action->setObjectName(QLatin1String(info.objectName));
        action->setCheckable(info.checkable);
        action->setEnabled(false);
        menu->addAction(action);
        actions.insert(info.objectName, action);
    }

    // Submenus take their place among the items of their parent.
    for (const MenuInfo &info : menus()) {
        if (!info.parent)
            continue;
        QMenu *parentMenu = built.value(info.parent);
        QMenu *menu = built.value(info.objectName);
        QAction *before = info.before ? actions.value(info.before) : nullptr;
        const QList<QAction *> siblings = parentMenu->actions();
        const qsizetype at = before ? siblings.indexOf(before) : -1;
        if (at >= 0) {
            // Stay above the separator that opens the next group.
            if (at > 0 && siblings[at - 1]->isSeparator())
                before = siblings[at - 1];
            if (info.separatorBefore)
                parentMenu->insertSeparator(before);
            parentMenu->insertMenu(before, menu);
        } else {
            if (info.separatorBefore && !parentMenu->isEmpty())
                parentMenu->addSeparator();
            parentMenu->addMenu(menu);
        }
    }
}

QAction *findCommand(QWidget *window, const char *name)
{
    if (!window || !name)
        return nullptr;
    return window->findChild<QAction *>(QLatin1String(name));
}

QIcon toolIcon(const ToolButtonInfo &button, const QString &appFolder)
{
    QIcon fallback;
    const QString base = QDir(appFolder).filePath(QStringLiteral("icons/") + button.iconThemeName);
    for (const QString &file : {base + QStringLiteral(".png"), base + QStringLiteral("@2x.png")}) {
        if (QFileInfo::exists(file))
            fallback.addFile(file);
    }
    return QIcon::fromTheme(button.iconThemeName, fallback);
}

} // namespace CommandTable
