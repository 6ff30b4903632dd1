#pragma once

#include <QDialog>

#include <optional>

class HtmlCommands;
class QLineEdit;
class QPushButton;

// "Insert HTML Table": rows, columns and three attributes, each field held to 1 … 50 once edited.
class frmHTMLTable : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxValue = 50;

    frmHTMLTable(HtmlCommands &commands, bool alwaysOnTop, QWidget *owner);

    // The text a field must show instead of text, or nothing when text may stay.
    static std::optional<QString> validate(const QString &text);

    QLineEdit *txtRows = nullptr;
    QLineEdit *txtColumns = nullptr;
    QLineEdit *txtCellPadding = nullptr;
    QLineEdit *txtCellSpacing = nullptr;
    QLineEdit *txtBorder = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *addField(const char *name, const QString &label, const QString &initial);
    void increase(QLineEdit *field);
    void decrease(QLineEdit *field);
    void insertTable();

    HtmlCommands &m_commands;
};
