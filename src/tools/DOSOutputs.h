#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QProcess;

// Runs one console command with its standard output and error joined into one stream and hands
// the stream on in chunks of at most ChunkSize bytes while the command runs. The caller waits in
// ExecuteCommand, but the event loop keeps running so windows repaint and stop() can be reached.
class DOSOutputs : public QObject {
    Q_OBJECT
public:
    static constexpr int ChunkSize = 256;

    enum class Outcome {
        NothingRun,   // empty command line, or a run already in progress
        Finished,     // the command ended by itself
        NotStarted,   // the program could not be found or started, or the line cannot be read
        Stopped,      // stop() ended it
    };

    explicit DOSOutputs(QObject *parent = nullptr);
    ~DOSOutputs() override;

    QString CommandLine() const { return m_commandLine; }
    void setCommandLine(const QString &commandLine) { m_commandLine = commandLine; }
    // Folder the command runs in; empty: the program's current folder.
    QString WorkingDirectory() const { return m_workingDirectory; }
    void setWorkingDirectory(const QString &folder) { m_workingDirectory = folder; }

    // Everything the last run wrote.
    QString Outputs() const { return m_outputs; }

    // Runs the command line (replaced first by a non-empty argument) and returns Outputs. The line
    // is split into words like a shell would and the first word is started directly.
    QString ExecuteCommand(const QString &commandLine = QString());

    Outcome outcome() const { return m_outcome; }
    // Of the last finished run; -1 when it did not end normally.
    int exitCode() const { return m_exitCode; }
    // The signal that ended the last finished run; 0 when it ended by itself.
    int exitSignal() const { return m_exitSignal; }
    bool isRunning() const { return m_process != nullptr; }

    // Ends the running command with its child processes: asked first, forced after StopGraceMs.
    void stop();
    static constexpr int StopGraceMs = 400;

signals:
    void started();
    // One piece of output, in order; the last one of a run is empty.
    void ReceiveOutputs(const QString &chunk);

private:
    void drain();
    void raise(const QString &chunk);
    void signalGroup(int signal);

    QString m_commandLine;
    QString m_workingDirectory;
    QString m_outputs;
    Outcome m_outcome = Outcome::NothingRun;
    int m_exitCode = -1;
    int m_exitSignal = 0;
    QProcess *m_process = nullptr;
    qint64 m_pid = 0;
    bool m_stopping = false;
    QByteArray m_pending;   // the start of a character whose other bytes are still on the way
};
