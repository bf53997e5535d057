#include "LibraryViewModel.h"

#include "AppMessages.h"
#include "AppPools.h"
#include "Attempt.h"
#include "FileName.h"
#include "ObservableField.h"
#include "ReasonFilter.h"

#include <QFileInfo>

namespace orvane {

struct LibraryViewModel::ImportWork {
    LibraryRules::ImportChoice choice;
    Attempt<EventsByCategory> scan;
};

LibraryViewModel::LibraryViewModel(const LibraryServices& services, AppMessages& messages, QObject* parent)
    : QObject(parent), services_(services), messages_(messages), eventsModel_(new EventListModel(this)),
      rowsModel_(new DatedEventRowModel(this)), calendar_(new FootageCalendar(this)),
      reasonChoices_(new ChoiceListModel(this)),
      hardBrakeCounts_(new HardBrakeCounts(services_.countHardBrakes, this)),
      marksFilter_(new MarksFilter(*hardBrakeCounts_, this)) {
    eventsModel_->setHardBrakeCounts(hardBrakeCounts_);
    rowsModel_->setHardBrakeCounts(hardBrakeCounts_);
    connect(marksFilter_, &MarksFilter::shownChanged, this, &LibraryViewModel::refresh);
    filterEvents();
    refresh();
}

// --- Import ---

void LibraryViewModel::importTeslaCamFolders(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls)
        paths << FileName::fromUrl(url);
    importTeslaCamPaths(paths);
}

void LibraryViewModel::importTeslaCamPaths(const QStringList& paths) {
    messages_.setError(std::nullopt);
    emit importStarted();
    if (paths.isEmpty())
        return;
    setImporting(true);
    import_.run(
        AppPools::files(), this,
        [check = services_.checkImportChoice, scan = services_.scanLibrary, paths] {
            ImportWork work;
            work.choice = check(paths);
            if (!work.choice.rejection)
                work.scan = attempt([&] { return scan(work.choice.folders); });
            return work;
        },
        [this](const ImportWork& work) { applyImport(work); });
}

void LibraryViewModel::applyImport(const ImportWork& work) {
    setImporting(false);
    if (work.choice.rejection) {
        messages_.setError(work.choice.rejection);
        messages_.setStatus(LibraryRules::startMessage);
        return;
    }
    if (!work.scan.value) {
        messages_.setError(work.scan.error);
        messages_.setStatus(LibraryRules::importFailedStatus);
        setImportMode(ImportMode::none);
        return;
    }
    setImportMode(ImportMode::teslaCam);
    importedFolders_ = work.choice.folders;
    setReasonFilter({});       // another drive: its reasons may differ
    hardBrakeCounts_->clear(); // the footage may have changed since it was counted
    setEventsByCategory(*work.scan.value);
    emit libraryReplaced();
    if (eventsByCategory_.empty()) {
        messages_.setError(LibraryRules::noClipsMessage);
        messages_.setStatus(LibraryRules::startMessage);
        setSelectedCategory(std::nullopt);
        setImportMode(ImportMode::none);
        return;
    }
    messages_.setStatus(LibraryRules::scannedStatus(eventsByCategory_));
    if (const auto preferred = LibraryRules::preferredCategory(eventsByCategory_))
        selectCategory(*preferred);
}

int LibraryViewModel::forgetDrive(const QString& mountPoint) {
    const auto onDrive = [&](const QString& path) { return FileName::liesIn(path, mountPoint); };
    if (std::none_of(importedFolders_.begin(), importedFolders_.end(), onDrive))
        return 0;
    importedFolders_.removeIf(onDrive);
    EventsByCategory kept = eventsByCategory_;
    QSet<QUuid> gone;
    for (auto& [category, events] : kept)
        std::erase_if(events, [&](const TeslaClipEvent& e) {
            const bool lost = onDrive(e.folderURL);
            if (lost)
                gone.insert(e.id);
            return lost;
        });
    setDeleteSelectedEventIDs(deleteSelectedEventIDs_ - gone);
    if (importedFolders_.isEmpty()) {
        setDeleteSelectionMode(false);
        setEventsByCategory({});
        setSelectedCategory(std::nullopt);
        setImportMode(ImportMode::none);
        messages_.setStatus(LibraryRules::startMessage);
    } else {
        setEventsByCategory(std::move(kept));
        messages_.setStatus(LibraryRules::scannedStatus(eventsByCategory_));
    }
    emit eventsRemoved(gone);
    return int(gone.size());
}

// --- Category ---

void LibraryViewModel::selectCategory(const QString& category) {
    if (const auto parsed = Category::fromRawValue(category))
        selectCategory(*parsed);
}

