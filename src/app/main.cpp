#include "AppFolder.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvane"));

    frmMain window(applicationFolder());
    window.show();
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty())
        window.ReadFile(QDir::current().absoluteFilePath(arguments.first()), true);
    return app.exec();
}
