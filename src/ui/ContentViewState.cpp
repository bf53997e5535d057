#include "ContentViewState.h"

#include "ClipCategory.h"
#include "MainViewModel.h"
#include "MergeRules.h"

#include <QMetaProperty>

namespace orvane {

namespace {

const QString saved = QStringLiteral("saved");
const QString isUpdatingName = QStringLiteral("isUpdating");

QString screenFor(const ContentViewState::Inputs& in) {
    if (in.isProcessing)
        return QStringLiteral("export");
    if (in.hasExportResult)
        return QStringLiteral("result");
    if (in.isMergeEditorPresented)
        return QStringLiteral("mergeEditor");
    return QStringLiteral("library");
}

QString headerControlsFor(const ContentViewState::Inputs& in, const QString& category) {
    if (!in.imported || in.availableCategories.isEmpty())
        return {};
    if (in.isDeleteSelectionMode)
        return QStringLiteral("deleteSelection");
    if (category == saved && in.isMergeSelectionMode)
        return QStringLiteral("mergeSelection");
    return QStringLiteral("actions");
}

QVariantList categoryOptionsFor(const QStringList& available) {
    QVariantList options;
    for (const QString& raw : available.isEmpty() ? QStringList{saved} : available)
        if (const auto category = Category::fromRawValue(raw))
            options << QVariantMap{{QStringLiteral("value"), raw},
                                   {QStringLiteral("title"), Category::displayName(*category)}};
    return options;
}

} // namespace

ContentViewState::Choice ContentViewState::choose(const Inputs& in) {
    Choice c;
    c.screen = screenFor(in);
    const bool library = c.screen == QLatin1String("library");
    c.isFullPagePreviewVisible = library && in.hasSelectedEvent;
    c.isEventBrowserVisible = library && !in.hasSelectedEvent;
    c.blockingOverlay = in.isDeletingEvents ? QStringLiteral("deleting")
                        : in.isUpdating     ? QStringLiteral("updating")
                                            : QString();
    c.categorySelection = !in.selectedCategory.isEmpty()      ? in.selectedCategory
                          : !in.availableCategories.isEmpty() ? in.availableCategories.first()
                                                              : saved;
    c.categoryOptions = categoryOptionsFor(in.availableCategories);
    c.headerControls = headerControlsFor(in, c.categorySelection);
    c.offersMergeSelection = c.headerControls == QLatin1String("actions") && c.categorySelection == saved;
    c.canContinueMerge = size_t(in.mergePicks) >= MergeRules::minimumPicks && !in.isPreparingMerge;
    c.cardSelectionMode = in.isDeleteSelectionMode  ? QStringLiteral("delete")
                          : in.isMergeSelectionMode ? QStringLiteral("merge")
                                                    : QString();
    return c;
}

ContentViewState::ContentViewState(QObject* parent) : QObject(parent) {}

void ContentViewState::setViewModel(MainViewModel* viewModel) {
    if (viewModel_ == viewModel)
        return;
    for (const auto& connection : std::as_const(viewModelConnections_))
        disconnect(connection);
    viewModelConnections_.clear();
    viewModel_ = viewModel;
    if (viewModel) {
        using VM = MainViewModel;
        for (auto signal : {&VM::isProcessingChanged, &VM::exportResultChanged, &VM::isMergeEditorPresentedChanged,
                            &VM::selectedEventChanged, &VM::isDeletingEventsChanged, &VM::importModeChanged,
                            &VM::availableCategoriesChanged, &VM::selectedCategoryChanged,
                            &VM::isDeleteSelectionModeChanged, &VM::isMergeSelectionModeChanged,
                            &VM::mergeSelectedEventIDsChanged, &VM::isPreparingMergeChanged})
            viewModelConnections_ << connect(viewModel, signal, this, &ContentViewState::refresh);
    }
    emit viewModelChanged();
    refresh();
}

void ContentViewState::setUpdateController(QObject* controller) {
    if (updateController_ == controller)
        return;
    disconnect(updateConnection_);
    updateController_ = controller;
    if (controller) {
        const QMetaObject* meta = controller->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(isUpdatingName.toLatin1()));
        if (property.hasNotifySignal())
            updateConnection_ = connect(controller, property.notifySignal(), this,
                                        metaObject()->method(metaObject()->indexOfSlot("refresh()")));
    }
    emit updateControllerChanged();
    refresh();
}

ContentViewState::Inputs ContentViewState::currentInputs() const {
    Inputs in;
    if (const MainViewModel* vm = viewModel_) {
        in.isProcessing = vm->isProcessing();
        in.hasExportResult = vm->hasExportResult();
        in.isMergeEditorPresented = vm->isMergeEditorPresented();
        in.hasSelectedEvent = vm->hasSelectedEvent();
        in.isDeletingEvents = vm->isDeletingEvents();
        in.imported = vm->importMode() != QLatin1String("none");
        in.availableCategories = vm->availableCategories();
        in.selectedCategory = vm->selectedCategory();
        in.isDeleteSelectionMode = vm->isDeleteSelectionMode();
        in.isMergeSelectionMode = vm->isMergeSelectionMode();
        in.mergePicks = int(vm->mergeSelectedEventIDs().size());
        in.isPreparingMerge = vm->isPreparingMerge();
    }
    if (updateController_)
        in.isUpdating = updateController_->property(isUpdatingName.toLatin1()).toBool();
    return in;
}

void ContentViewState::activateEvent(const QString& eventID) {
    if (!viewModel_)
        return;
    if (viewModel_->isDeleteSelectionMode())
        viewModel_->toggleDeleteEvent(eventID);
    else if (viewModel_->isMergeSelectionMode())
        viewModel_->toggleMergeEvent(eventID);
    else
        viewModel_->selectEvent(eventID);
}

void ContentViewState::goBack() {
    if (!viewModel_ || !choice_.isEventBrowserVisible || !choice_.blockingOverlay.isEmpty())
        return;
    if (viewModel_->isDeleteSelectionMode())
        viewModel_->cancelDeleteSelection();
    else if (viewModel_->isMergeSelectionMode())
        viewModel_->cancelMergeSelection();
}

void ContentViewState::refresh() {
    const Choice next = choose(currentInputs());
    if (next == choice_)
        return;
    choice_ = next;
    emit changed();
}

} // namespace orvane
