#pragma once

#include <QString>
#include <QtGlobal>

// The correction a numeric field of the options dialog applies to its text on every change.
struct FieldRule {
    qint64 minimum = 1;
    qint64 maximum = 12;
    int step = 1;              // Up and Down arrows
    QString fallback;          // what a text that is not a number becomes
    // Typing towards a number above the floor passes through smaller ones ("5" on the way to "5000"),
    // so while the user types, the floor waits until the field is left.
    bool floorWhenDone = false;

    // typing: the change came from a key the user typed.
    QString corrected(const QString &text, bool typing) const;
    // The field's text after an arrow key: the number plus direction × step, corrected.
    QString stepped(const QString &text, int direction) const;
    // The value the dialog applies: the corrected number, rounded.
    qint64 value(const QString &text) const;

    static FieldRule tabWidth();
    static FieldRule lucidity();
    static FieldRule fileSizeLimit(qint32 current);
};
