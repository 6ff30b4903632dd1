#include "Prompter.h"

#include "FileFilters.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QPushButton>

namespace {
std::unique_ptr<Prompter> &current()
{
    static std::unique_ptr<Prompter> prompter = std::make_unique<DialogPrompter>();
    return prompter;
}
} // namespace

Prompter &Prompter::instance()
{
    return *current();
}

void Prompter::setInstance(std::unique_ptr<Prompter> prompter)
{
    current() = prompter ? std::move(prompter) : std::make_unique<DialogPrompter>();
}

QMessageBox::StandardButton askUser(QWidget *parent, const QString &text, const QString &title,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    return Prompter::instance().message(parent, text, title, buttons, icon);
}

QMessageBox::StandardButton askUser(QWidget *parent, const QString &text, const QString &title,
                                    const Prompter::ButtonCaptions &captions, QMessageBox::Icon icon)
{
    return Prompter::instance().labelledMessage(parent, text, title, captions, icon);
}

QMessageBox::StandardButton Prompter::labelledMessage(QWidget *parent, const QString &text, const QString &title,
                                                      const ButtonCaptions &captions, QMessageBox::Icon icon)
{
    QMessageBox::StandardButtons buttons;
    for (const auto &caption : captions)
        buttons |= caption.first;
    return message(parent, text, title, buttons, icon);
}

QMessageBox::StandardButton DialogPrompter::labelledMessage(QWidget *parent, const QString &text, const QString &title,
                                                            const ButtonCaptions &captions, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, parent);
    for (const auto &caption : captions)
        box.addButton(caption.first)->setText(caption.second);
    if (!captions.isEmpty())
        box.setDefaultButton(captions.first().first);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton DialogPrompter::message(QWidget *parent, const QString &text, const QString &title,
                                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QStringList DialogPrompter::openFiles(QWidget *parent, const QString &title, const QString &filter,
                                      const QString &folder, bool multiple)
{
    const QString dialogFilter = FileFilters::dialogFilter(filter);
    const auto options = QFileDialog::HideNameFilterDetails;
    if (multiple)
        return QFileDialog::getOpenFileNames(parent, title, folder, dialogFilter, nullptr, options);
    const QString file = QFileDialog::getOpenFileName(parent, title, folder, dialogFilter, nullptr, options);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString DialogPrompter::saveFile(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                                 const QString &defaultName, QString *selectedFilter)
{
    const QString start = defaultName.isEmpty() ? folder : folder + QLatin1Char('/') + defaultName;
    QString chosenFilter;
    const QString path = QFileDialog::getSaveFileName(parent, title, start, FileFilters::dialogFilter(filter),
                                                      &chosenFilter, QFileDialog::HideNameFilterDetails);
    if (selectedFilter)
        *selectedFilter = FileFilters::displayText(chosenFilter);
    return path;
}

std::optional<QString> DialogPrompter::inputText(QWidget *parent, const QString &prompt, const QString &title,
                                                 const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QColor> DialogPrompter::pickColor(QWidget *parent, const QColor &start, const QString &title)
{
    const QColor color = QColorDialog::getColor(start, parent, title);
    if (!color.isValid())
        return std::nullopt;
    return color;
}

std::optional<QFont> DialogPrompter::pickFont(QWidget *parent, const QFont &start, const QString &title)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, start, parent, title);
    if (!ok)
        return std::nullopt;
    return font;
}

QString DialogPrompter::pickFolder(QWidget *parent, const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}
