#pragma once

#include <QString>
#include <QStringView>

#include <optional>

struct Settings;

// How a document is indented: one tab, or a number of blanks, per level.
struct IndentStyle {
    bool spaces = false;
    int width = 4;

    bool operator==(const IndentStyle &) const = default;
    QString unit() const;
};

// The indentation the open document follows. A file brings its own when it is indented
// consistently enough to tell; otherwise (and for a new document) the settings decide.
class DocumentIndent {
public:
    // Lines read to decide: enough for any real file, cheap for a huge one.
    static constexpr int SampleLines = 2000;
    static constexpr int SampleChars = 256 * 1024;

    // The style of text's indented lines; none when too few lines are indented to tell.
    static std::optional<IndentStyle> detect(QStringView text);

    void follow(QStringView text) { m_detected = detect(text); }
    void forget() { m_detected.reset(); }
    const std::optional<IndentStyle> &detected() const { return m_detected; }

    IndentStyle style(const Settings &settings) const;
    QString unit(const Settings &settings) const { return style(settings).unit(); }

private:
    std::optional<IndentStyle> m_detected;
};
