#pragma once
// The seven bar colours, one per channel, as Windows RGB values (red in the lowest byte, then
// green, then blue; top byte 0). A new record is all black until the colour file is read.

#include <QColor>
#include <array>
#include <cstdint>

namespace corvin {

class cBarColors {
public:
    // Channel k, 1..7.
    int32_t Ch(int k) const { return m_colours.at(k - 1); }
    void setCh(int k, int32_t rgb) { m_colours.at(k - 1) = rgb; }

    int32_t Ch1() const { return Ch(1); }
    int32_t Ch2() const { return Ch(2); }
    int32_t Ch3() const { return Ch(3); }
    int32_t Ch4() const { return Ch(4); }
    int32_t Ch5() const { return Ch(5); }
    int32_t Ch6() const { return Ch(6); }
    int32_t Ch7() const { return Ch(7); }

    bool operator==(const cBarColors&) const = default;

private:
    std::array<int32_t, 7> m_colours{};
};

// Windows RGB value <-> QColor.
inline QColor ToQColor(int32_t rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
inline int32_t FromQColor(const QColor& c) {
    return static_cast<int32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace corvin
