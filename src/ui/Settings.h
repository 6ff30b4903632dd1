#pragma once

#include "OleColor.h"
#include "PaletteColors.h"

#include <QFont>
#include <QString>
#include <QtGlobal>

#include <optional>

// Every preference of settings.ini and settings2.ini, default-constructed to the program's defaults.
// Field names follow the keys; the window placement is in twips.
struct Settings {
    struct Placement {
        bool maximized = false;          // "state" key: written when the window is maximised or minimised
        std::optional<double> top;       // unset: centred on the screen
        std::optional<double> left;
        double width = 10000;
        double height = 7000;

        bool operator==(const Placement &) const = default;
    };

    // settings.ini, in the order written
    QString Font = defaultFont().family();
    double FontSize = defaultFont().pointSizeF();
    OleColor fcolor = 0;
    OleColor BackColor = OleColors::WindowBackground;
    bool TextBold = false;
    bool TextItalic = false;
    bool AutoIndent = true;
    bool AutoBracketIndent = false;
    bool ShowLineNumbers = true;
    bool ShowCurrentLine = true;
    bool ShowToolBar = true;
    bool OpenFilesInNewWindow = true;
    bool ReloadFileAtStartup = false;
    bool OnlyMonoSpace = true;
    OleColor linenobackground = PaletteColors::GutterBack;
    OleColor linenoforeground = PaletteColors::GutterNumbers;
    OleColor currlinebackground = PaletteColors::MarkerBack;
    OleColor currlineforeground = PaletteColors::MarkerText;
    bool InsertPairs = true;
    bool HTMLCompletion = true;
    bool HomeKeyCol1 = false;
    bool IsAssociationSet = false;
    bool AlwaysOnTop = false;
    qint16 TabWidth = 4;
    bool UseSpacesInsteadOfTabs = false;
    qint32 PrinterTop = 20;
    qint32 PrinterLeft = 20;
    qint32 PrinterRight = 50;
    qint32 PrinterBottom = 50;
    bool ShowTip = true;
    qint32 CurrentTip = 0;
    bool BlinkAlert = true;
    bool DisableFileChangeDetection = false;
    bool AutoUpdateChangedFiles = false;
    qint16 HTMLBoldTag = 1;
    qint16 HTMLItalicTag = 1;
    qint16 HTMLCenterTag = 1;
    bool FormTransparent = false;
    qint16 Lucidity = 10;
    bool RegExpSearch = false;
    bool ForceCase = false;
    bool ShowArgumentTips = true;
    bool ListArgumentTipsOnSinglelLine = false;
    OleColor fcolorComment = PaletteColors::Comment;
    OleColor fcolor1 = PaletteColors::Keyword;
    OleColor fcolor2 = PaletteColors::Function;
    OleColor fcolorString = PaletteColors::String;
    OleColor fcolorNumber = PaletteColors::Number;
    bool HighLightNumbers = false;
    bool enableSyntaxHighlightning = true;
    qint32 ColorFileSizeLimit = 100000000;
    bool PromptWarningLargeFile = true;
    bool UseFolder = false;
    bool CopyAsRichText = false;
    bool AutoUnderlineBracket = true;
    bool CloseEmptyTag = false;
    bool BoldKeyWords = true;
    bool ItalicComments = true;
    bool OpenFileInThirdPartyEditor = false;
    qint32 ThirdPartyEditorSize = 500000;
    QString ThirdPartyEditorPath;
    bool ShowBlanks = false;
    qint32 EdgeColumn = 0;  // 0: no edge line
    bool ShowFoldMargin = true;

    // settings2.ini
    qint16 LastOptionViewed = 1;
    Placement placement;
    QString LastOpenedFile;
    QString InitialFolder = defaultInitialFolder();
    OleColor lastInsertedHTMLColor = 0xFFFFFF;
    bool WordWrap = false;

    bool operator==(const Settings &) const = default;

    // The user's documents folder with a trailing '/'.
    static QString defaultInitialFolder();
    // The desktop's fixed-width font at its size, at least MinimumDefaultFontSize points.
    static QFont defaultFont();
    static constexpr double MinimumDefaultFontSize = 10;
    static constexpr double SmallestFontSize = 6;
    static constexpr double LargestFontSize = 72;
};
