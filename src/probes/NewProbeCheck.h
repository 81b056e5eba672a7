#pragma once
// The checks the probe creation dialog makes before it writes a probe: the name, trimmed of
// spaces, must be 3 to 16 characters, at least two channel boxes must hold text (they need
// not be adjacent), and every channel text must be storable as it is: Windows-1252 characters
// only, no control characters, at most 16 characters (the dialog's boxes hold no more; a longer
// text from the command line is refused rather than cut). The dialog shows message() and does what the
// outcome says; once the check passes, probe() is what WriteProbeFile stores.

#include "common/SharedState.h"
#include "common/cProbe.h"

#include <QString>
#include <array>

namespace corvin::probes {

class NewProbeCheck {
public:
    enum class Outcome {
        Ready,          // write probe() to the probes folder
        NameTooShort,   // show message(); clear the name and its box, focus the name box
        NameTooLong,    // the same
        TooFewChannels, // show message(); reset the channel boxes, keeping their texts
        UnfitChannel,   // show message(); put the caret in box badChannel()
    };

    NewProbeCheck(const QString& typedName, const std::array<QString, kChannelCount>& channelTexts);

    Outcome outcome() const { return m_outcome; }
    bool ready() const { return m_outcome == Outcome::Ready; }
    // The information message for a refusal; empty when ready.
    QString message() const;
    // True when the refusal clears the name (the two name messages).
    bool clearsName() const {
        return m_outcome == Outcome::NameTooShort || m_outcome == Outcome::NameTooLong;
    }
    // True when the refusal resets the channel boxes.
    bool resetsChannels() const { return m_outcome == Outcome::TooFewChannels; }
    // The first channel (1..7) whose text cannot be stored; 0 when there is none.
    int badChannel() const { return m_badChannel; }

    // The name trimmed of spaces at both ends.
    const QString& name() const { return m_probe.Probe_Name(); }
    // How many channel texts are not empty once trimmed.
    int filledChannels() const { return m_filledChannels; }
    // The probe to store: the trimmed name and the seven channel texts trimmed (empty ones empty).
    const cProbe& probe() const { return m_probe; }

    // The information message after a successful write of `path`.
    static QString writtenMessage(const QString& path);

    static constexpr int kMinimumNameLength = 3;
    static constexpr int kMaximumNameLength = 16;
    static constexpr int kMinimumChannels = 2;

private:
    cProbe m_probe;
    int m_filledChannels = 0;
    int m_badChannel = 0;
    QString m_badChannelReason;
    Outcome m_outcome = Outcome::Ready;
};

} // namespace corvin::probes
