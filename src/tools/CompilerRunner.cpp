#include "CompilerRunner.h"

#include "ContextScroll.h"
#include "EditorSurface.h"
#include "Launcher.h"
#include "Prompter.h"
#include "ShellWords.h"
#include "ToolsHost.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Orvane");

// While the compiler runs, input reaches only the output window; everything else still paints.
class InputOnlyFor : public QObject {
public:
    explicit InputOnlyFor(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }
    ~InputOnlyFor() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::Close:
            return !insideWindow(watched);
        default:
            return false;
        }
    }

private:
    bool insideWindow(QObject *watched) const
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget) {
            // QWindow objects carry the window system's input to their widgets; let the widgets decide.
            return !qobject_cast<QAction *>(watched);
        }
        return m_window && widget->window() == m_window;
    }

    QPointer<QWidget> m_window;
};

} // namespace

CompilerRunner::CompilerRunner(ToolsHost &host, QObject *parent)
    : QObject(parent), m_host(host), m_compiler(new DOSOutputs(this))
{
    m_compiler->setObjectName(QStringLiteral("objCompiler"));
    connect(m_compiler, &DOSOutputs::ReceiveOutputs, this, &CompilerRunner::objCompiler_ReceiveOutputs);
    connect(m_compiler, &DOSOutputs::started, this, &CompilerRunner::showOutputWindow);
}

CompilerRunner::Invocation CompilerRunner::invocationFor(const QString &compiler, const QString &documentPath)
{
    const QFileInfo file(documentPath);
    QString name = file.fileName();
    if (name.startsWith(QLatin1Char('-')))
        name.prepend(QStringLiteral("./"));
    return {file.absolutePath(), compiler.trimmed() + QLatin1Char(' ') + ShellWords::quote(name)};
}

void CompilerRunner::Compile()
{
    if (m_compiler->isRunning())
        return;
    const QString compiler = m_host.compilerCommand();
    if (compiler.trimmed().isEmpty()) {
        askToChangeCompiler(QStringLiteral("You haven't defined a compiler for this language yet, do you want to start "
                                           "up the keyword editor so you can define one?"),
                            QStringLiteral("No Compiler defined"), QMessageBox::Information);
        return;
    }
    if (m_host.surface().textLength() == 0)
        return;
    if (m_output && m_output->isVisible())
        m_output->clear();
    if (!m_host.isDocumentSaved()) {
        if (askUser(m_host.ownerWindow(), QStringLiteral("Do you want to save your file before compiling?"),
                    QStringLiteral("File not saved!"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Information)
            == QMessageBox::Yes)
            m_host.saveDocument();
    }
    // Still never saved (declined, or Save As cancelled): there is no file to give the compiler.
    const QString path = m_host.documentPath();
    if (path == QLatin1String("Untitled") || !QFileInfo(path).isAbsolute()) {
        askUser(m_host.ownerWindow(), QStringLiteral("Please save your file before comiling!"), kTitle, QMessageBox::Ok,
                QMessageBox::NoIcon);
        return;
    }

    const Invocation run = invocationFor(compiler, path);
    m_compiler->setCommandLine(run.commandLine);
    m_compiler->setWorkingDirectory(run.folder);
    m_runFolder = run.folder;
    frmCompilerOutput *window = ensureOutputWindow();
    QElapsedTimer clock;
    clock.start();
    {
        InputOnlyFor guard(window);
        m_compiler->ExecuteCommand();
    }
    switch (m_compiler->outcome()) {
    case DOSOutputs::Outcome::NotStarted:
        askToChangeCompiler(QStringLiteral("Command not found : \n") + run.commandLine
                                + QStringLiteral("\n\nDo you want to change the path to the compiler?"),
                            QStringLiteral("Allert"), QMessageBox::Critical);
        showOutputWindow();
        break;
    case DOSOutputs::Outcome::Stopped:
        // The user closed the window to stop the run: it stays closed.
        break;
    case DOSOutputs::Outcome::Finished:
        if (m_output)
            m_output->appendLine(
                CompilerMessages::finishedLine(m_compiler->exitCode(), m_compiler->exitSignal(), clock.elapsed()));
        showOutputWindow();
        break;
    case DOSOutputs::Outcome::NothingRun:
        showOutputWindow();
        break;
    }
}

void CompilerRunner::askToChangeCompiler(const QString &text, const QString &title, QMessageBox::Icon icon)
{
    if (askUser(m_host.ownerWindow(), text, title, QMessageBox::Yes | QMessageBox::No, icon) != QMessageBox::Yes)
        return;
    if (!m_host.openLanguageEditor())
        askUser(m_host.ownerWindow(),
                QStringLiteral("The keyword editor is not available yet. The compiler is the \"CompilerPath:\" line "
                               "of the language's .kw file in the keywords folder."),
                kTitle, QMessageBox::Ok, QMessageBox::Information);
}

frmCompilerOutput *CompilerRunner::ensureOutputWindow()
{
    if (!m_output) {
        m_output = new frmCompilerOutput(m_host.ownerWindow(), m_host.settings());
        connect(m_output, &frmCompilerOutput::closing, m_compiler, &DOSOutputs::stop);
        connect(m_output, &frmCompilerOutput::locationActivated, this, &CompilerRunner::goToLocation);
    }
    return m_output;
}

void CompilerRunner::showOutputWindow()
{
    frmCompilerOutput *window = ensureOutputWindow();
    if (!window->isVisible())
        window->show();
}

void CompilerRunner::objCompiler_ReceiveOutputs(const QString &chunk)
{
    // A window closed during the run stops it; what is still on its way has nowhere to go.
    if (m_output)
        m_output->appendChunk(chunk);
}

void CompilerRunner::goToLocation(const SourceLocation &where)
{
    const QString folder = m_runFolder.isEmpty() ? QFileInfo(m_host.documentPath()).absolutePath() : m_runFolder;
    const QString path = QDir::cleanPath(QDir(folder).absoluteFilePath(where.file));
    const QFileInfo target(path);
    const QFileInfo document(m_host.documentPath());
    const bool sameFile = target.exists() && document.exists()
                              ? target.canonicalFilePath() == document.canonicalFilePath()
                              : path == QDir::cleanPath(document.absoluteFilePath());
    if (!sameFile) {
        if (!target.exists()) {
            m_host.showHint(QStringLiteral("Couldn't find ") + path);
            return;
        }
        Launcher::startInstanceAt(path, where.line, where.column);
        return;
    }
    EditorSurface &s = m_host.surface();
    const EditorSurface::LineText line = s.lineWithoutBreak(where.line - 1);
    s.setSelStart(line.start + CompilerMessages::columnOffset(line.text, where.column));
    s.setSelLength(0);
    ContextScroll::showWithContext(s, s.selStart());
    QWidget *window = m_host.ownerWindow();
    window->raise();
    window->activateWindow();
    s.setFocus();
}
