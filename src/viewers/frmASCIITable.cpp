#include "frmASCIITable.h"

#include "AsciiTable.h"
#include "ViewerParts.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

using ViewerParts::make;

namespace {

constexpr int kColumnChars[] = {0, 6, 12, 18};

// Draws a row's tab-separated fields under the column headings. The row's text stays as it is,
// so the first character is always the one inserted, the tab of code 9 included.
class ColumnsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem plain = option;
        initStyleOption(&plain, index);
        const QString row = plain.text;
        plain.text.clear();
        plain.widget->style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);

        QStringList fields = row.mid(2).split(QLatin1Char('\t'));
        fields.prepend(shown(row.left(1)));
        painter->save();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                   : QPalette::Text));
        const int cw = option.fontMetrics.horizontalAdvance(QLatin1Char('M'));
        for (int i = 0; i < fields.size() && i < 4; ++i) {
            QRect cell = option.rect.adjusted(4 + kColumnChars[i] * cw, 0, 0, 0);
            painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, fields[i]);
        }
        painter->restore();
    }

private:
    // Control characters have no glyph of their own: caret notation stands in for them (^A for
    // code 1, ^? for DEL); the tab's column stays blank, as does the C1 range.
    static QString shown(const QString &character)
    {
        const char16_t c = character.isEmpty() ? 0 : character[0].unicode();
        if (c == u'\t')
            return QString();
        if (c < 0x20)
            return QStringLiteral("^") + QChar(char16_t(c + 0x40));
        if (c == 0x7F)
            return QStringLiteral("^?");
        if (c >= 0x80 && c < 0xA0)
            return QString();
        return character;
    }
};

QFont tableFont()
{
    // A fixed-pitch face with every Latin-1 glyph and the control pictures.
    for (const char *family : {"DejaVu Sans Mono", "Liberation Mono"}) {
        if (QFontDatabase::hasFamily(QLatin1String(family)))
            return ViewerParts::fixedFont(QLatin1String(family), 10);
    }
    return ViewerParts::fixedFont(QStringLiteral("Terminal"), 10);
}

} // namespace

frmASCIITable::frmASCIITable(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("frmASCIITable"));
    setWindowTitle(QStringLiteral("ASCII Table"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    const QFont font = tableFont();
    lstTable = make<QListWidget>(this, "lstTable");
    lstTable->setAccessibleName(QStringLiteral("Characters"));
    lstTable->setFont(font);
    lstTable->setToolTip(QStringLiteral("Double-Click to insert char"));
    lstTable->setItemDelegate(new ColumnsDelegate(lstTable));
    lstTable->setUniformItemSizes(true);
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Char"));
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Dec#"));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("Hex#"));
    Label4 = make<QLabel>(this, "Label4", QStringLiteral("Name"));
    Label5 = make<QLabel>(this, "Label5", QStringLiteral("Double click to insert or use Insert Char Button"));
    cmdInsertChar = make<QPushButton>(this, "cmdInsertChar", QStringLiteral("Insert Char"));
    cmdClose = make<QPushButton>(this, "cmdClose", QStringLiteral("&Close"));

    // Headings over the columns the delegate draws.
    auto *headings = new QWidget(this);
    const int cw = QFontMetrics(font).horizontalAdvance(QLatin1Char('M'));
    const int frame = lstTable->frameWidth() + 4;
    QLabel *labels[] = {Label1, Label2, Label3, Label4};
    for (int i = 0; i < 4; ++i) {
        labels[i]->setParent(headings);
        labels[i]->move(frame + kColumnChars[i] * cw, 0);
    }
    headings->setMinimumHeight(Label1->sizeHint().height());
    headings->setMinimumWidth(frame + 26 * cw);

    auto *grid = new QGridLayout(this);
    grid->addWidget(headings, 0, 0, 1, 2);
    grid->addWidget(lstTable, 1, 0, 1, 2);
    grid->addWidget(Label5, 2, 0, 1, 2);
    grid->addWidget(cmdInsertChar, 3, 0);
    grid->addWidget(cmdClose, 3, 1);
    resize(headings->minimumWidth() + 60, 460);

    lstTable->clear();
    lstTable->addItems(AsciiTable::Rows());
    lstTable->setCurrentRow(0);
    lstTable->installEventFilter(this);

    connect(lstTable, &QListWidget::itemDoubleClicked, this, &frmASCIITable::insertChosen);
    connect(cmdInsertChar, &QPushButton::clicked, this, &frmASCIITable::insertChosen);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

bool frmASCIITable::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lstTable && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            insertChosen();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmASCIITable::insertChosen()
{
    const QListWidgetItem *item = lstTable->currentItem();
    if (!item)
        return;
    emit insertRequested(AsciiTable::InsertedText(item->text()));
}
