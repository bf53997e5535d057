// The main window's rules without a window: which screen fills it, which overlay lies over it,
// what the category picker shows and which controls the browser's header offers.

#include "ContentViewState.h"

#include <gtest/gtest.h>

using namespace orvane;
using Inputs = ContentViewState::Inputs;

namespace {

Inputs imported(QStringList categories = {QStringLiteral("recent"), QStringLiteral("saved")}) {
    Inputs in;
    in.imported = true;
    in.availableCategories = std::move(categories);
    return in;
}

struct ScreenCase {
    const char* name;
    Inputs in;
    QString screen;
    bool preview;
    bool browser;
};

TEST(ContentViewState, TheFirstMatchingScreenFillsTheWindow) {
    const auto with = [](auto set) { Inputs in = imported(); set(in); return in; };
    const ScreenCase cases[] = {
        {"library", imported(), "library", false, true},
        {"event open", with([](Inputs& i) { i.hasSelectedEvent = true; }), "library", true, false},
        {"export over everything",
         with([](Inputs& i) { i.isProcessing = i.hasExportResult = i.isMergeEditorPresented = i.hasSelectedEvent = true; }),
         "export", false, false},
        {"result over the editor and the preview",
         with([](Inputs& i) { i.hasExportResult = i.isMergeEditorPresented = i.hasSelectedEvent = true; }), "result",
         false, false},
        {"editor over the preview", with([](Inputs& i) { i.isMergeEditorPresented = i.hasSelectedEvent = true; }),
         "mergeEditor", false, false},
    };
    for (const ScreenCase& c : cases) {
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
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, "");
        in.isUpdating = true;
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, "updating");
        in.isDeletingEvents = true;
        EXPECT_EQ(ContentViewState::choose(in).blockingOverlay, "deleting");
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
    EXPECT_EQ(none.headerControls, "") << "no category, no header controls";
}

struct HeaderCase {
    const char* category;
    bool deleting;
    bool merging;
    int picks;
    bool preparing;
    const char* controls;
    bool offersMerge;
    bool canContinue;
    const char* cards;
};

TEST(ContentViewState, TheHeaderOffersTheControlsOfTheSelectionMode) {
    const HeaderCase cases[] = {
        {"saved", false, false, 0, false, "actions", true, false, ""},
        {"sentry", false, false, 0, false, "actions", false, false, ""},
        {"saved", true, false, 0, false, "deleteSelection", false, false, "delete"},
        {"saved", true, true, 2, false, "deleteSelection", false, true, "delete"},
        {"saved", false, true, 1, false, "mergeSelection", false, false, "merge"},
        {"saved", false, true, 2, false, "mergeSelection", false, true, "merge"},
        {"saved", false, true, 3, true, "mergeSelection", false, false, "merge"},
        // Merge picks belong to the saved category: elsewhere the usual buttons show.
        {"recent", false, true, 2, false, "actions", false, true, "merge"},
    };
    for (const HeaderCase& c : cases) {
        Inputs in = imported({QStringLiteral("recent"), QStringLiteral("sentry"), QStringLiteral("saved")});
        in.selectedCategory = QString::fromLatin1(c.category);
        in.isDeleteSelectionMode = c.deleting;
        in.isMergeSelectionMode = c.merging;
        in.mergePicks = c.picks;
        in.isPreparingMerge = c.preparing;
        const auto choice = ContentViewState::choose(in);
        const std::string name = std::string(c.category) + " delete=" + std::to_string(c.deleting) +
                                 " merge=" + std::to_string(c.merging) + " picks=" + std::to_string(c.picks);
        EXPECT_EQ(choice.headerControls, c.controls) << name;
        EXPECT_EQ(choice.offersMergeSelection, c.offersMerge) << name;
        EXPECT_EQ(choice.canContinueMerge, c.canContinue) << name;
        EXPECT_EQ(choice.cardSelectionMode, c.cards) << name;
    }
}

TEST(ContentViewState, BeforeAnyImportTheHeaderIsEmpty) {
    Inputs in;
    in.availableCategories = {QStringLiteral("saved")};
    EXPECT_EQ(ContentViewState::choose(in).headerControls, "");
}

} // namespace
