#include "ContentViewState.h"

#include "ClipCategory.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MergeRules.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"

namespace orvane {

namespace {

const QString saved = QStringLiteral("saved");

ContentViewState::Screen screenFor(const ContentViewState::Inputs& in) {
    using Screen = ContentViewState::Screen;
    if (in.isProcessing)
        return Screen::ExportScreen;
    if (in.hasExportResult)
        return Screen::ResultScreen;
    if (in.isMergeEditorPresented)
        return Screen::MergeEditorScreen;
    return Screen::LibraryScreen;
}

ContentViewState::HeaderControls headerControlsFor(const ContentViewState::Inputs& in,
                                                   const QString& category) {
    using Controls = ContentViewState::HeaderControls;
    if (!in.imported || in.availableCategories.isEmpty())
        return Controls::NoControls;
    if (in.isDeleteSelectionMode)
        return Controls::DeleteSelectionControls;
    if (category == saved && in.isMergeSelectionMode)
        return Controls::MergeSelectionControls;
    return Controls::ActionControls;
}

std::vector<Choice> categoryOptionsFor(const QStringList& available) {
    std::vector<Choice> options;
    for (const QString& raw : available.isEmpty() ? QStringList{saved} : available)
        if (const auto category = Category::fromRawValue(raw))
            options.push_back({raw, Category::displayName(*category), {}});
    return options;
}

} // namespace

ContentViewState::Choice ContentViewState::choose(const Inputs& in) {
    Choice c;
    c.screen = screenFor(in);
    const bool library = c.screen == Screen::LibraryScreen;
    c.isFullPagePreviewVisible = library && in.hasSelectedEvent;
    c.isEventBrowserVisible = library && !in.hasSelectedEvent;
    c.blockingOverlay = in.isDeletingEvents ? Overlay::DeletingOverlay
                        : in.isUpdating     ? Overlay::UpdatingOverlay
                                            : Overlay::NoOverlay;
    c.categorySelection = !in.selectedCategory.isEmpty()      ? in.selectedCategory
                          : !in.availableCategories.isEmpty() ? in.availableCategories.first()
                                                              : saved;
    c.categoryOptions = categoryOptionsFor(in.availableCategories);
    c.headerControls = headerControlsFor(in, c.categorySelection);
    c.offersMergeSelection =
        c.headerControls == HeaderControls::ActionControls && c.categorySelection == saved;
    c.canContinueMerge = size_t(in.mergePicks) >= MergeRules::minimumPicks && !in.isPreparingMerge;
    c.cardSelectionMode = in.isDeleteSelectionMode  ? CardSelection::DeleteCards
                          : in.isMergeSelectionMode ? CardSelection::MergeCards
                                                    : CardSelection::OpenCards;
    return c;
}

ContentViewState::ContentViewState(QObject* parent)
    : QObject(parent), categoryOptions_(new ChoiceListModel(choice_.categoryOptions, this)) {}

void ContentViewState::setViewModel(MainViewModel* viewModel) {
    if (viewModel_ == viewModel)
        return;
    for (const auto& connection : std::as_const(viewModelConnections_))
        disconnect(connection);
    viewModelConnections_.clear();
    viewModel_ = viewModel;
    if (viewModel) {
        auto& c = viewModelConnections_;
        const auto refresh = &ContentViewState::refresh;
        for (auto signal : {&ExportViewModel::isProcessingChanged, &ExportViewModel::exportResultChanged})
            c << connect(viewModel->exporter(), signal, this, refresh);
        for (auto signal :
             {&MergeViewModel::isMergeEditorPresentedChanged, &MergeViewModel::isMergeSelectionModeChanged,
              &MergeViewModel::mergeSelectedEventIDsChanged, &MergeViewModel::isPreparingMergeChanged})
            c << connect(viewModel->merge(), signal, this, refresh);
        c << connect(viewModel->preview(), &PreviewViewModel::selectedEventChanged, this, refresh);
        for (auto signal :
             {&LibraryViewModel::isDeletingEventsChanged, &LibraryViewModel::importModeChanged,
              &LibraryViewModel::availableCategoriesChanged, &LibraryViewModel::selectedCategoryChanged,
              &LibraryViewModel::isDeleteSelectionModeChanged})
            c << connect(viewModel->library(), signal, this, refresh);
    }
    emit viewModelChanged();
    refresh();
}

void ContentViewState::setUpdateController(AppUpdateController* controller) {
    if (updateController_ == controller)
        return;
    disconnect(updateConnection_);
    updateController_ = controller;
    if (controller)
        updateConnection_ =
            connect(controller, &AppUpdateController::isUpdatingChanged, this, &ContentViewState::refresh);
    emit updateControllerChanged();
    refresh();
}

ContentViewState::Inputs ContentViewState::currentInputs() const {
    Inputs in;
    if (const MainViewModel* vm = viewModel_) {
        const LibraryViewModel* library = vm->library();
        const MergeViewModel* merge = vm->merge();
        in.isProcessing = vm->exporter()->isProcessing();
        in.hasExportResult = vm->exporter()->hasExportResult();
        in.isMergeEditorPresented = merge->isMergeEditorPresented();
        in.hasSelectedEvent = vm->preview()->selectedEvent().has_value();
        in.isDeletingEvents = library->isDeletingEvents();
        in.imported = library->hasImported();
        in.availableCategories = library->availableCategories();
        in.selectedCategory =
            library->selectedCategory() ? Category::rawValue(*library->selectedCategory()) : QString();
        in.isDeleteSelectionMode = library->isDeleteSelectionMode();
        in.isMergeSelectionMode = merge->isMergeSelectionMode();
        in.mergePicks = merge->mergeSelectedEventCount();
        in.isPreparingMerge = merge->isPreparingMerge();
    }
    if (updateController_)
        in.isUpdating = updateController_->isUpdating();
    return in;
}

void ContentViewState::activateEvent(const QString& eventID) {
    if (!viewModel_)
        return;
    if (viewModel_->library()->isDeleteSelectionMode())
        viewModel_->library()->toggleDeleteEvent(eventID);
    else if (viewModel_->merge()->isMergeSelectionMode())
        viewModel_->merge()->toggleMergeEvent(eventID);
    else
        viewModel_->preview()->selectEvent(eventID);
}

void ContentViewState::goBack() {
    if (!viewModel_ || !choice_.isEventBrowserVisible || choice_.blockingOverlay != Overlay::NoOverlay)
        return;
    if (viewModel_->library()->isDeleteSelectionMode())
        viewModel_->library()->cancelDeleteSelection();
    else if (viewModel_->merge()->isMergeSelectionMode())
        viewModel_->merge()->cancelMergeSelection();
}

void ContentViewState::refresh() {
    const Choice next = choose(currentInputs());
    if (next == choice_)
        return;
    choice_ = next;
    categoryOptions_->setChoices(choice_.categoryOptions);
    emit changed();
}

} // namespace orvane
