#pragma once

#include "AuthoringHost.h"
#include "CommandContext.h"
#include "HtmlCommands.h"
#include "StoredTemplates.h"
#include "TemplateInserter.h"
#include "TemplateStore.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class LiveHighlighter;
class QWidget;
class frmHTMLTable;
struct LanguageDefinition;
struct Settings;

// The Insert menu: the HTML commands, the table generator, the colour and file-link commands and
// the templates, with the dialogs they ask through. The window connects the commands by name.
class Authoring {
public:
    // live re-colours the caret's line after a command changed it.
    Authoring(CommandContext &context, const LanguageDefinition &language, const AppFolders &folders,
              LiveHighlighter &live);
    ~Authoring();

    // Every command of the Insert menu this class runs, by the objectName of its action; the
    // template captions are set each time the menu opens.
    void registerCommands(const WireCommand &wire);

    // Sets the template captions; call when the Insert menu opens.
    void refreshInsertMenu();
    void LoadTemplates();

    // Asks for a colour (starting at the last one inserted) and inserts it.
    void InsertHTMLColor();
    // Asks for a file and inserts a link to it.
    void InsertFileLink();
    // Opens a fresh table dialog; one that is open already is replaced.
    frmHTMLTable *OpenTableDialog();

    HtmlCommands &html() { return m_html; }
    TemplateStore &templates() { return m_templates; }
    TemplateInserter &templateInserter() { return m_inserter; }
    // What the options dialog's Templates page edits.
    TemplateSource &templateSource() { return m_stored; }

private:
    QWidget *m_window;
    Settings &m_settings;
    class ContextHost;
    std::unique_ptr<ContextHost> m_host;
    HtmlCommands m_html;
    TemplateStore m_templates;
    TemplateInserter m_inserter;
    StoredTemplates m_stored;
    QPointer<frmHTMLTable> m_table;
};
