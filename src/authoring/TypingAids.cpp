#include "TypingAids.h"

#include "CommandTable.h"
#include "EditorSurface.h"
#include "FileIO.h"
#include "LanguageDefinition.h"
#include "Settings.h"
#include "TypingHost.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The key that carries 3 on the main row: with Shift held most layouts report the symbol above it.
bool isThreeKey(int key)
{
    return key == Qt::Key_3 || key == Qt::Key_NumberSign || key == Qt::Key_section || key == Qt::Key_sterling;
}

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

int leadingBlanks(QStringView line)
{
    int n = 0;
    while (n < line.size() && (line[n] == QLatin1Char(' ') || line[n] == QLatin1Char('\t')))
        ++n;
    return n;
}

} // namespace

TypingAids::TypingAids(EditorSurface &surface, Settings &settings, TypingHost &host)
    : m_surface(surface), m_settings(settings), m_host(host)
{
}

bool TypingAids::keyDown(int key, int shift)
{
    const bool ctrl = shift & CtrlMask;
    const bool alt = shift & AltMask;
    const bool shifted = shift & ShiftMask;
    const bool records = m_host.historyRecords();

    m_snapshotTaken = false;
    m_host.keyDownSeen();
    m_host.hideList();
    if (m_host.historyEmpty() && takesSnapshotFirst(key, shift, false))
        snapshot();

    if (shift == 0 && ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)))
        return false;
    if (ctrl && alt && shifted)
        return ctrlAltShiftKey(key);

    if (isEnter(key) && shift == 0)
        m_host.rehighlightOnEnter(key, shift);

    if (shift == CtrlMask) {
        const auto scroll = [this](ScrollKind kind) {
            m_surface.scroll(kind);
            return true;
        };
        switch (key) {
        case Qt::Key_Down: return scroll(ScrollKind::LineDown);
        case Qt::Key_Up: return scroll(ScrollKind::LineUp);
        case Qt::Key_PageDown: return scroll(ScrollKind::PageDown);
        case Qt::Key_PageUp: return scroll(ScrollKind::PageUp);
        default: break;
        }
    }
    if (key == Qt::Key_Home || key == Qt::Key_End || isEnter(key) || key == Qt::Key_Up || key == Qt::Key_Down
        || (key == Qt::Key_Escape && shift == 0))
        m_host.hideTip();
    if (key == Qt::Key_Escape && shift == 0)
        m_surface.setSelLength(0);

    if (shortcutKey(key, shift))
        return true;

    if (key == Qt::Key_Home && (shift == 0 || shift == ShiftMask) && m_surface.selectionCount() == 1) {
        if (m_settings.HomeKeyCol1)
            lineStartHome(shifted);
        else
            smartHome(shifted);
        return true;
    }

    // A document loaded too large for snapshots gets the aids all the same, only without undo steps.
    if (records) {
        const bool command = ctrl && !alt;
        const bool deletesSelection = key == Qt::Key_Delete && !command && m_surface.selLength() > 0;
        if (deletesSelection || takesSnapshotFirst(key, shift, true))
            snapshot();
        if (deletesSelection)
            return false;
    }
    if (key == Qt::Key_Insert && shift == 0) {
        m_host.setOverwrite(!m_host.overwrite());
        return true;
    }
    if (m_host.overwrite()) {
        m_host.refreshBlockCaret();
        return false;
    }
    // Several carets: the aids that make sense at each act at each; the others leave the widget
    // to type at every caret rather than change the main caret's line only.
    if (m_surface.selectionCount() > 1)
        return severalCaretsKey(key, shift);

    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && !ctrl) {
        const int start = m_surface.selStart();
        const int end = start + m_surface.selLength();
        if (m_surface.getLineFromChar(start) != m_surface.getLineFromChar(end)) {
            blockIndent(shifted || key == Qt::Key_Backtab);
            return true;
        }
        if (m_host.indentStyle().spaces && !shifted && key == Qt::Key_Tab) {
            m_surface.setSelText(indentUnit());
            return true;
        }
        return false;
    }

    if (key == Qt::Key_Space && shift == CtrlMask) {
        m_host.showList();
        return true;
    }

    if (isEnter(key) && !ctrl && !alt && m_settings.AutoIndent) {
        m_surface.setSelText(QStringLiteral("\r\n") + indentationBeforeCaret());
        return true;
    }
    return false;
}

