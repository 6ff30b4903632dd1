#pragma once

#include "DOSOutputs.h"
#include "frmCompilerOutput.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

class ToolsHost;

// Syntax > Compile: runs the language's compiler on the saved document in its folder and streams
// what it writes into the output window. While it runs, the editor repaints but takes no input;
// closing the output window (Esc) stops the compiler.
class CompilerRunner : public QObject {
    Q_OBJECT
public:
    explicit CompilerRunner(ToolsHost &host, QObject *parent = nullptr);

    struct Invocation {
        QString folder;
        QString commandLine;
    };
    // The compiler's words, then the document's file name as one more word of its own. A name
    // that starts with "-" goes as "./name", so it is never read as an option.
    static Invocation invocationFor(const QString &compiler, const QString &documentPath);

    void Compile();

    DOSOutputs &objCompiler() { return *m_compiler; }
    frmCompilerOutput *outputWindow() const { return m_output; }
    bool isRunning() const { return m_compiler->isRunning(); }

    // Goes to a place the output names: in the document, the caret moves there; another file
    // opens in a window of its own at that place.
    void goToLocation(const SourceLocation &where);

private:
    void objCompiler_ReceiveOutputs(const QString &chunk);
    frmCompilerOutput *ensureOutputWindow();
    void showOutputWindow();
    void askToChangeCompiler(const QString &text, const QString &title, QMessageBox::Icon icon);

    ToolsHost &m_host;
    DOSOutputs *m_compiler;
    QPointer<frmCompilerOutput> m_output;
    QString m_runFolder;   // where the compiler ran: relative names in its output start there
};
