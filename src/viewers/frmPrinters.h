#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

class EditorSurface;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QScrollBar;
struct PrintSession;
struct Settings;

// Printer selection: the installed printers and a PDF file, the number of copies; OK prints.
class frmPrinters : public QDialog {
    Q_OBJECT
public:
    frmPrinters(EditorSurface &surface, const Settings &settings, PrintSession &session, const QString &documentName,
                QWidget *owner);
    ~frmPrinters() override;

    void FillPrinterList();

    QListWidget *lstPrinters;
    QLabel *Label1;
    QLineEdit *txtCopies;
    QScrollBar *VScroll1;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;
    QPushButton *cmdPreview;

private:
    void ok();
    void preview();
    // Takes the selected entry as the current printer (unchanged when none is selected).
    void takeSelection();
    // A printer for the current choice; nullptr when there is none.
    std::unique_ptr<QPrinter> makePrinter(const QString &pdfFile) const;

    EditorSurface &m_surface;
    const Settings &m_settings;
    PrintSession &m_session;
    QString m_documentName;
    QStringList m_installed;
};
