#include "CriticalError.h"

#include "FileIO.h"
#include "Prompter.h"

#include <QDate>
#include <QLocale>

namespace CriticalError {

QString reportText(long number, const QString &description, const QString &source)
{
    return QStringLiteral("A critical error occured, please report this error to ") + QLatin1String(SupportAddress)
        + QStringLiteral("\r\n\r\nError info :\r\nErr number = ") + QString::number(number)
        + QStringLiteral("\r\nErr description = ") + description + QStringLiteral("\r\nErr source = ") + source
        + QStringLiteral("\r\n\r\nDo you want to continue? (Click No if you're not sure)");
}

bool report(QWidget *parent, const QString &appFolder, long number, const QString &description, const QString &source)
{
    const QString text = reportText(number, description, source);
    const QString file = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat) + QStringLiteral("\r\nVersion = ")
        + QStringLiteral("%1.%2.%3").arg(ORVANE_VERSION_MAJOR).arg(ORVANE_VERSION_MINOR).arg(ORVANE_VERSION_PATCH)
        + QStringLiteral("\r\n\r\n") + text;
    FileIO::writeAtomically(appFolder + QStringLiteral("/error.txt"), file.toUtf8());
    return askUser(parent, text + QStringLiteral("\r\n\r\n(This info can be located in the error.txt file)"),
                   QStringLiteral("Critical Error"), QMessageBox::Yes | QMessageBox::No, QMessageBox::Critical)
        == QMessageBox::Yes;
}

} // namespace CriticalError
