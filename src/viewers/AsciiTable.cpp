#include "AsciiTable.h"

namespace AsciiTable {

QString Name(int code)
{
    static const char *const names[] = {"",    "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
                                        "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                        "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "Sp"};
    if (code >= 1 && code <= 32)
        return QString::fromLatin1(names[code]);
    if (code == 127)
        return QStringLiteral("DEL");
    return {};
}

QString Row(int code)
{
    const QChar tab(u'\t');
    return QString(QChar(char16_t(code))) + tab + QStringLiteral("%1").arg(code, 3, 10, QLatin1Char('0')) + tab
        + QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper() + tab + Name(code);
}

QStringList Rows()
{
    QStringList rows;
    rows.reserve(LastCode - FirstCode + 1);
    for (int code = FirstCode; code <= LastCode; ++code)
        rows << Row(code);
    return rows;
}

QString InsertedText(const QString &row)
{
    return row.left(1);
}

} // namespace AsciiTable
