#include "TransformCommands.h"

#include "DocumentIndent.h"
#include "EditCommands.h"
#include "EditorSurface.h"
#include "Encoders.h"
#include "LineSort.h"
#include "Prompter.h"
#include "Settings.h"
#include "TextStatistics.h"
#include "TextToHtml.h"
#include "TextTransforms.h"

#include <QApplication>

TransformCommands::TransformCommands(CommandContext &context)
    : m_context(context)
    , m_lines(context)
    , m_view(context)
{
}

void TransformCommands::transformText(Scope scope, const std::function<QString(const QString &)> &f)
{
    EditorSurface &s = m_context.surface();
    const int start = s.selStart();
    const int length = s.selLength();
    m_context.addHistory();
    if (scope == Scope::Selection || (scope == Scope::SelectionOrText && length > 0)) {
        s.setSelText(f(s.selText()));
    } else {
        const QString changed = f(s.text());
        s.setVisible(false);
        s.setText(changed);
        s.setVisible(true);
        // The whole-text commands keep the selection as numbers, though the text changed length.
        s.setSelStart(start);
        s.setSelLength(length);
    }
    m_context.textChanged();
}

void TransformCommands::transformAndRefresh(const std::function<QString(const QString &)> &f)
{
    transformText(Scope::SelectionOrText, f);
    if (m_context.highlightingActive())
        m_context.renderDocument();
}

void TransformCommands::ChangeCase(const std::function<QString(const QString &)> &f)
{
    EditorSurface &s = m_context.surface();
    if (s.selLength() == 0)
        return;
    const int start = s.selStart();
    const int length = s.selLength();
    transformText(Scope::Selection, f);
    s.setSelStart(start);
    s.setSelLength(length);
    if (m_context.highlightingActive())
        m_context.renderRange(start + 1, length);
}

void TransformCommands::ChangeIndent(bool add)
{
    EditorSurface &s = m_context.surface();
    if (EditCommands::selectionHasInnerLineBreak(s)) {
        const int start = s.selStart();
        const IndentStyle style = m_context.indentation().style(m_context.settings());
        const QString indent = style.unit();
        // One level out: a tab, or as many blanks as one level of the document's indentation.
        const int blanks = style.spaces ? style.width : 1;
        transformText(Scope::Selection, [add, &indent, blanks](const QString &t) {
            return add ? TextTransforms::AddIndentToLines(t, indent) : TextTransforms::RemoveIndentFromLines(t, blanks);
        });
        const int end = s.selStart();
        s.setSelStart(start);
        s.setSelLength(end - start);
    }
    if (m_context.highlightingActive())
        m_context.renderRange(s.selStart() + 1, s.selLength());
}

void TransformCommands::SortLines(bool ascending)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EditorSurface &s = m_context.surface();
    m_context.addHistory();
    const QString sorted = LineSort::SortLines(s.text(), ascending ? LineSort::SortOrder::Ascending
                                                                   : LineSort::SortOrder::Descending);
    s.setVisible(false);
    s.setText(sorted);
    s.setTabStops(m_context.settings().TabWidth * 4);
    s.setVisible(true);
    s.setSelStart(0);
    m_context.textChanged();
    QApplication::restoreOverrideCursor();
}

void TransformCommands::WordCount()
{
    TextStatistics::Statistics statistics = TextStatistics::Measure(m_context.surface().text());
    statistics.lines = m_context.surface().lineCount();
    askUser(m_context.window(), TextStatistics::StatisticsText(statistics), QStringLiteral("Orvane"), QMessageBox::Ok,
            QMessageBox::Information);
}

void TransformCommands::ToggleWordWrap()
{
    Settings &settings = m_context.settings();
    settings.WordWrap = !m_context.surface().wordWrap();
    m_context.surface().setWordWrap(settings.WordWrap);
    m_context.refreshView();
}

void TransformCommands::ConvertTextToHTML()
{
    const QString path = m_context.path();
    transformText(Scope::WholeText, [path](const QString &t) { return TextToHtml::TextToHTML(t, path); });
    m_context.surface().setTabStops(m_context.settings().TabWidth * 4);
}

void TransformCommands::registerCommands(const WireCommand &wire)
{
    const Settings &settings = m_context.settings();
    const TextEncoding &encoding = m_context.encoding();
    const auto caseCommand = [this](QString (*f)(QStringView)) {
        return [this, f] { ChangeCase([f](const QString &t) { return f(t); }); };
    };
    wire("mnuFormatToUpperCase", caseCommand(&TextTransforms::ToUpperCase));
    wire("mnuFormatToLowerCase", caseCommand(&TextTransforms::ToLowerCase));
    wire("mnuFormatCapitalize", caseCommand(&TextTransforms::Capitalize));
    wire("mnuFormatInvertCase", caseCommand(&TextTransforms::InvertCase));
    wire("mnuFormatAddIndent", [this] { ChangeIndent(true); });
    wire("mnuFormatRemoveIndent", [this] { ChangeIndent(false); });
    wire("mnuFormatTabsToSpaces", [this, &settings] {
        transformAndRefresh([&settings](const QString &t) { return TextTransforms::TabsToSpaces(t, settings.TabWidth); });
    });
    wire("mnuFormatSpacesToTabs", [this, &settings] {
        transformAndRefresh([&settings](const QString &t) { return TextTransforms::SpacesToTabs(t, settings.TabWidth); });
    });
    wire("mnuFormatTrimTrailngSpaces", [this] {
        transformAndRefresh([](const QString &t) { return TextTransforms::TrimTrailingBlanks(t); });
    });
    wire("mnuFormatWordWrap", [this] { ToggleWordWrap(); });
    wire("mnuToolsURLEncode", [this] {
        transformText(Scope::SelectionOrText, [](const QString &t) { return Encoders::URLEncode(t); });
    });
    wire("mnuToolsURLDecode", [this, &encoding] {
        transformText(Scope::SelectionOrText, [&encoding](const QString &t) { return Encoders::URLDecode(t, encoding); });
    });
    wire("mnuToolsBase64Encode", [this, &encoding] {
        transformText(Scope::SelectionOrText, [&encoding](const QString &t) { return Encoders::Base64Encode(t, encoding); });
        m_context.surface().setTabStops(m_context.settings().TabWidth * 4);
    });
    wire("mnuToolsBase64Decode", [this, &encoding] {
        transformText(Scope::SelectionOrText, [&encoding](const QString &t) { return Encoders::Base64Decode(t, encoding); });
        m_context.surface().setTabStops(m_context.settings().TabWidth * 4);
    });
    wire("mnuToolsl33t", [this] { transformText(Scope::WholeText, [](const QString &t) { return Encoders::ToL33t(t); }); });
    wire("mnuToolsPlain", [this] { transformText(Scope::WholeText, [](const QString &t) { return Encoders::FromL33t(t); }); });
    wire("mnuToolsSortLines", [this] { SortLines(true); });
    wire("mnuToolsSortLinesDec", [this] { SortLines(false); });
    wire("mnuToolsWordCount", [this] { WordCount(); });
    wire("mnuToolsConvertTextToHTML", [this] { ConvertTextToHTML(); });
    m_lines.registerCommands(wire);
    m_view.registerCommands(wire);
}
