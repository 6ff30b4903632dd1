#include "SettingsKeys.h"

#include <array>

namespace SettingsKeys {

namespace {

using S = Settings;
constexpr Rule Plain = Rule::Plain;
constexpr Bind Edit = Bind::Plain;
constexpr Bind ByHand = Bind::Converted;

// name, field, read rule, blank before value, control, binding, reset by Defaults
const std::array<Key, 69> keys = {{
    {"Font", &S::Font, Plain, false, "cboFonts", ByHand, true},
    {"FontSize", &S::FontSize, Rule::FontSize, false, "cboSize", ByHand, true},
    {"ForeColor", &S::fcolor, Rule::ForeColor, false, "picForeColor", Edit, true},
    {"BackColor", &S::BackColor, Rule::BackColor, false, "picBackGround", Edit, true},
    {"FontBold", &S::TextBold, Plain, false, "chkBold", Edit, true},
    {"FontItalic", &S::TextItalic, Plain, false, "chkItalic", Edit, true},
    {"AutoIndent", &S::AutoIndent, Plain, false, "chkAutoIndent", Edit, true},
    {"AutoBracketIndent", &S::AutoBracketIndent, Plain, false, "chkAutoBracketIndent", Edit, true},
    {"ShowLineNumbers", &S::ShowLineNumbers, Plain, false, "chkShowLineNumber", Edit, true},
    {"ShowCurrentLine", &S::ShowCurrentLine, Plain, false, "chkHighlightLine", Edit, true},
    {"ShowToolBar", &S::ShowToolBar, Plain, false, "chkShowToolbar", Edit, true},
    {"OpenFilesInNewWindow", &S::OpenFilesInNewWindow, Plain, false, "chkOpenFilesInNewWindow", Edit, true},
    {"ReloadFileAtStartup", &S::ReloadFileAtStartup, Plain, false, "chkReloadFileAtStartup", Edit, true},
    {"OnlyMonoSpace", &S::OnlyMonoSpace, Plain, false, "chkMonoSpace", Edit, false},
    {"linenobackground", &S::linenobackground, Plain, false, "picLineNoBackground", Edit, true},
    {"linenoforeground", &S::linenoforeground, Plain, false, "picLineNoForeground", Edit, true},
    {"currlinebackground", &S::currlinebackground, Plain, false, "picCurrLineNoBackground", Edit, true},
    {"currlineforeground", &S::currlineforeground, Plain, false, "picCurrLineNoForeground", Edit, true},
    {"InsertPairs", &S::InsertPairs, Plain, false, "chkInsertPairs", Edit, true},
    {"HTMLCompletion", &S::HTMLCompletion, Plain, false, "chkHTML", Edit, true},
    {"HomeKeyCol1", &S::HomeKeyCol1, Plain, false, "chkHomeKey", Edit, true},
    {"IsAssociationSet", &S::IsAssociationSet},
    {"alwaysontop", &S::AlwaysOnTop, Plain, false, "chkAlwaysOnTop", Edit, true},
    {"TabWidth", &S::TabWidth, Rule::ClampTabWidth, false, "txtTabWidth", Edit, true},
    {"UseSpacesInsteadOfTabs", &S::UseSpacesInsteadOfTabs, Plain, false, "chkUseSpacesInsteadOfTabs", Edit, true},
    {"PrinterTop", &S::PrinterTop, Rule::Fallback},
    {"PrinterLeft", &S::PrinterLeft, Rule::Fallback, true},
    {"PrinterRight", &S::PrinterRight, Rule::Fallback},
    {"PrinterBottom", &S::PrinterBottom, Rule::Fallback},
    {"ShowTip", &S::ShowTip, Plain, false, "chkShowTip", Edit, true},
    {"CurrentTip", &S::CurrentTip, Rule::Fallback},
    {"BlinkAlert", &S::BlinkAlert, Plain, false, "chkBlinkAlert", Edit, true},
    {"DisableFileChangeDetection", &S::DisableFileChangeDetection, Plain, false, "chkDisableFileChangeDetection", Edit,
     true},
    {"AutoUpdateChangedFiles", &S::AutoUpdateChangedFiles, Plain, false, "chkAutoUpdateChangedFiles", Edit, true},
    {"HTMLBoldTag", &S::HTMLBoldTag, Plain, false, "cboBold", ByHand, false},
    {"HTMLItalicTag", &S::HTMLItalicTag, Plain, false, "cboItalic", ByHand, false},
    {"HTMLCenterTag", &S::HTMLCenterTag, Plain, false, "cboCenter", ByHand, false},
    {"FormTransparent", &S::FormTransparent, Plain, false, "chkTransparent", Edit, true},
    {"Lucidity", &S::Lucidity, Plain, false, "txtTrans", Edit, true},
    {"RegExpSearch", &S::RegExpSearch},
    {"ForceCase", &S::ForceCase, Plain, false, "chkForceCase", Edit, true},
    {"ShowArgumentTips", &S::ShowArgumentTips, Plain, false, "chkShowArguments", Edit, true},
    {"ListArgumentTipsOnSinglelLine", &S::ListArgumentTipsOnSinglelLine},
    {"fcolorComment", &S::fcolorComment, Plain, false, "picFcolorComments", Edit, true},
    {"fcolor1", &S::fcolor1, Plain, false, "picFcolor1", Edit, true},
    {"fcolor2", &S::fcolor2, Plain, false, "picFcolor2", Edit, true},
    {"fcolorString", &S::fcolorString, Plain, false, "picFColorString", Edit, true},
    {"fcolorNumber", &S::fcolorNumber, Plain, false, "picFcolorNumbers", Edit, false},
    {"HighLightNumbers", &S::HighLightNumbers, Plain, false, "chkHighlightNumbers", Edit, true},
    {"enablesyntaxhighlightning", &S::enableSyntaxHighlightning, Plain, false, "chkEnableSyntaxHighlight", Edit, true},
    {"ColorFileSizeLimit", &S::ColorFileSizeLimit, Plain, false, "txtColorFileSizeLimit", Edit, false},
    {"PromptWarningLargeFile", &S::PromptWarningLargeFile, Plain, false, "chkPromptWarningLargeFile", Edit, false},
    {"UseFolder", &S::UseFolder, Plain, false, "chkUseThisFolder", Edit, false},
    {"CopyAsRichText", &S::CopyAsRichText, Plain, false, "chkCopyAsRichText", Edit, true},
    {"AutoUnderlineBracket", &S::AutoUnderlineBracket, Plain, false, "chkAutoUnderlineBracket", Edit, false},
    {"CloseEmptyTag", &S::CloseEmptyTag, Plain, false, "chkCloseEmptyTag", Edit, false},
    {"BoldKeyWords", &S::BoldKeyWords, Plain, false, "chkBoldKeywords", Edit, false},
    {"ItalicComments", &S::ItalicComments, Plain, false, "chkItalicComment", Edit, false},
    {"OpenFileInThirdPartyEditor", &S::OpenFileInThirdPartyEditor, Plain, false, "chkThirdPartyEditor", Edit, true},
    {"ThirdPartyEditorSize", &S::ThirdPartyEditorSize, Plain, false, "txtThirdPartySize", ByHand, true},
    {"ThirdPartyEditorPath", &S::ThirdPartyEditorPath, Plain, false, "txtThirdPartyEditorPath", Edit, true},
    {"ShowBlanks", &S::ShowBlanks},
    {"EdgeColumn", &S::EdgeColumn, Rule::Fallback},
    {"ShowFoldMargin", &S::ShowFoldMargin},
    // settings2.ini
    {"lastoptionviewed", &S::LastOptionViewed},
    {"LastOpenedFile", &S::LastOpenedFile},
    {"InitialFolder", &S::InitialFolder, Plain, false, "txtInitialFolder", Edit, false},
    {"lastInsertedHTMLColor", &S::lastInsertedHTMLColor},
    {"WordWrap", &S::WordWrap},
}};

constexpr std::size_t settings2Count = 5;

} // namespace

std::span<const Key> all()
{
    return keys;
}

std::span<const Key> settingsFile()
{
    return all().first(keys.size() - settings2Count);
}

std::span<const Key> settings2File()
{
    return all().last(settings2Count);
}

void copy(const Key &key, const Settings &from, Settings &to)
{
    std::visit([&](auto member) { to.*member = from.*member; }, key.field);
}

} // namespace SettingsKeys
