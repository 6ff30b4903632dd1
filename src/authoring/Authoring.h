#pragma once

#include "AuthoringHost.h"
#include "HtmlCommands.h"
#include "TemplateInserter.h"
#include "TemplateStore.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class EditorSurface;
class QWidget;
class frmHTMLTable;
struct LanguageDefinition;
struct Settings;

// The Insert menu: the HTML commands, the table generator, the colour and file-link commands and
// the templates, with the dialogs they ask through. The window connects the commands by name.
class Authoring {
public:
    Authoring(QWidget *window, EditorSurface &surface, Settings &settings, const LanguageDefinition &language,
              const QString &appFolder, AuthoringHost host);
    ~Authoring();

    using Command = std::pair<const char *, std::function<void()>>;
    // Every command of the Insert menu this class runs, by the objectName of its action.
    std::vector<Command> commands();

    // Sets the template captions and the line-comment items; call when the Insert menu opens.
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

private:
    QWidget *m_window;
    Settings &m_settings;
    QString m_appFolder;
    AuthoringHost m_host;
    HtmlCommands m_html;
    TemplateStore m_templates;
    TemplateInserter m_inserter;
    QPointer<frmHTMLTable> m_table;
};
