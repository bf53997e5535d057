#pragma once
// The imported drive as the browser shows it: importing folders, the events by category, the
// category chosen, finding an event (by reason, by day), and choosing events to move to the Trash.
// Interface thread only; scans and trash moves run on the application's file pool and come back
// here.

#include "ChoiceListModel.h"
#include "EventListModel.h"
#include "FootageCalendar.h"
#include "HardBrakeCounts.h"
#include "LatestRequest.h"
#include "LibraryRules.h"
#include "LibraryServices.h"
#include "MarksFilter.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

namespace orvane {

class AppMessages;

class LibraryViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns the library")
    // A drive is imported (the browser shows instead of the first-run hint).
    Q_PROPERTY(bool hasImported READ hasImported NOTIFY importModeChanged)
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY isImportingChanged)
    Q_PROPERTY(orvane::EventListModel* eventsInSelectedCategory READ eventsInSelectedCategory CONSTANT)
    Q_PROPERTY(orvane::DatedEventRowModel* datedEventRows READ datedEventRows CONSTANT)
    Q_PROPERTY(int deleteSelectedCount READ deleteSelectedCount NOTIFY deleteSelectionChanged)
    Q_PROPERTY(
        bool allEventsSelectedForDeletion READ allEventsSelectedForDeletion NOTIFY deleteSelectionChanged)
    Q_PROPERTY(bool isDeletingEvents READ isDeletingEvents NOTIFY isDeletingEventsChanged)
    // The days of the events shown, for the jump-to-day calendar.
    Q_PROPERTY(orvane::FootageCalendar* footageCalendar READ footageCalendar CONSTANT)
    // The reason filter: its key ("" for every reason), its title, the menu's choices with counts,
    // and whether it hides every event of a category that has some.
    Q_PROPERTY(QString reasonFilter READ reasonFilter NOTIFY reasonFilterChanged)
    Q_PROPERTY(QString reasonFilterTitle READ reasonFilterTitle NOTIFY reasonFilterChanged)
    Q_PROPERTY(orvane::ChoiceListModel* reasonChoices READ reasonChoices CONSTANT)
    Q_PROPERTY(bool reasonFilterHidesAll READ reasonFilterHidesAll NOTIFY reasonFilterHidesAllChanged)
    // The filter by marks (hard brakes, encrypted), applied to what the reason filter keeps.
    Q_PROPERTY(orvane::MarksFilter* marksFilter READ marksFilter CONSTANT)

public:
    LibraryViewModel(const LibraryServices& services, AppMessages& messages, QObject* parent = nullptr);

    // --- Import ---
    // The folders (or files) the folder chooser returned, or that were dropped on the window.
    Q_INVOKABLE void importTeslaCamFolders(const QList<QUrl>& urls);
    void importTeslaCamPaths(const QStringList& paths);

    // The drive mounted at `mountPoint` is gone: the events of the folders on it leave the library
    // (see eventsRemoved); without a folder left nothing is imported. Returns how many left.
    int forgetDrive(const QString& mountPoint);

    // --- Category ---
    Q_INVOKABLE void selectCategory(const QString& category);
    // Leaves both selection modes and closes the open event (see categoryChosen).
    void selectCategory(ClipCategory category);
    // Shows `category` in the picker without leaving anything (the category of an event opened).
    void showCategory(ClipCategory category);
    Q_INVOKABLE QString categoryDisplayName(const QString& category) const;

    // --- Finding an event ---
    // Shows only the events saved for that reason (a ReasonFilter key; "" shows all). The deletion
    // selection keeps only events still shown, so nothing hidden is moved to the Trash.
    Q_INVOKABLE void setReasonFilter(const QString& key);
    // The first of the browser's rows of that day (month 1–12), or of the nearest day with
    // footage shown; -1 without rows.
    Q_INVOKABLE int rowOfDay(int year, int month, int day) const;

    // --- Deletion ---
    // "批量删除": starts an empty deletion selection (the merge selection ends: see
    // deleteSelectionStarted).
    Q_INVOKABLE void startDeleteSelection();
    Q_INVOKABLE void cancelDeleteSelection();
    void toggleDeleteEvent(const QString& eventID);
    Q_INVOKABLE void toggleSelectAllEventsForDeletion();
    Q_INVOKABLE void deleteSelectedEvents();

    // --- Marks ---
    // A card of the event is shown and wants its hard-brake count: returns the key to release
    // when the card goes (empty when nothing is read for it).
    Q_INVOKABLE QString wantHardBrakeCount(const QString& eventID);
    Q_INVOKABLE void releaseHardBrakeCount(const QString& key);
    MarksFilter* marksFilter() const { return marksFilter_; }
    HardBrakeCounts& hardBrakeCounts() const { return *hardBrakeCounts_; }

    // --- Reads ---
    QString importMode() const { return LibraryRules::rawValue(importMode_); }
    bool hasImported() const { return importMode_ != ImportMode::none; }
    bool isImporting() const { return isImporting_; }
    EventListModel* eventsInSelectedCategory() const { return eventsModel_; }
    DatedEventRowModel* datedEventRows() const { return rowsModel_; }
    const EventsByCategory& eventsByCategory() const { return eventsByCategory_; }
    std::optional<ClipCategory> selectedCategory() const { return selectedCategory_; }
    // The raw values of the categories the picker offers.
    QStringList availableCategories() const { return availableCategories_; }
    const std::vector<TeslaClipEvent>& eventsInSelectedCategoryList() const;
    // The events of the selected category that both the reason filter and the marks filter keep:
    // the cards shown.
    const std::vector<TeslaClipEvent>& shownEvents() const { return eventsModel_->events(); }
    FootageCalendar* footageCalendar() const { return calendar_; }
    QString reasonFilter() const { return reasonFilter_; }
    QString reasonFilterTitle() const;
    ChoiceListModel* reasonChoices() const { return reasonChoices_; }
    bool reasonFilterHidesAll() const { return reasonFilterHidesAll_; }
    // An event of any category, by id.
    std::optional<TeslaClipEvent> findEvent(const QUuid& id) const;
    bool isDeleteSelectionMode() const { return isDeleteSelectionMode_; }
    const QSet<QUuid>& deleteSelectedEventIDs() const { return deleteSelectedEventIDs_; }
    int deleteSelectedCount() const { return int(deleteSelectedEventIDs_.size()); }
    bool allEventsSelectedForDeletion() const { return allEventsSelected_; }
    bool isDeletingEvents() const { return isDeletingEvents_; }
    // The folders of the library shown (the drives opened), empty before an import.
    const QStringList& importedFolders() const { return importedFolders_; }

    // What the cards mark besides the deletion selection: the merge pick order and the event open.
    void setOtherMarks(std::vector<QUuid> mergeSelected, std::optional<QUuid> open);
    // Keys arrived for these files: their events' cards show their pictures.
    void filesUnlocked(const QStringList& files);

