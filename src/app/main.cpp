#include "CommandLineOptions.h"
#include "modStartUp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Answered before the toolkit starts, so they work without a display.
    const CommandLineOptions::Parsed options = CommandLineOptions::parse(CommandLineOptions::nativeArguments(argc, argv));
    if (options.action != CommandLineOptions::Action::Run) {
        const QString text = options.action == CommandLineOptions::Action::ShowHelp
            ? CommandLineOptions::usageText(QStringLiteral("orvane"))
            : CommandLineOptions::versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane"));
    // The toolkit has taken its own options out of argv by now.
    return modStartUp::Main(app, CommandLineOptions::nativeArguments(argc, argv));
}
