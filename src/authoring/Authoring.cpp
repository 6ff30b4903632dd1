#include "Authoring.h"

#include "CommandTable.h"
#include "FileFilters.h"
#include "LiveHighlighter.h"
#include "Prompter.h"
#include "Settings.h"
#include "frmHTMLTable.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace {

// The same filter list as the Open dialog, as display texts; the dialog adds the patterns.
QString fileFilter()
{
    return FileFilters::documentFiles();
}

} // namespace

// The window's command context and the live colouring, as the authoring commands use them.
class Authoring::ContextHost : public AuthoringHost {
public:
    ContextHost(CommandContext &context, LiveHighlighter &live) : m_context(context), m_live(live) {}
    void addHistory() override { m_context.addHistory(); }
    void markChanged() override { m_context.textChanged(); }
    bool highlightingActive() const override { return m_context.highlightingActive(); }
    void renderRange(int start, int length) override { m_context.renderRange(start, length); }
    void rehighlightCurrentLine() override { m_live.rehighlightCurrentLine(); }
    QString documentPath() const override { return m_context.path(); }

private:
    CommandContext &m_context;
    LiveHighlighter &m_live;
};

Authoring::Authoring(CommandContext &context, const LanguageDefinition &language, const AppFolders &folders,
                     LiveHighlighter &live)
    : m_window(context.window())
    , m_settings(context.settings())
    , m_host(std::make_unique<ContextHost>(context, live))
    , m_html(context.surface(), context.settings(), language, *m_host)
    , m_inserter(context.surface(), m_templates, *m_host)
    , m_stored(m_templates, folders)
{
}

Authoring::~Authoring()
{
    delete m_table.data();
}

void Authoring::registerCommands(const WireCommand &wire)
{
    HtmlCommands &h = m_html;
    const std::pair<const char *, std::function<void()>> commands[] = {
        {"mnuInsertStartTag", [&h] { h.StartTag(); }},
        {"mnuInsertEndTag", [&h] { h.EndTag(); }},
        {"mnuInsertAnchor", [&h] { h.Anchor(); }},
        {"mnuInsertImage", [&h] { h.Image(); }},
        {"mnuInsertBold", [&h] { h.Bold(); }},
        {"mnuInsertItalic", [&h] { h.Italic(); }},
        {"mnuInsertFontPlus", [&h] { h.FontPlus(); }},
        {"mnuInsertFontMinus", [&h] { h.FontMinus(); }},
        {"mnuInsertBlockquote", [&h] { h.Blockquote(); }},
        {"mnuInsertBreak", [&h] { h.Break(); }},
        {"mnuInsertCenter", [&h] { h.Center(); }},
        {"mnuInsertComment", [&h] { h.Comment(); }},
        {"mnuInsertHR", [&h] { h.HorizontalRuler(); }},
        {"mnuInsertNBSP", [&h] { h.NonBreakingSpace(); }},
        {"mnuInsertParagraph", [&h] { h.Paragraph(); }},
        {"mnuInsertH1", [&h] { h.Heading(1); }},
        {"mnuInsertH2", [&h] { h.Heading(2); }},
        {"mnuInsertH3", [&h] { h.Heading(3); }},
        {"mnuInsertTable", [this] { OpenTableDialog(); }},
        {"mnuInsertAnchorFromFile", [this] { InsertFileLink(); }},
        {"mnuInsertHTMLColor", [this] { InsertHTMLColor(); }},
        {"mnuInsertInsertComment", [&h] { h.AddLineComment(); }},
        {"mnuInsertRemoveComment", [&h] { h.RemoveLineComment(); }},
    };
    static const char *const templateItems[TemplateStore::Count] = {
        "mnuInsertTemplates1_0", "mnuInsertTemplates1_1", "mnuInsertTemplates1_2", "mnuInsertTemplates1_3",
        "mnuInsertTemplates1_4", "mnuInsertTemplates1_5", "mnuInsertTemplates1_6", "mnuInsertTemplates1_7",
        "mnuInsertTemplates1_8", "mnuInsertTemplates1_9"};
    for (const auto &[name, run] : commands)
        wire(name, run);
    for (int i = 0; i < TemplateStore::Count; ++i)
        wire(templateItems[i], [this, i] { m_inserter.insert(i); });
    if (auto *insert = m_window->findChild<QMenu *>(QStringLiteral("mnuInsert")))
        QObject::connect(insert, &QMenu::aboutToShow, m_window, [this] { refreshInsertMenu(); });
}

void Authoring::refreshInsertMenu()
{
    for (int i = 0; i < TemplateStore::Count; ++i) {
        if (QAction *item = CommandTable::findCommand(m_window, qPrintable(CommandTable::templateItemName(i))))
            item->setText(m_templates.menuCaption(i));
    }
}

void Authoring::LoadTemplates()
{
    m_templates.LoadTemplates(m_stored.readablePath());
    refreshInsertMenu();
}

void Authoring::InsertHTMLColor()
{
    const std::optional<QColor> chosen = Prompter::instance().pickColor(
        m_window, OleColors::toQColor(m_settings.lastInsertedHTMLColor), QStringLiteral("Insert HTML Color"));
    // The snapshot waits for the choice, so a cancel leaves neither an undo step nor a "changed" mark.
    if (chosen && chosen->isValid())
        m_html.InsertColor(OleColors::fromQColor(*chosen));
}

void Authoring::InsertFileLink()
{
    const QString path = m_host->documentPath();
    const QString folder = path.contains(QLatin1Char('/')) ? QFileInfo(path).absolutePath() : QString();
    const QStringList chosen =
        Prompter::instance().openFiles(m_window, QStringLiteral("Select a file"), fileFilter(), folder, false);
    if (chosen.isEmpty() || !QFileInfo::exists(chosen.first()))
        return;
    m_html.InsertFileLink(chosen.first());
}

frmHTMLTable *Authoring::OpenTableDialog()
{
    delete m_table.data();
    m_table = new frmHTMLTable(m_html, m_settings.AlwaysOnTop, m_window);
    m_table->show();
    // The menu command gives the editor the focus once it returns; the dialog takes it back.
    QTimer::singleShot(0, m_table, [table = m_table.data()] {
        table->activateWindow();
        table->txtRows->setFocus();
    });
    return m_table;
}
