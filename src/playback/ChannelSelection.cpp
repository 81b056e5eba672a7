#include "playback/ChannelSelection.h"

#include <algorithm>

namespace corvin::playback {
namespace {

bool IsChannel(int k) {
    return k >= 1 && k <= kChannelCount;
}

} // namespace

ChannelSelection::ChannelSelection(PlaybackSelection& shared) : m_shared(shared) {
    m_shared.PlotSetCount = 0;
    m_shared.PlotChannelClicks = 0;
    m_shared.PlotChannelSelected.fill(false);
}

void ChannelSelection::Load() {
    m_selected.fill(false);
    m_shared.PlotChannelOrder.fill(0);
}

bool ChannelSelection::click(int k) {
    if (!IsChannel(k) || isSelected(k))
        return false;
    // A channel is clicked at most once between two cancels, so the order never holds more than
    // seven entries.
    const auto next = static_cast<std::size_t>(m_shared.PlotChannelClicks);
    if (next >= m_shared.PlotChannelOrder.size())
        return false;
    m_selected[static_cast<std::size_t>(k - 1)] = true;
    m_shared.PlotChannelOrder[next] = static_cast<int16_t>(k);
    ++m_shared.PlotChannelClicks;
    return true;
}

void ChannelSelection::cancelSelection() {
    m_selected.fill(false);
    m_shared.PlotChannelClicks = 0;
}

bool ChannelSelection::accept() {
    const int selected = selectedCount();
    if (selected == 0)
        return false;
    for (int k = 1; k <= kChannelCount; ++k) {
        if (isSelected(k))
            m_shared.PlotChannelSelected[static_cast<std::size_t>(k - 1)] = true;
    }
    m_shared.PlotSetCount = static_cast<int16_t>(selected);
    return true;
}

bool ChannelSelection::isSelected(int k) const {
    return IsChannel(k) && m_selected[static_cast<std::size_t>(k - 1)];
}

int ChannelSelection::setNumberOf(int k) const {
    if (!isSelected(k))
        return 0;
    for (int s = 0; s < m_shared.PlotChannelClicks; ++s) {
        if (m_shared.PlotChannelOrder[static_cast<std::size_t>(s)] == k)
            return s + 1;
    }
    return 0;
}

int ChannelSelection::selectedCount() const {
    return static_cast<int>(std::count(m_selected.begin(), m_selected.end(), true));
}

} // namespace corvin::playback
