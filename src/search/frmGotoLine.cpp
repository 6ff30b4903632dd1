#include "frmGotoLine.h"

#include "ContextScroll.h"
#include "EditorSurface.h"
#include "LineNavigation.h"
#include "Prompter.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTimer>

using SearchDialogParts::make;

frmGotoLine::frmGotoLine(SearchWindows &windows, int currentLine, QWidget *owner)
    : QDialog(owner)
    , m_windows(windows)
    , m_line(currentLine)
{
    SearchHost &host = windows.host();
    SearchDialogParts::setUpToolWindow(this, QStringLiteral("frmGotoLine"), QStringLiteral("Goto"),
                                       host.settings().AlwaysOnTop);

    auto *label1 = make<QLabel>(this, "Label1", QStringLiteral("Goto &Line :"));
    txtLine = make<QLineEdit>(this, "txtLine");
    label1->setBuddy(txtLine);
    auto *label2 = make<QLabel>(this, "Label2", QStringLiteral("&Column :"));
    txtColumn = make<QLineEdit>(this, "txtColumn", QStringLiteral("1"));
    label2->setBuddy(txtColumn);
    EditorSurface &surface = host.surface();
    lblInfo = make<QLabel>(this, "lblInfo",
                           QStringLiteral("(1 - ") + QString::number(surface.getLineFromChar(surface.textLength()) + 1)
                               + QStringLiteral(")"));
    cmdOK = make<QPushButton>(this, "cmdOK", QStringLiteral("&OK"));
    cmdCancel = make<QPushButton>(this, "cmdCancel", QStringLiteral("C&ancel"));
    cmdOK->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(txtLine, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(txtColumn, 1, 1);
    grid->addWidget(lblInfo, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);

    txtLine->setText(QString::number(m_line));
    txtLine->installEventFilter(this);
    txtColumn->installEventFilter(this);
    connect(txtLine, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!LineNavigation::parseNumber(text))
            txtLine->setText(QString::number(m_line));
    });
    connect(txtColumn, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!LineNavigation::parseNumber(text))
            txtColumn->setText(QStringLiteral("1"));
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmGotoLine::ok);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
}

void frmGotoLine::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    txtLine->setFocus();
    txtLine->selectAll();
}

bool frmGotoLine::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void frmGotoLine::ok()
{
    const auto line = LineNavigation::parseNumber(txtLine->text());
    if (!line) {
        askUser(this, QStringLiteral("Please enter a integer"), QStringLiteral("Orvane"), QMessageBox::Ok,
                QMessageBox::NoIcon);
        txtLine->setFocus();
        txtLine->selectAll();
        return;
    }
    const double column = LineNavigation::parseNumber(txtColumn->text()).value_or(1);
    SearchHost &host = m_windows.host();
    EditorSurface &surface = host.surface();
    surface.setSelStart(LineNavigation::GotoTarget(*line, column, surface.text()));
    ContextScroll::showWithContext(surface, surface.selStart());
    host.refreshStatusBar();
    close();
}
