// The main window's rules without a window: which screen fills it, which overlay lies over it,
// what the category picker shows and which controls the browser's header offers.

#include "ContentViewState.h"

#include <gtest/gtest.h>

using namespace orvane;
using Inputs = ContentViewState::Inputs;
using Screen = ContentViewState::Screen;
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

TEST(ContentViewState, TheFirstMatchingScreenFillsTheWindow) {
    const auto with = [](auto set) {
        Inputs in = imported();
        set(in);
        return in;
    };
    const struct {
        const char* name;
        Inputs in;
        Screen screen;
        bool preview;
        bool browser;
    } cases[] = {
        {"library", imported(), Screen::LibraryScreen, false, true},
        {"event open", with([](Inputs& i) { i.hasSelectedEvent = true; }), Screen::LibraryScreen, true,
         false},
        {"export over everything", with([](Inputs& i) {
             i.isProcessing = i.hasExportResult = i.isMergeEditorPresented = i.hasSelectedEvent = true;
         }),
         Screen::ExportScreen, false, false},
        {"result over the editor and the preview",
         with([](Inputs& i) { i.hasExportResult = i.isMergeEditorPresented = i.hasSelectedEvent = true; }),
         Screen::ResultScreen, false, false},
        {"editor over the preview",
         with([](Inputs& i) { i.isMergeEditorPresented = i.hasSelectedEvent = true; }),
         Screen::MergeEditorScreen, false, false},
    };
    for (const auto& c : cases) {
        const auto choice = ContentViewState::choose(c.in);
        EXPECT_EQ(choice.screen, c.screen) << c.name;
        EXPECT_EQ(choice.isFullPagePreviewVisible, c.preview) << c.name;
        EXPECT_EQ(choice.isEventBrowserVisible, c.browser) << c.name;
    }
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

TEST(ContentViewState, ThePickerShowsTheSelectedCategoryElseTheFirstElseSaved) {
    Inputs in = imported({QStringLiteral("sentry"), QStringLiteral("saved")});
    EXPECT_EQ(ContentViewState::choose(in).categorySelection, "sentry");
    in.selectedCategory = QStringLiteral("saved");
    EXPECT_EQ(ContentViewState::choose(in).categorySelection, "saved");

    const auto none = ContentViewState::choose(imported({}));
    EXPECT_EQ(none.categorySelection, "saved");
    ASSERT_EQ(none.categoryOptions.size(), 1);
    EXPECT_EQ(none.categoryOptions.first().toMap().value("title").toString(), "手动保存");
    EXPECT_EQ(none.headerControls, Controls::NoControls) << "no category, no header controls";
    Inputs before; // nothing imported yet
    before.availableCategories = {QStringLiteral("saved")};
    EXPECT_EQ(ContentViewState::choose(before).headerControls, Controls::NoControls);
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
