#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QMessageBox>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QWidget;

// Every question and common dialog of the program goes through this seam, so tests can answer them.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                                QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
    // A question whose buttons carry the program's own captions (Recover on Yes, say); the first
    // caption's button is the default. Answered, like message(), with the standard button.
    using ButtonCaptions = QList<QPair<QMessageBox::StandardButton, QString>>;
    virtual QMessageBox::StandardButton labelledMessage(QWidget *parent, const QString &text, const QString &title,
                                                        const ButtonCaptions &captions, QMessageBox::Icon icon);
    // Empty list on cancel.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QString &filter,
                                  const QString &folder, bool multiple) = 0;
    // Empty on cancel; selectedFilter receives the display text of the chosen filter.
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                             const QString &defaultName, QString *selectedFilter) = 0;
    virtual std::optional<QString> inputText(QWidget *parent, const QString &prompt, const QString &title,
                                             const QString &initial) = 0;
    virtual std::optional<QColor> pickColor(QWidget *parent, const QColor &start, const QString &title) = 0;
    virtual std::optional<QFont> pickFont(QWidget *parent, const QFont &start, const QString &title) = 0;
    virtual QString pickFolder(QWidget *parent, const QString &title, const QString &start) = 0;

    static Prompter &instance();
    // Installs a replacement (tests); nullptr restores the real dialogs.
    static void setInstance(std::unique_ptr<Prompter> prompter);
};

// The real dialogs.
class DialogPrompter : public Prompter {
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    QMessageBox::StandardButton labelledMessage(QWidget *parent, const QString &text, const QString &title,
                                                const ButtonCaptions &captions, QMessageBox::Icon icon) override;
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

// Shorthand for the message boxes of the program.
QMessageBox::StandardButton askUser(QWidget *parent, const QString &text, const QString &title,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon);
QMessageBox::StandardButton askUser(QWidget *parent, const QString &text, const QString &title,
                                    const Prompter::ButtonCaptions &captions, QMessageBox::Icon icon);
