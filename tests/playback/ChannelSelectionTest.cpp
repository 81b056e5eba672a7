// The rules of choosing the playback channels: click order, repeated clicks, cancelling, OK.
#include "playback/ChannelSelection.h"

#include <gtest/gtest.h>

using namespace corvin;
using corvin::playback::ChannelSelection;

namespace {

std::vector<int> Order(const PlaybackSelection& s) {
    return {s.PlotChannelOrder.begin(), s.PlotChannelOrder.begin() + s.PlotChannelClicks};
}

struct Clicks {
    std::vector<int> clicks;
    bool cancelAfterFirstTwo;
    std::vector<int> order;
    std::vector<int> selected;
};

class ChannelSelectionOrder : public ::testing::TestWithParam<Clicks> {};

} // namespace

TEST_P(ChannelSelectionOrder, GivesTheSetsInClickOrder) {
    PlaybackSelection shared;
    ChannelSelection selection(shared);
    selection.Load();
    const Clicks& c = GetParam();
    for (std::size_t i = 0; i < c.clicks.size(); ++i) {
        selection.click(c.clicks[i]);
        if (c.cancelAfterFirstTwo && i == 1)
            selection.cancelSelection();
    }
    ASSERT_TRUE(selection.accept());
    EXPECT_EQ(Order(shared), c.order);
    EXPECT_EQ(shared.PlotSetCount, static_cast<int16_t>(c.order.size()));
    for (int k = 1; k <= kChannelCount; ++k) {
        const bool wanted = std::find(c.selected.begin(), c.selected.end(), k) != c.selected.end();
        EXPECT_EQ(shared.PlotChannelSelected[static_cast<std::size_t>(k - 1)], wanted) << "channel " << k;
    }
    for (std::size_t s = 0; s < c.order.size(); ++s)
        EXPECT_EQ(selection.setNumberOf(c.order[s]), int(s) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelSelectionOrder,
    ::testing::Values(Clicks{{5, 2, 7}, false, {5, 2, 7}, {2, 5, 7}},
                      // A second click on a chosen channel changes nothing.
                      Clicks{{3, 3, 5}, false, {3, 5}, {3, 5}},
                      // After "Cancel Selection" only the new clicks count, from the start.
                      Clicks{{1, 4, 6, 4}, true, {6, 4}, {4, 6}}));

TEST(ChannelSelection, OkWithNothingChosenRefusesAndChangesNothing) {
    PlaybackSelection shared;
    ChannelSelection selection(shared);
    selection.Load();
    selection.click(2);
    selection.cancelSelection();
    EXPECT_FALSE(selection.accept());
    EXPECT_EQ(shared.PlotSetCount, 0);
    EXPECT_EQ(shared.PlotChannelSelected, (std::array<bool, kChannelCount>{}));
}

TEST(ChannelSelection, ANewWindowStartsFromNothing) {
    PlaybackSelection shared;
    shared.PlotSetCount = 3;
    shared.PlotChannelClicks = 3;
    shared.PlotChannelSelected.fill(true);
    ChannelSelection selection(shared);
    selection.Load();
    EXPECT_EQ(shared.PlotSetCount, 0);
    EXPECT_EQ(shared.PlotChannelClicks, 0);
    EXPECT_EQ(shared.PlotChannelSelected, (std::array<bool, kChannelCount>{}));
    EXPECT_FALSE(selection.click(0));
    EXPECT_FALSE(selection.click(8));
    EXPECT_EQ(selection.selectedCount(), 0);
}
