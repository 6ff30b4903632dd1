#pragma once

#include "AppFolders.h"

#include "TemplateSource.h"

#include <QGroupBox>
#include <QList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The "Templates" page of the options dialog: the ten templates, one shown at a time.
class TemplatesPage : public QGroupBox {
    Q_OBJECT
public:
    TemplatesPage(const AppFolders &folders, QWidget *parent);

    // Fills the fields from the store (the defaults without one) and shows template 0.
    void InitTemps(TemplateSource *source);
    // The list entries again from the current names, keeping the selected one.
    void refreshTemps();
    void showTemplate(int index);

    const QList<TemplateEntry> &templates() const { return m_templates; }
    bool templatesChanged() const { return m_changed; }
    void clearChanged() { m_changed = false; }
    int currentIndex() const { return m_index; }

signals:
    void changed();

private:
    static QString entryText(const TemplateEntry &entry, int index);
    void openVariablesHelp();

    AppFolders m_folders;
    QList<TemplateEntry> m_templates;
    int m_index = 0;
    bool m_changed = false;
    bool m_loading = false;
    QComboBox *m_list = nullptr;
    QLineEdit *m_name = nullptr;
    QPlainTextEdit *m_content = nullptr;
    QPushButton *m_variables = nullptr;
};
