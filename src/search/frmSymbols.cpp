#include "frmSymbols.h"

#include "EditorSurface.h"
#include "SearchDialogParts.h"
#include "SearchHost.h"
#include "SearchWindows.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

using SearchDialogParts::make;

namespace {

QString caption(const Symbol &symbol)
{
    QString text;
    if (symbol.kind == Symbol::Kind::Heading)
        text = QString(2 * (symbol.level - 1), QLatin1Char(' '));
    else if (symbol.kind == Symbol::Kind::Class)
        text = QStringLiteral("class ");
    return text + symbol.name + QStringLiteral("    (line %1)").arg(symbol.line);
}

} // namespace

frmSymbols::frmSymbols(SearchWindows &windows, QList<Symbol> symbols, QWidget *owner)
    : QDialog(owner)
    , m_windows(windows)
    , m_symbols(std::move(symbols))
{
    SearchDialogParts::setUpToolWindow(this, QStringLiteral("frmSymbols"), QStringLiteral("Go to Symbol"),
                                       windows.host().settings().AlwaysOnTop);
    txtFilter = make<QLineEdit>(this, "txtFilter");
    txtFilter->setPlaceholderText(QStringLiteral("Type to filter"));
    lstSymbols = make<QListWidget>(this, "lstSymbols");
    lstSymbols->setUniformItemSizes(true);
    lblInfo = make<QLabel>(this, "lblInfo", QString());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtFilter);
    layout->addWidget(lstSymbols, 1);
    layout->addWidget(lblInfo);
    resize(460, 420);

    // In one insertion: a large document lists hundreds of thousands.
    QStringList captions;
    captions.reserve(m_symbols.size());
    for (const Symbol &symbol : m_symbols)
        captions << caption(symbol);
    lstSymbols->addItems(captions);
    // The symbol the caret is in, or the first one.
    EditorSurface &surface = windows.host().surface();
    const int caret = surface.selStart();
    int current = 0;
    for (int i = 0; i < m_symbols.size() && m_symbols.at(i).offset <= caret; ++i)
        current = i;
    lstSymbols->setCurrentRow(m_symbols.isEmpty() ? -1 : current);
    lblInfo->setText(m_symbols.isEmpty() ? QStringLiteral("No symbols found.")
                                         : QStringLiteral("%1 symbols").arg(m_symbols.size()));

    txtFilter->installEventFilter(this);
    connect(txtFilter, &QLineEdit::textChanged, this, &frmSymbols::applyFilter);
    connect(txtFilter, &QLineEdit::returnPressed, this, &frmSymbols::goToChosen);
    connect(lstSymbols, &QListWidget::itemActivated, this, &frmSymbols::goToChosen);
    txtFilter->setFocus();
}

void frmSymbols::applyFilter()
{
    const QString filter = txtFilter->text();
    int first = -1;
    int shown = 0;
    // Only the rows that change are touched: a large document lists hundreds of thousands.
    lstSymbols->setUpdatesEnabled(false);
    for (int i = 0; i < m_symbols.size(); ++i) {
        const bool match = SymbolScanner::matchesFilter(m_symbols.at(i), filter);
        if (lstSymbols->isRowHidden(i) == match)
            lstSymbols->setRowHidden(i, !match);
        if (match) {
            ++shown;
            if (first < 0)
                first = i;
        }
    }
    lstSymbols->setUpdatesEnabled(true);
    QListWidgetItem *current = lstSymbols->currentItem();
    if (!current || current->isHidden())
        lstSymbols->setCurrentRow(first);
    lblInfo->setText(QStringLiteral("%1 of %2 symbols").arg(shown).arg(m_symbols.size()));
}

bool frmSymbols::eventFilter(QObject *watched, QEvent *event)
{
    // Up, Down and the page keys move in the list while typing goes on in the filter.
    if (watched == txtFilter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(lstSymbols, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSymbols::goToChosen()
{
    QListWidgetItem *item = lstSymbols->currentItem();
    if (!item || item->isHidden())
        return;
    const Symbol &symbol = m_symbols.at(lstSymbols->row(item));
    EditorSurface &surface = m_windows.host().surface();
    surface.setSelStart(symbol.offset);
    surface.setSelLength(symbol.kind == Symbol::Kind::Heading ? 0 : int(symbol.name.size()));
    m_windows.host().refreshStatusBar();
    close();
}
