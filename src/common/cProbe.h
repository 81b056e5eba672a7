#pragma once
// A probe device: a name and the labels of the instrument's seven channels. A plain record; the
// setters keep what they are given.

#include <QString>
#include <array>

namespace corvin {

class cProbe {
public:
    const QString& Probe_Name() const { return m_name; }
    void setProbe_Name(const QString& v) { m_name = v; }

    // Channel k, 1..7.
    const QString& Ch(int k) const { return m_channels.at(k - 1); }
    void setCh(int k, const QString& v) { m_channels.at(k - 1) = v; }

    const QString& Ch1() const { return Ch(1); }
    const QString& Ch2() const { return Ch(2); }
    const QString& Ch3() const { return Ch(3); }
    const QString& Ch4() const { return Ch(4); }
    const QString& Ch5() const { return Ch(5); }
    const QString& Ch6() const { return Ch(6); }
    const QString& Ch7() const { return Ch(7); }

    bool operator==(const cProbe&) const = default;

private:
    QString m_name;
    std::array<QString, 7> m_channels;
};

} // namespace corvin
