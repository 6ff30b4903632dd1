#include "LanguageAssist.h"

#include "ArgumentTip.h"
#include "AssistText.h"
#include "EditorSurface.h"
#include "KeywordList.h"
#include "LanguageDefinition.h"
#include "Settings.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

bool hasWord(const QString &listText)
{
    return std::any_of(listText.cbegin(), listText.cend(), [](QChar c) { return !c.isSpace(); });
}

void useToolTipColours(QWidget *widget)
{
    QPalette colours = widget->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, colours.color(group, QPalette::ToolTipBase));
        colours.setColor(group, QPalette::Window, colours.color(group, QPalette::ToolTipBase));
        colours.setColor(group, QPalette::Text, colours.color(group, QPalette::ToolTipText));
        colours.setColor(group, QPalette::WindowText, colours.color(group, QPalette::ToolTipText));
    }
    widget->setPalette(colours);
}

} // namespace

LanguageAssist::LanguageAssist(EditorSurface &surface, const Settings &settings, const LanguageDefinition &language,
                               const qint64 &loadedLength, QWidget *editor, Host &assistHost)
    : m_surface(surface)
    , m_settings(settings)
    , m_language(language)
    , m_loadedLength(loadedLength)
    , m_editor(editor)
    , m_host(assistHost)
{
    auto *scrollArea = qobject_cast<QAbstractScrollArea *>(editor);
    m_caretWidget = scrollArea ? scrollArea->viewport() : editor;
    QWidget *host = editor->parentWidget() ? editor->parentWidget() : editor;
    m_list = new KeywordList(host);
    m_tip = new ArgumentTip(host);
    useToolTipColours(m_list);
    useToolTipColours(m_tip);
    QObject::connect(m_list, &KeywordList::chosen, m_list, [this] { insertEntry(); });
    QObject::connect(m_list, &KeywordList::closeRequested, m_list, [this] { closeList(); });
    QObject::connect(m_list, &KeywordList::letterTyped, m_list, [this](const QString &letter) { typeLetter(letter); });
    if (scrollArea) {
        for (QScrollBar *bar : {scrollArea->verticalScrollBar(), scrollArea->horizontalScrollBar()})
            QObject::connect(bar, &QScrollBar::valueChanged, m_tip, [this] { followCaret(); });
    }
}

LanguageAssist::~LanguageAssist() = default;

bool LanguageAssist::hasEntries() const
{
    return hasWord(m_language.keywordListText) || hasWord(m_language.functionListText);
}

void LanguageAssist::registerCommands(const WireCommand &wire)
{
    wire("mnuSyntaxFunctionList", [this] { ShowListBox(false); });
}

void LanguageAssist::syncEntries()
{
    if (m_listedKeywords == m_language.keywordListText && m_listedFunctions == m_language.functionListText)
        return;
    m_listedKeywords = m_language.keywordListText;
    m_listedFunctions = m_language.functionListText;
    m_list->setEntries(m_language.variableListEntries());
}

LanguageAssist::LineSlice LanguageAssist::caretLine(bool beforeCaretOnly) const
{
    const int caret = m_surface.selStart();
    const int line = m_surface.getLineFromChar(caret);
    const int start = std::max(m_surface.lineIndex(line), caret - Window);
    int end = caret;
    if (!beforeCaretOnly) {
        end = line + 1 < m_surface.lineCount() ? m_surface.lineIndex(line + 1) : m_surface.textLength();
        end = std::min(end, caret + Window);
    }
    return {m_surface.textRange(start, end - start), start};
}

QFont LanguageAssist::editorFont() const
{
    const CharFormat format = m_surface.defaultFormat();
    QFont font(format.fontName);
    if (format.fontSize > 0)
        font.setPointSizeF(format.fontSize);
    return font;
}

void LanguageAssist::place(QWidget *popup) const
{
    if (!m_editor || !m_caretWidget)
        return;
    QWidget *host = popup->parentWidget();
    const QRect area(m_caretWidget->mapTo(host, QPoint(0, 0)), m_caretWidget->size());
    QSize size = popup->size();
    size = size.boundedTo(area.size()).expandedTo(QSize(1, 1));
    const QPoint caret = m_caretWidget->mapTo(host, m_surface.caretPos());
    popup->setGeometry(QRect(AssistText::popupPosition(caret, m_surface.lineHeight(), size, area), size));
}

