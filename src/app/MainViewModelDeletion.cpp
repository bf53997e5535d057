// Marking events and moving their files to the Trash.

#include "MainViewModelPrivate.h"
#include "ObservableField.h"

namespace orvane {

void MainViewModel::setDeleteSelectionMode(bool value) {
    assignAndNotify(isDeleteSelectionMode_, value, this, &MainViewModel::isDeleteSelectionModeChanged);
}

void MainViewModel::setDeleteSelectedEventIDs(QSet<QUuid> ids) {
    update(deleteSelectedEventIDs_, std::move(ids), &MainViewModel::deleteSelectedEventIDsChanged);
}

void MainViewModel::setDeletingEvents(bool value) {
    assignAndNotify(isDeletingEvents_, value, this, &MainViewModel::isDeletingEventsChanged);
}

void MainViewModel::startDeleteSelection() {
    const Batch batch(*this);
    cancelMergeSelection();
    setDeleteSelectionMode(true);
    setDeleteSelectedEventIDs({});
}

void MainViewModel::cancelDeleteSelection() {
    const Batch batch(*this);
    setDeleteSelectionMode(false);
    setDeleteSelectedEventIDs({});
}

void MainViewModel::toggleDeleteEvent(const QString& eventID) {
    const QUuid id(eventID);
    for (const TeslaClipEvent& e : eventsInSelectedCategoryList())
        if (e.id == id) {
            toggleDeleteEvent(e);
            return;
        }
}

void MainViewModel::toggleDeleteEvent(const TeslaClipEvent& event) {
    QSet<QUuid> ids = deleteSelectedEventIDs_;
    if (!ids.remove(event.id))
        ids.insert(event.id);
    setDeleteSelectedEventIDs(std::move(ids));
}

void MainViewModel::toggleSelectAllEventsForDeletion() {
    setDeleteSelectedEventIDs(
        LibraryRules::toggledSelectAll(eventsInSelectedCategoryList(), deleteSelectedEventIDs_));
}

void MainViewModel::deleteSelectedEvents() {
    if (isDeletingEvents_)
        return;
    std::vector<TeslaClipEvent> events;
    for (const TeslaClipEvent& e : eventsInSelectedCategoryList())
        if (deleteSelectedEventIDs_.contains(e.id))
            events.push_back(e);
    if (events.empty())
        return;
    const Batch batch(*this);
    setDeletingEvents(true);
    setOptionalError(std::nullopt);
    runInBackground(
        workPool_, [move = services_.moveToTrash, events] { return attempt([&] { return move(events); }); },
        [this, selection = deleteSelectedEventIDs_, category = events.front().category,
         count = int(events.size())](const Attempt<int>& moved) {
            const Batch inner(*this);
            if (moved.value) {
                removeDeletedEventsFromLibrary(selection, category);
                setStatusMessage(LibraryRules::deletedStatus(count, *moved.value));
            } else {
                // Files already moved stay in the Trash; the message asks for a re-import.
                setOptionalError(moved.error);
            }
            setDeletingEvents(false);
        });
}

void MainViewModel::removeDeletedEventsFromLibrary(const QSet<QUuid>& ids, ClipCategory category) {
    const Batch batch(*this);
    auto found = eventsByCategory_.find(category);
    if (found != eventsByCategory_.end()) {
        EventsByCategory next = eventsByCategory_;
        std::erase_if(next[category], [&](const TeslaClipEvent& e) { return ids.contains(e.id); });
        setEventsByCategory(std::move(next));
    }
    std::vector<QUuid> merge = mergeSelectedEventIDs_;
    std::erase_if(merge, [&](const QUuid& id) { return ids.contains(id); });
    setMergeSelectedEventIDs(std::move(merge));
    setDeleteSelectedEventIDs({});
    setDeleteSelectionMode(false);
    if (selectedEventID_ && ids.contains(*selectedEventID_))
        closeEventPreview();
}

} // namespace orvane