// Typing is undone in steps. With an empty history the first key that changes text takes one
// (movement and modifier keys change nothing: a snapshot would only drop the redo records); after
// that, every word and line break does, and so do Ctrl+Backspace and Ctrl+Delete, which delete words.
bool TypingAids::takesSnapshotFirst(int key, int shift, bool wordSteps)
{
    const bool command = (shift & CtrlMask) && !(shift & AltMask);
    const bool deletes = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    const bool editKey = key == Qt::Key_Tab || key == Qt::Key_Backtab || isEnter(key) || key == Qt::Key_Space;
    if (!wordSteps)
        return deletes || (!command && (editKey || (key > 0 && key < Qt::Key_Escape)));
    return (!command && (editKey || key == Qt::Key_Backspace)) || (command && deletes);
}

// One snapshot per key at most: a key that starts the history and then runs an aid is one undo step.
void TypingAids::snapshot()
{
    if (m_snapshotTaken || !m_host.historyRecords())
        return;
    m_host.addHistory();
    m_snapshotTaken = true;
}

bool TypingAids::ctrlAltShiftKey(int key)
{
    if (isThreeKey(key)) {
        m_host.l33tCaptions();
        return true;
    }
    switch (key) {
    case Qt::Key_A: toggle(m_settings.AutoIndent, QStringLiteral("Auto Indent set to ")); return true;
    case Qt::Key_S: toggle(m_settings.AutoBracketIndent, QStringLiteral("Smart Indent set to ")); return true;
    case Qt::Key_H: toggle(m_settings.HTMLCompletion, QStringLiteral("HTML/XML Auto Completion set to ")); return true;
    case Qt::Key_P: toggle(m_settings.InsertPairs, QStringLiteral("Insert Pairs set to ")); return true;
    default: return false;
    }
}

void TypingAids::toggle(bool &setting, const QString &hintPrefix)
{
    setting = !setting;
    m_host.settingsToggled();
    if (!hintPrefix.isEmpty())
        m_host.showHint(hintPrefix + onOff(setting));
}

// The keys of the handler's table that no window command owns (the commands' keys never get here).
bool TypingAids::shortcutKey(int key, int shift)
{
    if (key == Qt::Key_Menu) {
        m_host.popUpEditMenu();
        return true;
    }
    if (key == Qt::Key_CapsLock) {
        m_host.capsLockPressed();
        return false;
    }
    // The widget's own meaning of these (line cut, paste variants) would change text unrecorded.
    return shift == (CtrlMask | ShiftMask) && (key == Qt::Key_V || key == Qt::Key_L);
}

int TypingAids::keyPress(int character)
{
    if (m_surface.selectionCount() > 1)
        return severalCaretsPress(character);
    if (character == '(')
        m_host.showTip(false);
    else if (character == ')')
        m_host.showTip(true);

    // Typing the closing partner in front of itself steps over it, so that a pair typed in full stays one pair.
    if (m_settings.InsertPairs && (character == ')' || character == ']' || character == '"')
        && m_surface.selLength() == 0) {
        const int caret = m_surface.selStart();
        if (m_surface.textRange(caret, 1) == QString(QChar(character))) {
            m_surface.setSelStart(caret + 1);
            return 0;
        }
    }
    if (m_settings.InsertPairs && (character == '{' || character == '[' || character == '(' || character == '"')) {
        switch (character) {
        case '{':
            m_host.hideTip();
            if (m_settings.AutoBracketIndent)
                smartBrace();
            else
                insertPair(QStringLiteral("{"), QStringLiteral("}"));
            break;
        case '[': insertPair(QStringLiteral("["), QStringLiteral("]")); break;
        case '(': insertPair(QStringLiteral("("), QStringLiteral(")")); break;
        default: insertPair(QStringLiteral("\""), QStringLiteral("\"")); break;
        }
        m_host.showHint(QStringLiteral("Insert Pairs feature is ON, you can disable this in the Options dialog"));
        return 0;
    }
    if (m_settings.HTMLCompletion && character == '>' && m_host.markupDocument()) {
        m_host.showHint(QStringLiteral("HTML/XML Autocompletion is ON, you can disable this in the Options dialog"));
        if (completeTag())
            return 0;
    }
    return character;
}