void LanguageAssist::followCaret()
{
    if (!m_tip->isHidden())
        place(m_tip);
    if (!m_list->isHidden())
        place(m_list);
}

void LanguageAssist::ShowListBox(bool suppressShowing)
{
    hideTip();
    syncEntries();
    if (m_list->count() == 0)
        return;
    m_list->setFont(editorFont());
    m_list->resize(m_list->preferredSize(10));
    place(m_list);
    if (suppressShowing)
        return;
    m_list->show();
    m_list->raise();
    m_list->setFocus(Qt::OtherFocusReason);
    const LineSlice line = caretLine(false);
    const AssistText::Span word = AssistText::wordAt(line.text, m_surface.selStart() - line.start);
    m_surface.setTabStop(false);
    const int row = AssistText::preselection(m_list->entries(), line.text.mid(word.start, word.end - word.start));
    if (row >= 0) {
        m_list->setCurrentRow(row);
        m_list->scrollToItem(m_list->item(row), QAbstractItemView::PositionAtTop);
    }
}

void LanguageAssist::hideList()
{
    if (m_list->isHidden())
        return;
    const bool hadFocus = m_list->hasFocus();
    m_list->hide();
    m_surface.setTabStop(true);
    if (hadFocus)
        m_surface.setFocus();
}

bool LanguageAssist::listVisible() const
{
    return !m_list->isHidden();
}

void LanguageAssist::closeList()
{
    if (m_list->isHidden())
        return;
    m_list->hide();
    m_surface.setTabStop(true);
    m_surface.setFocus();
}

void LanguageAssist::insertEntry()
{
    const QListWidgetItem *item = m_list->currentItem();
    if (!item || m_list->isHidden()) {
        closeList();
        return;
    }
    QString entry = item->text().mid(2);
    if (m_settings.ForceCase)
        entry = entry.toLower();
    m_host.addHistory();
    const LineSlice line = caretLine(false);
    const AssistText::Span word = AssistText::wordAt(line.text, m_surface.selStart() - line.start);
    m_surface.setSelStart(line.start + word.start);
    m_surface.setSelLength(word.end - word.start);
    m_surface.setSelText(entry);
    closeList();
    if (m_settings.enableSyntaxHighlightning && m_language.languageActive)
        m_host.rehighlightCurrentLine();
}

void LanguageAssist::typeLetter(const QString &letter)
{
    m_surface.setSelText(letter);
    m_host.rehighlightCurrentLine();
    ShowListBox(false);
}

void LanguageAssist::showTip(bool afterClosing)
{
    hideTip();
    const FunctionHelp &help = m_language.functionHelp;
    if (!m_settings.ShowArgumentTips || !help.present() || m_loadedLength > TipSizeLimit || m_surface.selLength() >= 2
        || !m_language.languageActive)
        return;
    const LineSlice line = caretLine(true);
    const int caret = int(line.text.size());
    QString name;
    int argNo = 0;
    if (!afterClosing) {
        // Asked for as "(" is typed, before or after it lands in the document.
        const bool typed = caret > 0 && line.text.at(caret - 1) == u'(';
        name = AssistText::wordEndingAt(line.text, typed ? caret - 1 : caret);
    } else {
        const int open = AssistText::openParenthesis(line.text, m_language.stringChar);
        if (open < 0)
            return;
        name = AssistText::wordEndingAt(line.text, open);
        argNo = AssistText::getArgNo(line.text, open + 1, caret, m_language.stringChar);
    }
    if (name.isEmpty())
        return;
    const QStringList &names = help.names();
    const auto found = std::find_if(names.cbegin(), names.cend(), [&name](const QString &candidate) {
        return candidate.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (found == names.cend())
        return;
    const QString &text = help.texts().at(found - names.cbegin());
    m_tip->setLines(AssistText::tipLayout(*found, text, argNo, m_settings.ListArgumentTipsOnSinglelLine), editorFont());
    place(m_tip);
    m_tipCaret = m_surface.selStart();
    m_tip->show();
    m_tip->raise();
}

void LanguageAssist::hideTip()
{
    m_tip->hide();
}

void LanguageAssist::caretMovedByCommand()
{
    // A tip describes the call the caret was typed into; a command that took the caret elsewhere ends it.
    if (tipVisible() && m_surface.selStart() != m_tipCaret)
        hideTip();
}

bool LanguageAssist::tipVisible() const
{
    return !m_tip->isHidden();
}
