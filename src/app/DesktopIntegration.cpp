#include "DesktopIntegration.h"

#include "ScintillaSurface.h"
#include "StatusLabelAccessible.h"
#include "frmMain.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>

namespace DesktopIntegration {

namespace {

struct ControlName {
    const char *objectName;
    const char *name;
};

const ControlName kControlNames[] = {
    {"PicLines", "Line numbers"}, {"toolBar", "Tool bar"}, {"sBar", "Status bar"},
    {"lblToolTip", "Hint"},       {"lblXY", "Position"},   {"lblSize", "File size"},
    {"lblOS", "Line ends"},       {"lblUC", "Encoding"},   {"lblINS", "Insert mode"},
    {"lblCaps", "Caps Lock"},
};

} // namespace

QIcon programIcon()
{
    QIcon builtIn;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/orvane/icons/%1/orvane.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("orvane"), builtIn);
}

void prepareApplication()
{
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane"));
    QGuiApplication::setWindowIcon(programIcon());
}

QString editorName(const QString &documentPath)
{
    const QString name = QFileInfo(documentPath).fileName();
    return name.isEmpty() ? documentPath : name;
}

void nameControls(frmMain &window)
{
    StatusLabelAccessible::install();
    for (const ControlName &control : kControlNames) {
        if (auto *widget = window.findChild<QWidget *>(QLatin1String(control.objectName)))
            widget->setAccessibleName(QString::fromLatin1(control.name));
    }
    QWidget *editor = window.txtText();
    const auto follow = [&window, editor] { editor->setAccessibleName(editorName(window.document().strfilename)); };
    follow();
    // Every change of the document path re-captions the window.
    QObject::connect(&window, &QWidget::windowTitleChanged, editor, follow);
}


} // namespace DesktopIntegration
