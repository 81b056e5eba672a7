#pragma once
// The rules of the playback channel selection, apart from its window: channels are chosen by
// clicking them, each at most once, in the order that becomes the order of the graph's sets;
// "Cancel Selection" starts the order again; OK hands the choice to the graph. The state is the
// shared PlaybackSelection, which the graph reads.

#include "common/SharedState.h"

#include <array>

namespace corvin::playback {

class ChannelSelection {
public:
    // Window creation: nothing selected, no clicks, no sets.
    explicit ChannelSelection(PlaybackSelection& shared);

    // Window load: every channel unselected and the click order emptied.
    void Load();

    // Channel k (1..7) clicked: selected and appended to the order, unless already selected.
    // True when it changed anything.
    bool click(int k);
    // " Cancel Selection": every channel unselected; later clicks fill the order from its start.
    void cancelSelection();

    // " OK": with at least one channel selected, marks the selected channels in
    // PlotChannelSelected, sets PlotSetCount and returns true; with none, returns false and
    // changes nothing (the window then says so and cancels the selection).
    bool accept();

    bool isSelected(int k) const;
    // Where channel k stands in the click order (1 = first set), 0 when it is not selected.
    int setNumberOf(int k) const;
    int selectedCount() const;

private:
    PlaybackSelection& m_shared;
    std::array<bool, kChannelCount> m_selected{};
};

} // namespace corvin::playback
