#pragma once
// A pauser for tests that takes no time and records what it was asked for. Given a RecordingCard it
// also writes "Pause(n)" into the card's log, so one list shows card calls and pauses in order.

#include "instrument/CardLibrary.h"
#include "support/RecordingCard.h"

#include <vector>

namespace corvin::testing {

class CountingPauser : public instrument::Pauser {
public:
    CountingPauser() = default;
    explicit CountingPauser(RecordingCard& log) : m_log(&log) {}

    void Pause(int n) override {
        m_pauses.push_back(n);
        if (m_log)
            m_log->note(QStringLiteral("Pause(%1)").arg(n));
    }
    const std::vector<int>& pauses() const { return m_pauses; }
    void clear() { m_pauses.clear(); }

private:
    RecordingCard* m_log = nullptr;
    std::vector<int> m_pauses;
};

} // namespace corvin::testing
