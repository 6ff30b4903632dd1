#include "TestSupport.h"

#include <QFile>

namespace TestSupport {

QString sourceDir()
{
    return qEnvironmentVariable("ORVANE_SOURCE_DIR", QStringLiteral(ORVANE_TEST_SOURCE_DIR));
}

QString appDir()
{
    return qEnvironmentVariable("ORVANE_APP_DIR", QStringLiteral(ORVANE_TEST_APP_DIR));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QMessageBox::StandardButton ScriptedPrompter::message(QWidget *, const QString &text, const QString &title,
                                                      QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    asked.append({text, title, buttons, icon});
    if (!answers.isEmpty())
        return answers.takeFirst();
    if (buttons & QMessageBox::Ok)
        return QMessageBox::Ok;
    if (buttons & QMessageBox::No)
        return QMessageBox::No;
    return QMessageBox::Cancel;
}

QStringList ScriptedPrompter::openFiles(QWidget *, const QString &, const QString &, const QString &, bool)
{
    if (openAnswers.isEmpty())
        return {};
    const QString answer = openAnswers.takeFirst();
    return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
}

QString ScriptedPrompter::saveFile(QWidget *, const QString &, const QString &, const QString &, const QString &,
                                   QString *selectedFilter)
{
    if (selectedFilter && !saveFilterAnswers.isEmpty())
        *selectedFilter = saveFilterAnswers.takeFirst();
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompter::inputText(QWidget *, const QString &, const QString &, const QString &)
{
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

std::optional<QColor> ScriptedPrompter::pickColor(QWidget *, const QColor &, const QString &)
{
    return colorAnswers.isEmpty() ? std::nullopt : colorAnswers.takeFirst();
}

std::optional<QFont> ScriptedPrompter::pickFont(QWidget *, const QFont &, const QString &)
{
    return std::nullopt;
}

QString ScriptedPrompter::pickFolder(QWidget *, const QString &, const QString &)
{
    return {};
}

PrompterGuard::PrompterGuard()
{
    auto prompter = std::make_unique<ScriptedPrompter>();
    m_prompter = prompter.get();
    Prompter::setInstance(std::move(prompter));
}

PrompterGuard::~PrompterGuard()
{
    Prompter::setInstance(nullptr);
}

} // namespace TestSupport
