#pragma once

#include "KeywordDefinition.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The language definition editor: creates and edits the ".kw" definitions of the keywords folder
// and their ".a" function help files.
class frmKeyWordEditor : public QDialog {
    Q_OBJECT
public:
    // definitionPath: the open document's definition, empty for a new one.
    frmKeyWordEditor(const QString &keywordsFolder, const QString &definitionPath, QWidget *parent = nullptr);

    // The fields as a definition.
    KeywordDefinition definition() const;
    void showDefinition(const KeywordDefinition &definition);
    QString fileName() const { return m_fileName; }
    bool isSaved() const { return m_saved; }

    void New();
    void Open();
    // False when cancelled or not written.
    bool Save();
    bool SaveAs();
    // Reads a definition; false (and a message) when it cannot be read.
    bool readDefinition(const QString &path);

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool writeTo(const QString &path);
    void addEntry(QLineEdit *box, QListWidget *list);
    void removeSelected(QListWidget *list);
    void clearList(QListWidget *list, const QString &question);
    void moveSelected(QListWidget *from, QListWidget *to);
    void functionSelected();
    void changed();
    void updateCounts();
    void browseCompiler();
    static QStringList entries(const QListWidget *list);

    QString m_keywordsFolder;
    QString m_fileName;
    bool m_saved = true;
    bool m_loading = false;
    QList<KeywordDefinition::Help> m_help;

    QLineEdit *m_name = nullptr;
    QLineEdit *m_description = nullptr;
    QLineEdit *m_compiler = nullptr;
    QLineEdit *m_lineComment = nullptr;
    QLineEdit *m_lineCommentText = nullptr;
    QLineEdit *m_blockStart = nullptr;
    QLineEdit *m_blockEnd = nullptr;
    QLineEdit *m_stringChar = nullptr;
    QComboBox *m_caseSens = nullptr;
    QComboBox *m_wholeWord = nullptr;
    QComboBox *m_isMarkup = nullptr;
    QListWidget *m_extensions = nullptr;
    QLineEdit *m_addExt = nullptr;
    QListWidget *m_kw1 = nullptr;
    QLineEdit *m_addKw1 = nullptr;
    QListWidget *m_kw2 = nullptr;
    QLineEdit *m_addKw2 = nullptr;
    QLabel *m_kw1Count = nullptr;
    QLabel *m_kw2Count = nullptr;
    QGroupBox *m_helpFrame = nullptr;
    QLineEdit *m_helpText = nullptr;
};