signals:
    void importModeChanged();
    void isImportingChanged();
    void eventsByCategoryChanged();
    void availableCategoriesChanged();
    void selectedCategoryChanged();
    void isDeleteSelectionModeChanged();
    void deleteSelectionChanged();
    void isDeletingEventsChanged();
    void reasonFilterChanged();
    void reasonFilterHidesAllChanged();
    // For the other features, which the root view model connects:
    void importStarted();
    // A scan replaced the library (nothing open stays open).
    void libraryReplaced();
    // The user chose a category in the picker.
    void categoryChosen(orvane::ClipCategory category);
    void deleteSelectionStarted();
    // These events left the library: their files went to the Trash, or their drive was removed.
    void eventsRemoved(const QSet<QUuid>& ids);

private:
    struct ImportWork;

    void applyImport(const ImportWork& work);
    void setImportMode(ImportMode mode);
    void setImporting(bool value);
    void setEventsByCategory(EventsByCategory events);
    void setSelectedCategory(std::optional<ClipCategory> category);
    void setDeleteSelectionMode(bool value);
    void setDeleteSelectedEventIDs(QSet<QUuid> ids);
    void setDeletingEvents(bool value);
    void removeDeletedEvents(const QSet<QUuid>& ids, ClipCategory category);
    // The reason menu and the events the reason filter keeps, for the category's events now.
    void filterEvents();
    // The category's events the reason filter keeps (all of them without a reason chosen).
    const std::vector<TeslaClipEvent>& keptByReason() const;
    // Brings the picker's categories and the cards up to date; publishes only real changes. The
    // one place the filters combine: the reason filter, then the marks filter over what it keeps.
    void refresh();
    void keepDeleteSelectionShown();

    LibraryServices services_;
    AppMessages& messages_;
    LatestRequest import_;
    ImportMode importMode_ = ImportMode::none;
    QStringList importedFolders_;
    bool isImporting_ = false;
    EventsByCategory eventsByCategory_;
    std::optional<ClipCategory> selectedCategory_;
    QStringList availableCategories_;
    bool isDeleteSelectionMode_ = false;
    QSet<QUuid> deleteSelectedEventIDs_;
    bool allEventsSelected_ = false; // "取消全选" instead of "全选"
    bool isDeletingEvents_ = false;
    LatestRequest deletion_;
    EventMarks marks_;
    EventListModel* eventsModel_;
    DatedEventRowModel* rowsModel_;
    FootageCalendar* calendar_;
    QString reasonFilter_;
    std::vector<TeslaClipEvent> filteredEvents_; // with a reason chosen
    ChoiceListModel* reasonChoices_;
    bool reasonFilterHidesAll_ = false;
    HardBrakeCounts* hardBrakeCounts_;
    MarksFilter* marksFilter_;
};

} // namespace orvane
