#include "frmHTMLTable.h"

#include "HtmlCommands.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int valueOf(const QLineEdit *field)
{
    return field->text().trimmed().toInt();
}

} // namespace

frmHTMLTable::frmHTMLTable(HtmlCommands &commands, bool alwaysOnTop, QWidget *owner)
    : QDialog(owner)
    , m_commands(commands)
{
    setObjectName(QStringLiteral("frmHTMLTable"));
    setWindowTitle(QStringLiteral("Insert HTML Table"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint, alwaysOnTop);

    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    txtRows = addField("txtRows", QStringLiteral("&Rows :"), QStringLiteral("1"));
    txtColumns = addField("txtColumns", QStringLiteral("&Columns :"), QStringLiteral("1"));
    txtCellPadding = addField("txtCellPadding", QStringLiteral("Cell &Padding :"), QStringLiteral("0"));
    txtCellSpacing = addField("txtCellSpacing", QStringLiteral("Cell &Spacing :"), QStringLiteral("0"));
    txtBorder = addField("txtBorder", QStringLiteral("&Border :"), QStringLiteral("0"));
    for (QLineEdit *field : {txtRows, txtColumns, txtCellPadding, txtCellSpacing, txtBorder}) {
        auto *label = new QLabel(field->property("caption").toString(), this);
        label->setBuddy(field);
        form->addRow(label, field);
    }

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("C&ancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &frmHTMLTable::insertTable);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
}

QLineEdit *frmHTMLTable::addField(const char *name, const QString &label, const QString &initial)
{
    auto *field = new QLineEdit(initial, this);
    field->setObjectName(QLatin1String(name));
    field->setProperty("caption", label);
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, [field](const QString &text) {
        if (const std::optional<QString> replacement = validate(text)) {
            field->setText(*replacement);
            field->selectAll();
        }
    });
    return field;
}

std::optional<QString> frmHTMLTable::validate(const QString &text)
{
    bool numeric = false;
    const int value = text.trimmed().toInt(&numeric);
    if (numeric && value >= 1 && value <= MaxValue)
        return std::nullopt;
    return QStringLiteral("1");
}

void frmHTMLTable::increase(QLineEdit *field)
{
    const int value = valueOf(field);
    if (value < MaxValue)
        field->setText(QString::number(value + 1));
    field->selectAll();
}

void frmHTMLTable::decrease(QLineEdit *field)
{
    field->setText(QString::number(valueOf(field) - 1));
    field->selectAll();
}

bool frmHTMLTable::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            key == Qt::Key_Up ? increase(field) : decrease(field);
            return true;
        }
    } else if (field && event->type() == QEvent::FocusIn) {
        // After the focus change, so the click that brought the focus does not undo the selection.
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void frmHTMLTable::insertTable()
{
    m_commands.InsertTable(valueOf(txtRows), valueOf(txtColumns), valueOf(txtCellPadding), valueOf(txtCellSpacing),
                           valueOf(txtBorder));
    close();
}
