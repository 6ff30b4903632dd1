#include "HtmlCommands.h"

#include "EditorSurface.h"
#include "FileLinks.h"
#include "LanguageDefinition.h"
#include "Settings.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

int startOfLine(const EditorSurface &surface, int offset)
{
    return surface.lineIndex(surface.getLineFromChar(offset));
}

} // namespace

HtmlCommands::HtmlCommands(EditorSurface &surface, Settings &settings, const LanguageDefinition &language,
                           AuthoringHost &host)
    : m_surface(surface)
    , m_settings(settings)
    , m_language(language)
    , m_host(host)
{
}

void HtmlCommands::snapshot()
{
    m_host.addHistory();
}

void HtmlCommands::changed()
{
    m_host.markChanged();
}

void HtmlCommands::render(int start, int length)
{
    if (length > 0 && m_host.highlightingActive())
        m_host.renderRange(start + 1, length);
}

void HtmlCommands::InsertTag(const QString &startText, const QString &endName, int caretOffset)
{
    snapshot();
    const QString selected = m_surface.selText();
    const int start = m_surface.selStart();
    if (!endName.isEmpty())
        m_surface.setSelText(QLatin1Char('<') + startText + QLatin1Char('>') + selected + QStringLiteral("</")
                             + endName + QLatin1Char('>'));
    else
        m_surface.setSelText(QLatin1Char('<') + startText
                             + (m_settings.CloseEmptyTag ? QStringLiteral(" />") : QStringLiteral(">")) + selected);
    changed();
    if (caretOffset > 0) {
        m_surface.setSelStart(start + caretOffset);
        m_surface.setSelLength(0);
    } else {
        // The start tag is the first ">" from the insertion point: the former selection follows it.
        const QString head = m_surface.textRange(start, int(startText.size()) + 4);
        const int afterTag = int(head.indexOf(QLatin1Char('>')));
        m_surface.setSelStart(start + afterTag + 1);
        m_surface.setSelLength(int(selected.size()));
    }
    render(start, int(startText.size() + selected.size() + endName.size()) + 5);
}

void HtmlCommands::wrapSelection(const QString &before, const QString &after)
{
    const QString selected = m_surface.selText();
    const int start = m_surface.selStart();
    m_surface.setSelText(before + selected + after);
    changed();
    m_surface.setSelStart(start + int(before.size()));
    m_surface.setSelLength(int(selected.size()));
}

void HtmlCommands::StartTag()
{
    // A snapshot here too, so that Undo takes back this command and nothing typed before it.
    snapshot();
    wrapSelection(QStringLiteral("<"), QStringLiteral(">"));
}

void HtmlCommands::EndTag()
{
    snapshot();
    wrapSelection(QStringLiteral("</"), QStringLiteral(">"));
}

void HtmlCommands::Bold()
{
    pair(m_settings.HTMLBoldTag == 1 ? QStringLiteral("b") : QStringLiteral("strong"));
}

void HtmlCommands::Italic()
{
    pair(m_settings.HTMLItalicTag == 1 ? QStringLiteral("i") : QStringLiteral("em"));
}

void HtmlCommands::Center()
{
    if (m_settings.HTMLCenterTag == 1)
        pair(QStringLiteral("center"));
    else
        InsertTag(QStringLiteral("div align=\"center\""), QStringLiteral("div"), 0);
}

void HtmlCommands::Comment()
{
    snapshot();
    const int start = m_surface.selStart();
    const int length = m_surface.selLength();
    wrapSelection(QStringLiteral("<!--"), QStringLiteral("-->"));
    render(start, length + 8);
}

void HtmlCommands::NonBreakingSpace()
{
    snapshot();
    wrapSelection(QStringLiteral("&nbsp;"), QString());
}

