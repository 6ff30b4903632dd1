#include "TestSupport.h"

#include <QFile>
#include <QTest>

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

namespace {

void unexpected(const QString &what)
{
    QTest::qFail(qPrintable(QStringLiteral("unexpected %1").arg(what)), __FILE__, __LINE__);
}

} // namespace

QMessageBox::StandardButton ScriptedPrompter::message(QWidget *, const QString &text, const QString &title,
                                                      QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    asked.append({text, title, buttons, icon});
    if (answers.isEmpty()) {
        unexpected(QStringLiteral("question \"%1\" (%2)").arg(text, title));
        return (buttons & QMessageBox::Cancel) ? QMessageBox::Cancel
             : (buttons & QMessageBox::No)     ? QMessageBox::No
                                               : QMessageBox::Ok;
    }
    return answers.takeFirst();
}

QStringList ScriptedPrompter::openFiles(QWidget *, const QString &title, const QString &filter, const QString &folder,
                                        bool)
{
    dialogs.append({title, folder, filter, QString()});
    if (openAnswers.isEmpty()) {
        unexpected(QStringLiteral("open dialog \"%1\"").arg(title));
        return {};
    }
    const QString answer = openAnswers.takeFirst();
    return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
}

QString ScriptedPrompter::saveFile(QWidget *, const QString &title, const QString &filter, const QString &folder,
                                   const QString &defaultName, QString *selectedFilter)
{
    dialogs.append({title, folder, filter, defaultName});
    if (saveAnswers.isEmpty()) {
        unexpected(QStringLiteral("save dialog \"%1\"").arg(title));
        return {};
    }
    if (selectedFilter && !saveFilterAnswers.isEmpty())
        *selectedFilter = saveFilterAnswers.takeFirst();
    return saveAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompter::inputText(QWidget *, const QString &prompt, const QString &title,
                                                   const QString &initial)
{
    dialogs.append({title, QString(), prompt, initial});
    if (inputAnswers.isEmpty()) {
        unexpected(QStringLiteral("input box \"%1\"").arg(prompt));
        return std::nullopt;
    }
    return inputAnswers.takeFirst();
}

std::optional<QColor> ScriptedPrompter::pickColor(QWidget *, const QColor &start, const QString &title)
{
    dialogs.append({title, QString(), QString(), start.name()});
    if (colorAnswers.isEmpty()) {
        unexpected(QStringLiteral("colour dialog \"%1\"").arg(title));
        return std::nullopt;
    }
    return colorAnswers.takeFirst();
}

std::optional<QFont> ScriptedPrompter::pickFont(QWidget *, const QFont &start, const QString &title)
{
    dialogs.append({title, QString(), QString(), start.family()});
    if (fontAnswers.isEmpty()) {
        unexpected(QStringLiteral("font dialog \"%1\"").arg(title));
        return std::nullopt;
    }
    return fontAnswers.takeFirst();
}

QString ScriptedPrompter::pickFolder(QWidget *, const QString &title, const QString &start)
{
    dialogs.append({title, start, QString(), QString()});
    if (folderAnswers.isEmpty()) {
        unexpected(QStringLiteral("folder dialog \"%1\"").arg(title));
        return {};
    }
    return folderAnswers.takeFirst();
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