void TypingAids::keyUp(int key, int shift)
{
    m_host.rehighlightOnKeyUp(key, shift);
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Comma)
        m_host.showTip(true);
    if (key == Qt::Key_CapsLock)
        m_host.capsLockReleased();
    if (m_host.overwrite())
        m_host.refreshBlockCaret();
    m_host.caretMoved(shift);
}

QString TypingAids::indentUnit() const
{
    return m_host.indentStyle().unit();
}

QString TypingAids::indentationBeforeCaret() const
{
    return indentationBefore(m_surface.selStart());
}

QString TypingAids::indentationBefore(int caret) const
{
    const int lineStart = m_surface.lineIndex(m_surface.getLineFromChar(caret));
    if (lineStart >= caret)
        return {};
    const QString before = m_surface.textRange(lineStart, caret - lineStart);
    return before.left(leadingBlanks(before));
}

void TypingAids::smartHome(bool extend)
{
    const int caret = m_surface.selStart();
    const int line = m_surface.getLineFromChar(caret);
    const int lineStart = m_surface.lineIndex(line);
    // Only the blanks are read, in pieces: a line may be very long.
    int firstText = lineStart;
    const int length = m_surface.textLength();
    for (;;) {
        const QString piece = m_surface.textRange(firstText, std::min(256, length - firstText));
        const int blanks = leadingBlanks(piece);
        firstText += blanks;
        if (blanks < piece.size() || piece.isEmpty())
            break;
    }
    moveHome(caret == firstText ? lineStart : firstText, extend);
}

void TypingAids::lineStartHome(bool extend)
{
    moveHome(m_surface.lineIndex(m_surface.getLineFromChar(m_surface.selStart())), extend);
}

void TypingAids::moveHome(int target, bool extend)
{
    const int end = m_surface.selStart() + m_surface.selLength();
    m_surface.setSelStart(extend ? std::min(target, end) : target);
    if (extend)
        m_surface.setSelLength(std::abs(end - target));
}

QString TypingAids::shiftLines(const QString &block, bool outdent, const QString &unit, int tabWidth)
{
    QString out;
    out.reserve(block.size() + (outdent ? 0 : unit.size() * (block.count(QLatin1Char('\n')) + 1)));
    qsizetype from = 0;
    while (from < block.size()) {
        qsizetype next = block.indexOf(QLatin1Char('\n'), from);
        next = next < 0 ? block.size() : next + 1;
        const QStringView line = QStringView(block).mid(from, next - from);
        if (!outdent) {
            out += unit;
            out += line;
        } else {
            qsizetype drop = 0;
            if (line.startsWith(QLatin1Char('\t')))
                drop = 1;
            else
                while (drop < std::max(1, tabWidth) && drop < line.size() && line[drop] == QLatin1Char(' '))
                    ++drop;
            out += line.mid(drop);
        }
        from = next;
    }
    return out;
}

void TypingAids::blockIndent(bool outdent)
{
    const int start = m_surface.selStart();
    const int end = start + m_surface.selLength();
    const int firstLine = m_surface.getLineFromChar(start);
    const int lastLine = m_surface.getLineFromChar(end);
    const int blockStart = m_surface.lineIndex(firstLine);
    int blockEnd = end;
    // A selection that ends at the start of a line leaves that line alone.
    if (m_surface.lineIndex(lastLine) != end) {
        const int lastStart = m_surface.lineIndex(lastLine);
        const int nextStart = lastLine + 1 < m_surface.lineCount() ? m_surface.lineIndex(lastLine + 1)
                                                                   : m_surface.textLength();
        QString last = m_surface.textRange(lastStart, nextStart - lastStart);
        int trimmed = int(last.size());
        while (trimmed > 0 && (last[trimmed - 1] == QLatin1Char('\n') || last[trimmed - 1] == QLatin1Char('\r')))
            --trimmed;
        blockEnd = lastStart + trimmed;
    }
    const QString block = m_surface.textRange(blockStart, blockEnd - blockStart);
    const IndentStyle style = m_host.indentStyle();
    const QString shifted = shiftLines(block, outdent, style.unit(), style.width);
    m_surface.setSelStart(blockStart);
    m_surface.setSelLength(blockEnd - blockStart);
    m_surface.setSelText(shifted);
    m_surface.setSelStart(blockStart);
    m_surface.setSelLength(int(shifted.size()));
    m_host.afterBlockIndent(blockStart, int(shifted.size()));
}

