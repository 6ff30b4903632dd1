#include "ViewCommands.h"

#include "EditorSurface.h"
#include "Prompter.h"
#include "Settings.h"

ViewCommands::ViewCommands(CommandContext &context)
    : m_context(context)
{
}

void ViewCommands::ToggleBlanks()
{
    Settings &settings = m_context.settings();
    settings.ShowBlanks = !m_context.surface().blanksVisible();
    m_context.surface().setBlanksVisible(settings.ShowBlanks);
    m_context.refreshView();
}

std::optional<int> ViewCommands::parseEdgeColumn(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return 0;
    bool ok = false;
    const int column = trimmed.toInt(&ok);
    if (!ok || column < 0 || column > MaxEdgeColumn)
        return std::nullopt;
    return column;
}

void ViewCommands::ChooseEdgeColumn()
{
    Settings &settings = m_context.settings();
    const QString prompt = QStringLiteral("Mark long lines at column (0 for no edge line):");
    QString initial = QString::number(settings.EdgeColumn);
    for (;;) {
        const std::optional<QString> typed =
            Prompter::instance().inputText(m_context.window(), prompt, QStringLiteral("Edge Line"), initial);
        if (!typed)
            return;
        if (const std::optional<int> column = parseEdgeColumn(*typed)) {
            settings.EdgeColumn = *column;
            m_context.surface().setEdgeColumn(*column);
            m_context.refreshView();
            return;
        }
        askUser(m_context.window(), QStringLiteral("Enter a column number from 0 to %1.").arg(MaxEdgeColumn),
                QStringLiteral("Edge Line"), QMessageBox::Ok, QMessageBox::Warning);
        initial = *typed;
    }
}

void ViewCommands::Zoom(int step)
{
    EditorSurface &surface = m_context.surface();
    surface.setZoom(step == 0 ? 0 : surface.zoom() + step);
    m_context.refreshView();
}

void ViewCommands::registerCommands(const WireCommand &wire)
{
    wire("mnuViewBlanks", [this] { ToggleBlanks(); });
    wire("mnuViewEdgeLine", [this] { ChooseEdgeColumn(); });
    wire("mnuViewZoomIn", [this] { Zoom(1); });
    wire("mnuViewZoomOut", [this] { Zoom(-1); });
    wire("mnuViewZoomReset", [this] { Zoom(0); });
}