void LibraryViewModel::selectCategory(ClipCategory category) {
    cancelDeleteSelection();
    emit categoryChosen(category);
    setSelectedCategory(category);
}

void LibraryViewModel::showCategory(ClipCategory category) {
    setSelectedCategory(category);
}

QString LibraryViewModel::categoryDisplayName(const QString& category) const {
    const auto parsed = Category::fromRawValue(category);
    return parsed ? Category::displayName(*parsed) : QString();
}

// --- Finding an event ---

void LibraryViewModel::setReasonFilter(const QString& key) {
    if (key == reasonFilter_)
        return;
    reasonFilter_ = key;
    emit reasonFilterChanged();
    filterEvents();
    refresh(); // which drops the events now hidden from the deletion selection
}

int LibraryViewModel::rowOfDay(int year, int month, int day) const {
    const auto nearest = calendar_->nearestDay(QDate(year, month, day));
    return nearest ? rowsModel_->firstRowOf(*nearest) : -1;
}

QString LibraryViewModel::reasonFilterTitle() const {
    return ReasonFilter::title(reasonFilter_);
}

// --- Deletion ---

void LibraryViewModel::startDeleteSelection() {
    emit deleteSelectionStarted();
    setDeleteSelectionMode(true);
    setDeleteSelectedEventIDs({});
}

void LibraryViewModel::cancelDeleteSelection() {
    setDeleteSelectionMode(false);
    setDeleteSelectedEventIDs({});
}

void LibraryViewModel::toggleDeleteEvent(const QString& eventID) {
    const QUuid id(eventID);
    const auto& events = shownEvents();
    if (std::none_of(events.begin(), events.end(), [&](const TeslaClipEvent& e) { return e.id == id; }))
        return;
    QSet<QUuid> ids = deleteSelectedEventIDs_;
    if (!ids.remove(id))
        ids.insert(id);
    setDeleteSelectedEventIDs(std::move(ids));
}

void LibraryViewModel::toggleSelectAllEventsForDeletion() {
    setDeleteSelectedEventIDs(LibraryRules::toggledSelectAll(shownEvents(), deleteSelectedEventIDs_));
}

void LibraryViewModel::deleteSelectedEvents() {
    if (isDeletingEvents_)
        return;
    std::vector<TeslaClipEvent> events;
    for (const TeslaClipEvent& e : shownEvents()) // never one the filters hide
        if (deleteSelectedEventIDs_.contains(e.id))
            events.push_back(e);
    if (events.empty())
        return;
    setDeletingEvents(true);
    messages_.setError(std::nullopt);
    deletion_.run(
        AppPools::files(), this,
        [move = services_.moveToTrash, events] { return attempt([&] { return move(events); }); },
        [this, selection = deleteSelectedEventIDs_, category = events.front().category,
         count = int(events.size())](const Attempt<int>& moved) {
            if (moved.value) {
                removeDeletedEvents(selection, category);
                messages_.setStatus(LibraryRules::deletedStatus(count, *moved.value));
            } else {
                // Files already moved stay in the Trash; the message asks for a re-import.
                messages_.setError(moved.error);
            }
            setDeletingEvents(false);
        });
}

void LibraryViewModel::removeDeletedEvents(const QSet<QUuid>& ids, ClipCategory category) {
    if (eventsByCategory_.contains(category)) {
        EventsByCategory next = eventsByCategory_;
        std::erase_if(next[category], [&](const TeslaClipEvent& e) { return ids.contains(e.id); });
        setEventsByCategory(std::move(next));
    }
    setDeleteSelectedEventIDs({});
    setDeleteSelectionMode(false);
    emit eventsRemoved(ids);
}

// --- Marks ---

QString LibraryViewModel::wantHardBrakeCount(const QString& eventID) {
    const QUuid id(eventID);
    for (const TeslaClipEvent& e : shownEvents())
        if (e.id == id) {
            hardBrakeCounts_->want(e, marks_.isUnlocked(e));
            return HardBrakeCounts::keyOf(e, marks_.isUnlocked(e));
        }
    return {};
}

void LibraryViewModel::releaseHardBrakeCount(const QString& key) {
    hardBrakeCounts_->release(key);
}

// --- Reads ---

const std::vector<TeslaClipEvent>& LibraryViewModel::eventsInSelectedCategoryList() const {
    static const std::vector<TeslaClipEvent> none;
    if (!selectedCategory_)
        return none;
    const auto found = eventsByCategory_.find(*selectedCategory_);
    return found == eventsByCategory_.end() ? none : found->second;
}

const std::vector<TeslaClipEvent>& LibraryViewModel::keptByReason() const {
    return reasonFilter_.isEmpty() ? eventsInSelectedCategoryList() : filteredEvents_;
}