void TypingAids::smartBrace()
{
    snapshot();
    const QString selected = m_surface.selText();
    const QString indent = indentationBeforeCaret();
    const int start = m_surface.selStart();
    const QString head = QStringLiteral("{\r\n") + indent + indentUnit() + selected;
    m_surface.setSelText(head + QStringLiteral("\r\n") + indent + QLatin1Char('}'));
    m_surface.setSelStart(start + int(head.size()));
}

void TypingAids::insertPair(const QString &open, const QString &close)
{
    snapshot();
    const QString selected = m_surface.selText();
    const int start = m_surface.selStart();
    m_surface.setSelText(open + selected + close);
    m_surface.setSelStart(start + int(open.size()));
    m_surface.setSelLength(int(selected.size()));
}

bool TypingAids::completeTag()
{
    const int caret = m_surface.selStart();
    const int lineStart = m_surface.lineIndex(m_surface.getLineFromChar(caret));
    const QString name = closeTagName(m_surface.textRange(lineStart, caret - lineStart));
    if (name.isEmpty() || m_ignore.contains(name.toLower()))
        return false;
    snapshot();
    m_surface.setSelText(QStringLiteral("></") + name + QLatin1Char('>'));
    m_surface.setSelStart(caret + 1);
    return true;
}

bool TypingAids::tagsAreMarkup(const LanguageDefinition &language, const QString &path)
{
    if (language.languageActive)
        return language.markup;
    static const QStringList markupExtensions{
        QStringLiteral("html"), QStringLiteral("htm"), QStringLiteral("xhtml"), QStringLiteral("shtml"),
        QStringLiteral("xml"),  QStringLiteral("xsl"), QStringLiteral("xslt"),  QStringLiteral("xsd"),
        QStringLiteral("svg"),  QStringLiteral("rss"), QStringLiteral("atom"),  QStringLiteral("xul"),
        QStringLiteral("plist"), QStringLiteral("kml"), QStringLiteral("gpx"), QStringLiteral("ui"),
        QStringLiteral("qrc"),  QStringLiteral("vue")};
    return markupExtensions.contains(QFileInfo(path).suffix().toLower());
}

QString TypingAids::closeTagName(QStringView text)
{
    const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
    if (open < 0)
        return {};
    for (const QLatin1StringView after : {QLatin1StringView("\n"), QLatin1StringView(">"), QLatin1StringView("\t"),
                                          QLatin1StringView("/"), QLatin1StringView("<?"), QLatin1StringView("<!"),
                                          QLatin1StringView("<%")}) {
        if (text.lastIndexOf(after) >= open)
            return {};
    }
    const QStringView rest = text.mid(open + 1);
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    return (blank < 0 ? rest : rest.left(blank)).toString();
}

void TypingAids::AddIgnoreElements(const QString &path)
{
    m_ignore.clear();
    // Through the program files' reader: a pipe in its place must not block the window.
    const auto bytes = FileIO::readAll(path);
    if (!bytes)
        return;
    const QString text = QString::fromLatin1(*bytes);
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QString name = line.trimmed().toString().toLower();
        if (!name.isEmpty())
            m_ignore << name;
    }
}

void TypingAids::ToggleAutoIndent()
{
    toggle(m_settings.AutoIndent, {});
}

void TypingAids::ToggleSmartIndent()
{
    toggle(m_settings.AutoBracketIndent, {});
}

void TypingAids::ToggleInsertPairs()
{
    toggle(m_settings.InsertPairs, {});
}

void TypingAids::ToggleHTMLCompletion()
{
    toggle(m_settings.HTMLCompletion, {});
}

