#pragma once

#include <QString>

// The printer all printing goes to, for as long as the program runs (it is not stored).
struct PrintSession {
    QString printerName;      // empty: none chosen and none installed
    bool toPdf = false;       // the PDF entry was chosen
    QString lastPdfFile;      // proposed again for the next PDF
};
