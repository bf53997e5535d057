// The main window's rules without a window: which overlay lies over it and which controls the
// browser's header offers. Which screen fills it the window tests show.

#include "ContentViewState.h"

#include <gtest/gtest.h>

using namespace orvane;
using Inputs = ContentViewState::Inputs;
using Overlay = ContentViewState::Overlay;
using Controls = ContentViewState::HeaderControls;
using Cards = ContentViewState::CardSelection;

namespace {

Inputs imported(QStringList categories = {QStringLiteral("recent"), QStringLiteral("saved")}) {
    Inputs in;
    in.imported = true;
    in.availableCategories = std::move(categories);
    return in;
}

TEST(ContentViewState, DeletingOutranksUpdatingAndEitherBlocksAnyScreen) {
    for (const bool processing : {false, true}) {
        Inputs in = imported();
        in.isProcessing = processing;
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, Overlay::NoOverlay);
        in.isUpdating = true;
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, Overlay::UpdatingOverlay);
        in.isDeletingEvents = true;
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, Overlay::DeletingOverlay);
    }
}

TEST(ContentViewState, TheHeaderOffersTheControlsOfTheSelectionMode) {
    const struct {
        const char* category;
        bool deleting, merging;
        int picks;
        bool preparing;
        Controls controls;
        bool offersMerge, canContinue;
        Cards cards;
    } cases[] = {
        {"saved", false, false, 0, false, Controls::ActionControls, true, false, Cards::OpenCards},
        {"sentry", false, false, 0, false, Controls::ActionControls, false, false, Cards::OpenCards},
        {"saved", true, false, 0, false, Controls::DeleteSelectionControls, false, false, Cards::DeleteCards},
        {"saved", true, true, 2, false, Controls::DeleteSelectionControls, false, true, Cards::DeleteCards},
        {"saved", false, true, 1, false, Controls::MergeSelectionControls, false, false, Cards::MergeCards},
        {"saved", false, true, 2, false, Controls::MergeSelectionControls, false, true, Cards::MergeCards},
        {"saved", false, true, 3, true, Controls::MergeSelectionControls, false, false, Cards::MergeCards},
        // Merge picks belong to the saved category: elsewhere the usual buttons show.
        {"recent", false, true, 2, false, Controls::ActionControls, false, true, Cards::MergeCards},
    };
    for (const auto& c : cases) {
        Inputs in = imported({QStringLiteral("recent"), QStringLiteral("sentry"), QStringLiteral("saved")});
        in.selectedCategory = QString::fromLatin1(c.category);
        in.isDeleteSelectionMode = c.deleting;
        in.isMergeSelectionMode = c.merging;
        in.mergePicks = c.picks;
        in.isPreparingMerge = c.preparing;
        const auto choice = ContentViewState::choose(in);
        SCOPED_TRACE(testing::Message() << c.category << " delete=" << c.deleting << " merge=" << c.merging
                                        << " picks=" << c.picks);
        EXPECT_EQ(choice.headerControls, c.controls);
        EXPECT_EQ(choice.offersMergeSelection, c.offersMerge);
        EXPECT_EQ(choice.canContinueMerge, c.canContinue);
        EXPECT_EQ(choice.cardSelectionMode, c.cards);
    }
}

} // namespace
