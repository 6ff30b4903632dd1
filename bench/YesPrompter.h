#pragma once

#include "Prompter.h"

#include <optional>

namespace bench {

// Every question is answered Yes (colour the large file), every dialog cancelled.
class YesPrompter : public Prompter {
public:
    QMessageBox::StandardButton message(QWidget *, const QString &, const QString &, QMessageBox::StandardButtons,
                                        QMessageBox::Icon) override
    {
        return QMessageBox::Yes;
    }
    QStringList openFiles(QWidget *, const QString &, const QString &, const QString &, bool) override { return {}; }
    QString saveFile(QWidget *, const QString &, const QString &, const QString &, const QString &, QString *) override
    {
        return {};
    }
    std::optional<QString> inputText(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<QColor> pickColor(QWidget *, const QColor &, const QString &) override { return std::nullopt; }
    std::optional<QFont> pickFont(QWidget *, const QFont &, const QString &) override { return std::nullopt; }
    QString pickFolder(QWidget *, const QString &, const QString &) override { return {}; }
};

} // namespace bench
