#pragma once

#include "AppFolders.h"

#include <QGroupBox>

#include <memory>

class FileAssociations;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The "Files and Keywords" page of the options dialog: file associations and keyword options.
class FileTypesPage : public QGroupBox {
    Q_OBJECT
public:
    FileTypesPage(FileAssociations *associations, const AppFolders &folders, QWidget *parent);
    ~FileTypesPage() override;

    // Fills both lists from extensions.dat and the current associations.
    void fillAssociations();
    bool associationsChanged() const { return m_changed; }
    // Unassociates every entry of lstNotAss, then associates every entry of lstAss; the errors.
    QStringList applyAssociations();
    void moveSelected(QListWidget *from, QListWidget *to);
    void showAssociation(const QString &entry);

    QCheckBox *chkEnableSyntaxHighlight2 = nullptr;
    QCheckBox *chkShowArguments = nullptr;
    QCheckBox *chkForceCase = nullptr;
    QPushButton *cmdKeywordEditor = nullptr;

signals:
    void changed();

private:
    // The entries of both lists whose file type is type, in list order.
    QStringList entriesOfType(const QString &type) const;
    void noteShared(const QStringList &entries, const QString &type);

    FileAssociations *m_associations;
    AppFolders m_folders;
    bool m_changed = false;
    QListWidget *m_ass = nullptr;
    QListWidget *m_notAss = nullptr;
    QLabel *m_fileType = nullptr;
    QLabel *m_description = nullptr;
    QLabel *m_opensWith = nullptr;
    QLabel *m_shared = nullptr;
};
