#pragma once

#include "HexView.h"

#include <QDialog>

class BytePane;
class QLabel;
class QPushButton;

// The hex view: the selection as characters and as hex byte values, selections kept in step.
class frmHEX : public QDialog {
    Q_OBJECT
public:
    explicit frmHEX(const QFont &font, QWidget *owner);

    // Fills both panes with the selected text in the document's storage mode.
    void loadText(const QString &selected, const HexView::StorageMode &mode, bool atDocumentStart);

    static constexpr int BytesPerRow = 16;

    BytePane *txtASCII;
    BytePane *txtHEX;
    QLabel *lblHex;
    QPushButton *cmdClose;

private:
    void followCharacters();
    void followHex();
};
