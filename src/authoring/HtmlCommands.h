#pragma once

#include "AuthoringHost.h"
#include "OleColor.h"

#include <QString>

class EditorSurface;
struct LanguageDefinition;
struct Settings;

// The HTML commands of the Insert menu and the line-comment commands: each one changes the
// selection of the surface and leaves a selection behind that the user can type on.
class HtmlCommands {
public:
    HtmlCommands(EditorSurface &surface, Settings &settings, const LanguageDefinition &language, AuthoringHost &host);

    // The common routine of the tag commands. An empty end name makes an empty element, put in
    // front of the selection; caretOffset > 0 puts the caret that far from the selection start,
    // else the former selection is selected again after the start tag.
    void InsertTag(const QString &startText, const QString &endName, int caretOffset);

    // One per menu item
    void StartTag();
    void EndTag();
    void Anchor() { InsertTag(QStringLiteral("a href=\"\""), QStringLiteral("a"), 9); }
    void Image() { InsertTag(QStringLiteral("img src=\"\""), QString(), 10); }
    void Bold();
    void Italic();
    void FontPlus() { InsertTag(QStringLiteral("font size=\"+1\""), QStringLiteral("font"), 0); }
    void FontMinus() { InsertTag(QStringLiteral("font size=\"-1\""), QStringLiteral("font"), 0); }
    void Blockquote() { pair(QStringLiteral("blockquote")); }
    void Break() { InsertTag(QStringLiteral("br"), QString(), 0); }
    void Center();
    void Comment();
    void HorizontalRuler() { InsertTag(QStringLiteral("hr"), QString(), 0); }
    void NonBreakingSpace();
    void Paragraph() { pair(QStringLiteral("p")); }
    void Heading(int level) { pair(QStringLiteral("h") + QString::number(level)); }

    // The chosen colour replaces the selection as #RRGGBB and is remembered for the next time.
    void InsertColor(OleColor chosen);
    // The markup for a link to the file replaces the selection.
    void InsertFileLink(const QString &path);
    // The table skeleton replaces the selection; the caret goes into the first cell.
    void InsertTable(int rows, int columns, int cellPadding, int cellSpacing, int border);

    void AddLineComment();
    void RemoveLineComment();

    // The current language's line-comment marker; empty when it has none.
    QString lineCommentMarker() const;
    static QString lineCommentMarker(const LanguageDefinition &language);
    // "#RRGGBB" of a colour stored as 0x00BBGGRR.
    static QString htmlColor(OleColor color);
    // The table text; indent is the caret line's indentation, repeated on every line but the first.
    static QString tableText(int rows, int columns, int cellPadding, int cellSpacing, int border,
                             const QString &indent);
    // The leading blanks and tabs of the line holding offset, up to offset; empty at a line's start.
    static QString indentationAt(const EditorSurface &surface, int offset);

private:
    void pair(const QString &name) { InsertTag(name, name, 0); }
    // Replaces the selection by before + selection + after and selects the former selection again.
    void wrapSelection(const QString &before, const QString &after);
    void snapshot();
    void changed();
    void render(int start, int length);

    EditorSurface &m_surface;
    Settings &m_settings;
    const LanguageDefinition &m_language;
    AuthoringHost &m_host;
};
