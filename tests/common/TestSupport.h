#pragma once

#include "Prompter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace TestSupport {

// The source tree (for shipped data files).
QString sourceDir();
// The built application folder (executable, palisade, data).
QString appDir();

// Writes bytes to dir/name and returns the full path.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &path);
// Copies every file under source into target that target does not have yet (shipped data for a test folder).
void seedFolder(const QString &source, const QString &target);

// Answers questions from a queue and records what was asked.
class ScriptedPrompter : public Prompter {
public:
    struct Asked {
        QString text;
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
    };
    // A file, folder, font or colour dialog as it was shown.
    struct Dialog {
        QString title;
        QString folder;
        QString filter;
        QString proposedName;
    };
    // Every queue is popped front. A question or dialog with nothing queued for it fails the running
    // test: a question nobody expected is a fault, not something to answer silently.
    QList<QMessageBox::StandardButton> answers;
    QList<Asked> asked;
    QList<Dialog> dialogs;
    QStringList openAnswers;                      // each entry: files joined by '\n'; empty: cancel
    QStringList saveAnswers;                      // empty entry: cancel
    QStringList saveFilterAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<std::optional<QColor>> colorAnswers;
    QList<std::optional<QFont>> fontAnswers;
    QStringList folderAnswers;

    QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    QStringList openFiles(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                          bool multiple) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                     const QString &defaultName, QString *selectedFilter) override;
    std::optional<QString> inputText(QWidget *parent, const QString &prompt, const QString &title,
                                     const QString &initial) override;
    std::optional<QColor> pickColor(QWidget *parent, const QColor &start, const QString &title) override;
    std::optional<QFont> pickFont(QWidget *parent, const QFont &start, const QString &title) override;
    QString pickFolder(QWidget *parent, const QString &title, const QString &start) override;
};

// Installs a ScriptedPrompter for the lifetime of the guard and gives access to it.
class PrompterGuard {
public:
    PrompterGuard();
    ~PrompterGuard();
    ScriptedPrompter &operator*() { return *m_prompter; }
    ScriptedPrompter *operator->() { return m_prompter; }

private:
    ScriptedPrompter *m_prompter;
};

// What a window test starts from: an application folder with the shipped data, a folder for its
// documents, and questions answered by the test.
struct WindowFolders {
    QTemporaryDir app;
    QTemporaryDir docs;
    PrompterGuard prompter;
    WindowFolders() { seedFolder(sourceDir() + QStringLiteral("/data"), app.path()); }
};

} // namespace TestSupport
