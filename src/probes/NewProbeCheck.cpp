#include "probes/NewProbeCheck.h"

#include "common/TextTrim.h"
#include "probes/ProbeFile.h"

namespace corvin::probes {

NewProbeCheck::NewProbeCheck(const QString& typedName,
                             const std::array<QString, kChannelCount>& channelTexts) {
    m_probe.setProbe_Name(TrimSpaces(typedName));
    for (int k = 1; k <= kChannelCount; ++k) {
        m_probe.setCh(k, TrimSpaces(channelTexts[k - 1]));
        if (!m_probe.Ch(k).isEmpty())
            ++m_filledChannels;
        if (m_badChannel == 0) {
            if (std::optional<QString> why = UnfitTextReason(m_probe.Ch(k))) {
                m_badChannel = k;
                m_badChannelReason = *why;
            } else if (m_probe.Ch(k).size() > kProbeFieldLength) {
                m_badChannel = k;
                m_badChannelReason =
                    QStringLiteral("cannot be longer than %1 characters").arg(kProbeFieldLength);
            }
        }
    }
    if (name().size() < kMinimumNameLength)
        m_outcome = Outcome::NameTooShort;
    else if (name().size() > kMaximumNameLength)
        m_outcome = Outcome::NameTooLong;
    else if (m_filledChannels < kMinimumChannels)
        m_outcome = Outcome::TooFewChannels;
    else if (m_badChannel != 0)
        m_outcome = Outcome::UnfitChannel;
}

QString NewProbeCheck::message() const {
    switch (m_outcome) {
    case Outcome::NameTooShort:
        return QStringLiteral("Test Probe Device name must be at least 3 characters");
    case Outcome::NameTooLong:
        return QStringLiteral("Test Probe Device name cannot be greater than 16 characters");
    case Outcome::TooFewChannels:
        return QStringLiteral("Need minimum of two fields for a Probe device");
    case Outcome::UnfitChannel:
        return QStringLiteral("Channel %1 %2").arg(m_badChannel).arg(m_badChannelReason);
    case Outcome::Ready:
        break;
    }
    return {};
}

QString NewProbeCheck::writtenMessage(const QString& path) {
    return QStringLiteral(" Probe Spec ") + path + QStringLiteral(" successfully written to disc");
}

} // namespace corvin::probes
