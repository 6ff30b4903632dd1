#pragma once

#include "OptionsApply.h"

#include <QDialog>

#include <memory>

class FileAssociations;
class FileTypesPage;
class FontColorPage;
class NumberField;
class OptionsHost;
class PageTabList;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedLayout;
class TemplatesPage;

// The options dialog "Settings": six pages over a copy of the settings; nothing reaches the main
// window before Apply.
class frmSettings : public QDialog {
    Q_OBJECT
public:
    static constexpr int PageCount = 6;

    explicit frmSettings(OptionsHost &host, QWidget *parent = nullptr);
    ~frmSettings() override;

    // Shows page 1 … 6 as its button does, and remembers it in LastOptionViewed.
    void showPage(int page);
    int currentPage() const { return m_page; }
    // The controls into a copy of the settings.
    Settings controlsSettings() const;
    // Apply: the errors of the writes that failed.
    QStringList Apply();
    void Defaults();
    bool formatChanged() const { return m_state.formatChanged; }

protected:
    void done(int result) override;

private:
    QGroupBox *buildGeneral();
    QGroupBox *buildEditor();
    QGroupBox *buildHtml();
    void load(const Settings &s);
    void refreshEnabled();
    void enable();
    void pickFolder();
    void pickThirdPartyEditor();

    OptionsHost &m_host;
    OptionsState m_state;
    std::unique_ptr<FileAssociations> m_associations;
    int m_page = 1;
    bool m_loading = false;
    PageTabList *m_tabs = nullptr;
    QList<QPushButton *> m_pageButtons;
    QList<QGroupBox *> m_frames;
    QStackedLayout *m_stack = nullptr;
    FontColorPage *m_fontColor = nullptr;
    FileTypesPage *m_fileTypes = nullptr;
    TemplatesPage *m_templates = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_ok = nullptr;

    // General
    QCheckBox *m_showLineNumber = nullptr;
    QCheckBox *m_alwaysOnTop = nullptr;
    QCheckBox *m_highlightLine = nullptr;
    QCheckBox *m_showTip = nullptr;
    QCheckBox *m_newWindow = nullptr;
    QCheckBox *m_reload = nullptr;
    QCheckBox *m_blink = nullptr;
    QCheckBox *m_disableDetection = nullptr;
    QCheckBox *m_autoUpdate = nullptr;
    QCheckBox *m_showToolbar = nullptr;
    QCheckBox *m_transparent = nullptr;
    NumberField *m_trans = nullptr;
    QCheckBox *m_promptLarge = nullptr;
    NumberField *m_sizeLimit = nullptr;
    QCheckBox *m_useFolder = nullptr;
    QLineEdit *m_initialFolder = nullptr;
    QPushButton *m_browse = nullptr;
    QCheckBox *m_thirdParty = nullptr;
    QLineEdit *m_thirdPartySize = nullptr;
    QLineEdit *m_thirdPartyPath = nullptr;
    QPushButton *m_browseThirdParty = nullptr;
    // Editor
    QCheckBox *m_autoIndent = nullptr;
    QCheckBox *m_homeKey = nullptr;
    QCheckBox *m_insertPairs = nullptr;
    QCheckBox *m_htmlCompletion = nullptr;
    NumberField *m_tabWidth = nullptr;
    QCheckBox *m_spaces = nullptr;
    QCheckBox *m_smartIndent = nullptr;
    QCheckBox *m_richCopy = nullptr;
    QCheckBox *m_bracket = nullptr;
    // HTML Settings
    QCheckBox *m_closeEmpty = nullptr;
    QComboBox *m_boldTag = nullptr;
    QComboBox *m_italicTag = nullptr;
    QComboBox *m_centerTag = nullptr;
    QPlainTextEdit *m_ignore = nullptr;
};
