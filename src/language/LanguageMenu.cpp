#include "LanguageMenu.h"

#include "FoldUpdater.h"

#include "EditorSurface.h"
#include "Highlighter.h"
#include "Prompter.h"
#include "Settings.h"
#include "modKeyWords.h"

#include <QAction>
#include <QMenu>

LanguageMenu::LanguageMenu(CommandContext &context, LanguageDefinition &language, DocumentLanguageFlags &flags,
                           Highlighter &highlighter, QStringList keywordsFolders)
    : m_context(context)
    , m_language(language)
    , m_flags(flags)
    , m_highlighter(highlighter)
    , m_keywordsFolders(std::move(keywordsFolders))
    , m_folding(context, highlighter.folds())
{
}

bool LanguageMenu::highlightingActive() const
{
    return m_context.settings().enableSyntaxHighlightning && m_language.languageActive && !m_flags.highlightingDeclined;
}

void LanguageMenu::LoadLanguage(const QString &fileName, bool renderNow)
{
    m_language = modKeyWords::loadLanguage(m_keywordsFolders, fileName);
    // Folding needs no colouring: a file too large to colour still folds.
    m_highlighter.folds().languageChanged();
    if (!m_language.languageActive) {
        // The previous document's language name would claim a colouring that is not there.
        m_context.setIdleHint(QString());
        return;
    }
    // The hint runs its twenty ticks, then the label rests on the language's name.
    m_context.setIdleHint(m_language.languageName);
    m_context.showHint(modKeyWords::languageHint(m_language.languageName));
    m_flags.javaFlag = m_language.isJava();
    const Settings &settings = m_context.settings();
    modKeyWords::RenderRequest request;
    request.highlightingEnabled = settings.enableSyntaxHighlightning;
    request.renderNow = renderNow;
    request.highlightingDeclined = m_flags.highlightingDeclined;
    request.promptWarningLargeFile = settings.PromptWarningLargeFile;
    request.textLength = m_context.surface().textLength();
    request.colorFileSizeLimit = settings.ColorFileSizeLimit;
    switch (modKeyWords::renderDecision(m_language, request)) {
    case modKeyWords::RenderDecision::None:
        return;
    case modKeyWords::RenderDecision::AskFirst:
        if (askUser(m_context.window(),
                    modKeyWords::largeFileQuestion(fileName, request.textLength, request.colorFileSizeLimit),
                    QStringLiteral("Confirm"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
            != QMessageBox::Yes) {
            m_flags.highlightingDeclined = true;
            return;
        }
        break;
    case modKeyWords::RenderDecision::Render:
        break;
    }
    m_highlighter.renderDocument();
}

void LanguageMenu::RefreshHighlighting()
{
    if (highlightingActive())
        m_highlighter.renderDocument();
}

void LanguageMenu::NoHighlighting()
{
    m_language = modKeyWords::loadLanguage(m_keywordsFolders, QStringLiteral("noextension"));
    m_highlighter.folds().languageChanged();
    m_highlighter.clearHighlighting();
    m_context.setIdleHint(QString());
}

void LanguageMenu::buildLanguageMenu(QMenu *programming)
{
    if (!programming)
        return;
    for (QAction *old : programming->actions()) {
        if (old->objectName() == QLatin1String("mnuKeyWord") || old->objectName() == QLatin1String("mnuKeyWordSep"))
            delete old;
    }
    const auto entries = modKeyWords::languageMenuEntries(m_keywordsFolders, modKeyWords::languageExtension(m_context.path()));
    if (entries.isEmpty())
        return;
    QAction *separator = programming->addSeparator();
    separator->setObjectName(QStringLiteral("mnuKeyWordSep"));
    for (const auto &entry : entries) {
        QAction *item = programming->addAction(entry.caption);
        item->setObjectName(QStringLiteral("mnuKeyWord"));
        item->setCheckable(true);
        item->setData(entry.tag);
        item->setChecked(m_flags.manualLanguageChoice ? entry.path == m_language.definitionPath : entry.matchesDocument);
        const QString tag = entry.tag;
        QObject::connect(item, &QAction::triggered, programming, [this, tag, item, programming] {
            LoadLanguage(modKeyWords::fileNameForMenuTag(tag), true);
            for (QAction *other : programming->actions()) {
                if (other->objectName() == QLatin1String("mnuKeyWord"))
                    other->setChecked(other == item);
            }
            m_flags.manualLanguageChoice = true;
            m_context.surface().setFocus();
        });
    }
}

void LanguageMenu::registerCommands(const WireCommand &wire, QMenu *programming)
{
    wire("mnuToolsRefreshSyntax", [this] { RefreshHighlighting(); });
    wire("mnuToolsNoHighLight", [this] { NoHighlighting(); });
    wire("mnuSyntaxNoHighlight", [this] { NoHighlighting(); });
    m_folding.registerCommands(wire);
    if (programming)
        QObject::connect(programming, &QMenu::aboutToShow, programming, [this, programming] { buildLanguageMenu(programming); });
}
