#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

// Where UTF-8 text stands in UTF-16 units and in characters, for a document too large to count
// from its start on every question. A checkpoint every few kilobytes holds the units and
// characters before it, so a question counts one short stretch; an edit moves the checkpoints
// after it, which for a 50 MB document is a few thousand additions. Built on the loader's thread
// while the widget takes the text, it costs the window nothing at load.
//
// Counts go by lead bytes: a continuation byte (10xxxxxx) counts nothing, a four-byte lead
// (F0-F7) two units and one character, any other byte one of each, as the widget's own index
// counts valid UTF-8.
class UnitIndex {
public:
    struct Spot {
        qsizetype byte = 0;
        qsizetype units = 0;
        qsizetype chars = 0;
        bool operator==(const Spot &) const = default;
        Spot &operator+=(const Spot &other)
        {
            byte += other.byte;
            units += other.units;
            chars += other.chars;
            return *this;
        }
        Spot &operator-=(const Spot &other)
        {
            byte -= other.byte;
            units -= other.units;
            chars -= other.chars;
            return *this;
        }
    };
    // Gives the bytes [from, from + length) of the text, which lie inside it.
    using Reader = std::function<const char *(qsizetype from, qsizetype length)>;

    static constexpr qsizetype BlockBytes = 4096;

    // Takes the text in pieces of any size, also ones that split a character.
    class Builder {
    public:
        void add(const char *data, qsizetype size);
        UnitIndex finish();

    private:
        std::vector<Spot> m_marks{Spot{}};
        Spot m_at;
    };

    static UnitIndex of(const char *data, qsizetype size);
    // The bytes, units and characters of a stretch of text.
    static Spot count(const char *data, qsizetype size) { return counted({}, data, size); }

    // The counts of the whole text.
    Spot end() const { return m_end; }
    qsizetype units() const { return m_end.units; }

    // The units and characters whose lead bytes lie before byte.
    Spot at(qsizetype byte, const Reader &read) const;
    // The first byte whose spot holds more than unit units, counted from the checkpoint before it:
    // the spot of the character that holds the unit, or of the end.
    Spot holding(qsizetype unit, const Reader &read) const;

    // After the widget inserted length bytes at byte; read gives the text with them in it.
    void inserted(qsizetype byte, const char *text, qsizetype length, const Reader &read);
    // Before the widget deletes length bytes at byte, and after it did: the counts are taken from
    // the text while it is still there.
    void deleting(qsizetype byte, qsizetype length, const Reader &read);
    void deleted();

private:
    std::size_t markBefore(qsizetype byte) const;
    static Spot counted(Spot from, const char *data, qsizetype size);

    std::vector<Spot> m_marks{Spot{}};   // ascending; the first is the start of the text
    Spot m_end;
    // The last answer: questions asked in order count on from it.
    mutable Spot m_last;
    struct Deletion {
        Spot from;
        Spot to;
        bool pending = false;
    } m_deletion;
};