std::optional<TeslaClipEvent> LibraryViewModel::findEvent(const QUuid& id) const {
    for (const auto& [category, events] : eventsByCategory_)
        for (const TeslaClipEvent& e : events)
            if (e.id == id)
                return e;
    return std::nullopt;
}

void LibraryViewModel::setOtherMarks(std::vector<QUuid> mergeSelected, std::optional<QUuid> open) {
    marks_.mergeSelected = std::move(mergeSelected);
    marks_.open = open;
    refresh();
}

void LibraryViewModel::filesUnlocked(const QStringList& files) {
    for (const QString& file : files)
        marks_.unlockedFolders.insert(QFileInfo(file).path());
    refresh();
}

// --- Field writes ---

void LibraryViewModel::setImportMode(ImportMode mode) {
    if (importMode_ == mode)
        return;
    importMode_ = mode;
    emit importModeChanged();
    refresh();
}

void LibraryViewModel::setImporting(bool value) {
    assignAndNotify(isImporting_, value, this, &LibraryViewModel::isImportingChanged);
}

void LibraryViewModel::setEventsByCategory(EventsByCategory events) {
    eventsByCategory_ = std::move(events);
    emit eventsByCategoryChanged(); // a new scan is new content even when it reads the same
    filterEvents();
    refresh();
}

void LibraryViewModel::setSelectedCategory(std::optional<ClipCategory> category) {
    if (selectedCategory_ == category)
        return;
    selectedCategory_ = category;
    emit selectedCategoryChanged();
    filterEvents();
    refresh();
}

void LibraryViewModel::setDeleteSelectionMode(bool value) {
    assignAndNotify(isDeleteSelectionMode_, value, this, &LibraryViewModel::isDeleteSelectionModeChanged);
}

void LibraryViewModel::setDeleteSelectedEventIDs(QSet<QUuid> ids) {
    if (deleteSelectedEventIDs_ == ids)
        return;
    deleteSelectedEventIDs_ = std::move(ids);
    emit deleteSelectionChanged();
    refresh();
}

void LibraryViewModel::setDeletingEvents(bool value) {
    assignAndNotify(isDeletingEvents_, value, this, &LibraryViewModel::isDeletingEventsChanged);
}

void LibraryViewModel::filterEvents() {
    const std::vector<TeslaClipEvent>& category = eventsInSelectedCategoryList();
    reasonChoices_->setChoices(ReasonFilter::choices(category, reasonFilter_));
    filteredEvents_ = reasonFilter_.isEmpty() ? std::vector<TeslaClipEvent>()
                                              : ReasonFilter::matching(category, reasonFilter_);
}

// Events the filters hide leave the deletion selection: nothing is deleted unseen.
void LibraryViewModel::keepDeleteSelectionShown() {
    if (deleteSelectedEventIDs_.isEmpty())
        return;
    QSet<QUuid> shown;
    for (const TeslaClipEvent& e : shownEvents())
        shown.insert(e.id);
    setDeleteSelectedEventIDs(deleteSelectedEventIDs_ & shown);
}

void LibraryViewModel::refresh() {
    QStringList available;
    for (ClipCategory c : LibraryRules::availableCategories(importMode_, eventsByCategory_))
        available << Category::rawValue(c);
    assignAndNotify(availableCategories_, available, this, &LibraryViewModel::availableCategoriesChanged);

    const std::vector<TeslaClipEvent>& byReason = keptByReason();
    assignAndNotify(reasonFilterHidesAll_, byReason.empty() && !eventsInSelectedCategoryList().empty(), this,
                    &LibraryViewModel::reasonFilterHidesAllChanged);
    // The hard-brake search reads only what the reason filter keeps: the marks can show no other.
    marksFilter_->setCandidates(byReason, marks_);
    const std::vector<TeslaClipEvent> events = marksFilter_->shown();
    if (!sameEvents(events, eventsModel_->events())) {
        eventsModel_->setEvents(events);
        std::vector<DatedEventSection> days = DatedEventSection::sections(events);
        calendar_->setSections(days);
        rowsModel_->setSections(std::move(days));
        keepDeleteSelectionShown();
    }
    // The events shown change the answer as much as the selection does.
    const bool allSelected = LibraryRules::toggledSelectAll(events, deleteSelectedEventIDs_).isEmpty();
    assignAndNotify(allEventsSelected_, allSelected, this, &LibraryViewModel::deleteSelectionChanged);
    marks_.deleteSelected = deleteSelectedEventIDs_;
    eventsModel_->setMarks(marks_);
    rowsModel_->setMarks(marks_);
}

} // namespace orvane