QString HtmlCommands::htmlColor(OleColor color)
{
    const auto hex = [](unsigned value) { return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')); };
    return (QLatin1Char('#') + hex(color) + hex(color >> 8) + hex(color >> 16)).toUpper();
}

void HtmlCommands::InsertColor(OleColor chosen)
{
    snapshot();
    m_surface.setSelText(htmlColor(chosen));
    changed();
    m_settings.lastInsertedHTMLColor = chosen;
    if (m_host.highlightingActive())
        m_host.rehighlightCurrentLine();
}

void HtmlCommands::InsertFileLink(const QString &path)
{
    snapshot();
    const int start = m_surface.selStart();
    const QString link = MakeFileLink(path, m_surface.selText());
    m_surface.setSelText(link);
    changed();
    render(start, int(link.size()));
}

QString HtmlCommands::indentationAt(const EditorSurface &surface, int offset)
{
    const int lineStart = startOfLine(surface, offset);
    const QString before = surface.textRange(lineStart, offset - lineStart);
    int end = 0;
    while (end < before.size() && (before[end] == QLatin1Char(' ') || before[end] == QLatin1Char('\t')))
        ++end;
    return before.left(end);
}

QString HtmlCommands::tableText(int rows, int columns, int cellPadding, int cellSpacing, int border,
                                const QString &indent)
{
    const QString tab = QStringLiteral("\t");
    QString text = QStringLiteral("<table border=\"%1\" cellpadding=\"%2\" cellspacing=\"%3\">")
                       .arg(border)
                       .arg(cellPadding)
                       .arg(cellSpacing)
        + kCrLf;
    for (int row = 0; row < rows; ++row) {
        text += indent + tab + QStringLiteral("<tr>") + kCrLf;
        for (int column = 0; column < columns; ++column)
            text += indent + tab + tab + QStringLiteral("<td></td>") + kCrLf;
        text += indent + tab + QStringLiteral("</tr>") + kCrLf;
    }
    return text + indent + QStringLiteral("</table>") + kCrLf;
}

void HtmlCommands::InsertTable(int rows, int columns, int cellPadding, int cellSpacing, int border)
{
    const int start = m_surface.selStart();
    const QString indent = indentationAt(m_surface, start);
    const QString table = tableText(rows, columns, cellPadding, cellSpacing, border, indent);
    // Unlike the design's table command this one can be undone like every other insertion.
    snapshot();
    m_surface.setSelText(table);
    changed();
    const qsizetype cell = table.indexOf(QStringLiteral("<td>"));
    m_surface.setSelStart(start + int(cell < 0 ? table.size() : cell + 4));
    m_surface.setSelLength(0);
    render(start, int(table.size()));
}

QString HtmlCommands::lineCommentMarker(const LanguageDefinition &language)
{
    return language.commentMarker();
}

QString HtmlCommands::lineCommentMarker() const
{
    return m_language.languageActive ? lineCommentMarker(m_language) : QString();
}

void HtmlCommands::AddLineComment()
{
    const QString marker = lineCommentMarker();
    if (marker.isEmpty())
        return;
    snapshot();
    const int start = m_surface.selStart();
    if (m_surface.selLength() > 0) {
        m_surface.setSelColor(m_settings.fcolor);
        QString selected = m_surface.selText();
        const bool endsWithBreak = selected.endsWith(kCrLf);
        if (endsWithBreak)
            selected.chop(2);
        selected = marker + selected.replace(kCrLf, kCrLf + marker);
        m_surface.setSelText(endsWithBreak ? selected + kCrLf : selected);
        m_surface.setSelStart(start);
        m_surface.setSelLength(int(selected.size()));
        changed();
        render(start, int(selected.size()) + 1);
        return;
    }
    const int lineStart = startOfLine(m_surface, start);
    m_surface.setSelStart(lineStart);
    m_surface.setSelColor(m_settings.fcolor);
    m_surface.setSelText(marker);
    m_surface.setSelStart(start + int(marker.size()));
    changed();
    if (m_host.highlightingActive())
        m_host.rehighlightCurrentLine();
}

void HtmlCommands::RemoveLineComment()
{
    const QString marker = lineCommentMarker();
    if (marker.isEmpty())
        return;
    const int start = m_surface.selStart();
    if (m_surface.selLength() > 0) {
        const QString selected = m_surface.selText();
        QString uncommented = selected;
        uncommented.replace(kCrLf + marker, kCrLf);
        if (uncommented.startsWith(marker))
            uncommented.remove(0, marker.size());
        // Nothing to take off: no undo step and no "changed" mark for a no-op.
        if (uncommented == selected)
            return;
        snapshot();
        m_surface.setSelText(uncommented);
        m_surface.setSelStart(start);
        m_surface.setSelLength(int(uncommented.size()));
        changed();
        render(start, int(uncommented.size()) + 1);
        return;
    }
    const int lineStart = startOfLine(m_surface, start);
    if (m_surface.textRange(lineStart, int(marker.size())) != marker)
        return;
    snapshot();
    m_surface.setSelStart(lineStart);
    m_surface.setSelLength(int(marker.size()));
    m_surface.setSelText(QString());
    // A caret that stood inside the marker stays on its line.
    m_surface.setSelStart(qMax(lineStart, start - int(marker.size())));
    changed();
    if (m_host.highlightingActive())
        m_host.rehighlightCurrentLine();
}