void TypingAids::refreshToolsMenu(QWidget *window) const
{
    const std::pair<const char *, bool> marks[] = {{"mnuToolsAutoIndet", m_settings.AutoIndent},
                                                   {"mnuToolsSmartIndent", m_settings.AutoBracketIndent},
                                                   {"mnuToolsInsertPairs", m_settings.InsertPairs},
                                                   {"mnuToolsAutoCompleteHTML", m_settings.HTMLCompletion}};
    for (const auto &[name, on] : marks) {
        if (QAction *action = CommandTable::findCommand(window, name))
            action->setChecked(on);
    }
}

void TypingAids::registerCommands(const WireCommand &wire, QWidget *window)
{
    wire("mnuToolsAutoIndet", [this] { ToggleAutoIndent(); });
    wire("mnuToolsSmartIndent", [this] { ToggleSmartIndent(); });
    wire("mnuToolsInsertPairs", [this] { ToggleInsertPairs(); });
    wire("mnuToolsAutoCompleteHTML", [this] { ToggleHTMLCompletion(); });
    if (QMenu *tools = window->findChild<QMenu *>(QStringLiteral("mnuTools")))
        QObject::connect(tools, &QMenu::aboutToShow, tools, [this, window] { refreshToolsMenu(window); });
    refreshToolsMenu(window);
}

bool TypingAids::severalCaretsKey(int key, int shift)
{
    using Edit = EditorSurface::SelectionEdit;
    if (isEnter(key) && !(shift & (CtrlMask | AltMask)) && m_settings.AutoIndent) {
        m_surface.editEachSelection([this](int start, int) {
            const QString text = QStringLiteral("\r\n") + indentationBefore(start);
            return Edit{text, int(text.size()), 0};
        });
        return true;
    }
    if (key == Qt::Key_Tab && shift == 0 && m_host.indentStyle().spaces) {
        const QString unit = indentUnit();
        m_surface.editEachSelection([&unit](int, int) { return Edit{unit, int(unit.size()), 0}; });
        return true;
    }
    return false;
}

int TypingAids::severalCaretsPress(int character)
{
    using Edit = EditorSurface::SelectionEdit;
    const QChar typed(character);
    const bool opens = m_settings.InsertPairs
        && (character == '{' || character == '[' || character == '(' || character == '"');
    const bool closes = m_settings.InsertPairs && (character == ')' || character == ']' || character == '"');
    if (opens || closes) {
        if (opens)
            snapshot();
        const QString open(typed);
        const QString close = character == '{' ? QStringLiteral("}") : character == '[' ? QStringLiteral("]")
                            : character == '(' ? QStringLiteral(")") : QStringLiteral("\"");
        const bool brace = character == '{' && m_settings.AutoBracketIndent;
        const QString unit = indentUnit();
        m_surface.editEachSelection([&](int start, int length) {
            // Each caret in front of the partner steps over it, as a single caret does.
            if (closes && length == 0 && m_surface.textRange(start, 1) == open)
                return Edit{{}, 1, 0, true};
            if (!opens)
                return Edit{open, 1, 0};
            const QString selected = m_surface.textRange(start, length);
            if (brace) {
                const QString indent = indentationBefore(start);
                const QString head = QStringLiteral("{\r\n") + indent + unit + selected;
                return Edit{head + QStringLiteral("\r\n") + indent + QLatin1Char('}'), int(head.size()), 0};
            }
            return Edit{open + selected + close, int(open.size()), int(selected.size())};
        });
        if (opens)
            m_host.showHint(QStringLiteral("Insert Pairs feature is ON, you can disable this in the Options dialog"));
        return 0;
    }
    if (m_settings.HTMLCompletion && character == '>' && m_host.markupDocument()) {
        m_host.showHint(QStringLiteral("HTML/XML Autocompletion is ON, you can disable this in the Options dialog"));
        const auto nameAt = [this](int caret) {
            const int lineStart = m_surface.lineIndex(m_surface.getLineFromChar(caret));
            const QString name = closeTagName(m_surface.textRange(lineStart, caret - lineStart));
            return m_ignore.contains(name.toLower()) ? QString() : name;
        };
        snapshot();
        m_surface.editEachSelection([&](int start, int) {
            const QString name = nameAt(start);
            const QString text = name.isEmpty() ? QStringLiteral(">") : QStringLiteral("></") + name + QLatin1Char('>');
            return Edit{text, 1, 0};
        });
        return 0;
    }
    return character;
}
