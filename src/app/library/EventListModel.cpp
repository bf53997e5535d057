#include "EventListModel.h"

#include "EventThumbnailSource.h"
#include "HardBrakeCounts.h"

#include <QDateTime>
#include <cmath>

namespace orvane {

namespace {
QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

int mergeOrder(const EventMarks& marks, const QUuid& id) {
    const auto found = std::find(marks.mergeSelected.begin(), marks.mergeSelected.end(), id);
    return found == marks.mergeSelected.end() ? 0 : int(found - marks.mergeSelected.begin()) + 1;
}

bool marksDiffer(const EventMarks& a, const EventMarks& b, const QUuid& id) {
    return a.deleteSelected.contains(id) != b.deleteSelected.contains(id) ||
           mergeOrder(a, id) != mergeOrder(b, id) || (a.open == id) != (b.open == id);
}
bool isUnlocked(const EventMarks& marks, const TeslaClipEvent& e) {
    return marks.isUnlocked(e);
}
} // namespace

bool sameEvents(const std::vector<TeslaClipEvent>& a, const std::vector<TeslaClipEvent>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const TeslaClipEvent& x, const TeslaClipEvent& y) { return x.id == y.id; });
}

EventListModel::EventListModel(QObject* parent) : QAbstractListModel(parent) {}

int EventListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant EventListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const size_t row = size_t(index.row());
    const TeslaClipEvent& e = events_[row];
    switch (role) {
    case EventIDRole:
        return idText(e.id);
    case FolderNameRole:
        return e.folderName;
    case FolderURLRole:
        return e.folderURL;
    case SourceFileURLRole:
        return e.sourceFileURL.value_or(QString());
    case CategoryRole:
        return Category::rawValue(e.category);
    case StartTimeRole:
        return e.startTime;
    case EndTimeRole:
        return e.endTime.value_or(NAN);
    case TimeRangeTitleRole:
        return e.timeRangeTitle();
    case LocationLineRole:
        return e.locationLine.value_or(QString());
    case VideoCountRole:
        return e.videoCount;
    case IsContinuousSessionRole:
        return e.isContinuousSession;
    case IsDeleteSelectedRole:
        return marks_.deleteSelected.contains(e.id);
    case IsMergeSelectedRole:
        return mergeOrder(marks_, e.id) > 0;
    case MergeOrderRole:
        return mergeOrder(marks_, e.id);
    case IsOpenRole:
        return marks_.open == e.id;
    case SectionTitleRole:
        return sectionTitles_[row];
    case SectionDateRole:
        return sectionDates_[row];
    case ThumbnailSourceRole:
        return EventThumbnailSource::url(e, isUnlocked(marks_, e));
    case IsEncryptedRole:
        return e.isEncrypted;
    case IsUnlockedRole:
        return isUnlocked(marks_, e);
    case ReasonTextRole:
        return e.metadata ? e.metadata->reasonText().value_or(QString()) : QString();
    case HardBrakeCountRole:
        return counts_ ? counts_->count(HardBrakeCounts::keyOf(e, isUnlocked(marks_, e))).value_or(-1) : -1;
    default:
        return {};
    }
}

QHash<int, QByteArray> EventListModel::roleNames() const {
    return {{EventIDRole, "eventID"},
            {FolderNameRole, "folderName"},
            {FolderURLRole, "folderURL"},
            {SourceFileURLRole, "sourceFileURL"},
            {CategoryRole, "category"},
            {StartTimeRole, "startTime"},
            {EndTimeRole, "endTime"},
            {TimeRangeTitleRole, "timeRangeTitle"},
            {LocationLineRole, "locationLine"},
            {VideoCountRole, "videoCount"},
            {IsContinuousSessionRole, "isContinuousSession"},
            {IsDeleteSelectedRole, "isDeleteSelected"},
            {IsMergeSelectedRole, "isMergeSelected"},
            {MergeOrderRole, "mergeOrder"},
            {IsOpenRole, "isOpen"},
            {SectionTitleRole, "sectionTitle"},
            {SectionDateRole, "sectionDate"},
            {ThumbnailSourceRole, "thumbnailSource"},
            {IsEncryptedRole, "isEncrypted"},
            {IsUnlockedRole, "isUnlocked"},
            {ReasonTextRole, "reasonText"},
            {HardBrakeCountRole, "hardBrakeCount"}};
}

void EventListModel::setEvents(const std::vector<TeslaClipEvent>& events) {
    if (sameEvents(events, events_))
        return;
    const int before = count();
    beginResetModel();
    events_ = events;
    sectionTitles_.assign(events_.size(), QString());
    sectionDates_.assign(events_.size(), 0.0);
    // Day titles for ListView sections; the events keep their own (latest first) order.
    QHash<QUuid, size_t> rowOfEvent;
    for (size_t i = 0; i < events_.size(); ++i)
        rowOfEvent.insert(events_[i].id, i);
    for (const DatedEventSection& section : DatedEventSection::sections(events_))
        for (const TeslaClipEvent& e : section.events) {
            const size_t row = rowOfEvent.value(e.id);
            sectionTitles_[row] = section.title;
            sectionDates_[row] = section.date;
        }
    endResetModel();
    if (count() != before)
        emit countChanged();
}

void EventListModel::setMarks(const EventMarks& marks) {
    if (marks == marks_)
        return;
    const EventMarks previous = std::exchange(marks_, marks);
    for (int row = 0; row < count(); ++row)
        if (const TeslaClipEvent& e = events_[size_t(row)];
            marksDiffer(previous, marks_, e.id) || isUnlocked(previous, e) != isUnlocked(marks_, e))
            emit dataChanged(index(row), index(row),
                             {IsDeleteSelectedRole, IsMergeSelectedRole, MergeOrderRole, IsOpenRole,
                              IsUnlockedRole, ThumbnailSourceRole, HardBrakeCountRole});
}

void EventListModel::setHardBrakeCounts(HardBrakeCounts* counts) {
    if (counts_)
        disconnect(counts_, nullptr, this, nullptr);
    counts_ = counts;
    if (counts)
        connect(counts, &HardBrakeCounts::countsSettled, this, [this](const QSet<QString>& keys) {
            for (int row = 0; row < count(); ++row)
                if (const TeslaClipEvent& e = events_[size_t(row)];
                    keys.contains(HardBrakeCounts::keyOf(e, isUnlocked(marks_, e))))
                    emit dataChanged(index(row), index(row), {HardBrakeCountRole});
        });
}

int EventListModel::indexOf(const QString& eventID) const {
    const QUuid id(eventID);
    for (int row = 0; row < count(); ++row)
        if (events_[size_t(row)].id == id)
            return row;
    return -1;
}

DatedEventRowModel::DatedEventRowModel(QObject* parent) : QAbstractListModel(parent) {}
DatedEventRowModel::~DatedEventRowModel() = default;

int DatedEventRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant DatedEventRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const Row& row = rows_[size_t(index.row())];
    const DatedEventSection& day = sections_[row.section];
    switch (role) {
    case StartsDayRole:
        return row.startsDay;
    case DayTitleRole:
        return day.title;
    case DayEventCountRole:
        return int(day.events.size());
    case EventsRole:
        return QVariant::fromValue(row.events);
    default:
        return {};
    }
}

QHash<int, QByteArray> DatedEventRowModel::roleNames() const {
    return {{StartsDayRole, "startsDay"},
            {DayTitleRole, "dayTitle"},
            {DayEventCountRole, "dayEventCount"},
            {EventsRole, "events"}};
}

void DatedEventRowModel::setColumns(int columns) {
    columns = std::max(0, columns);
    if (columns == columns_)
        return;
    columns_ = columns;
    layOut();
    emit columnsChanged();
}

void DatedEventRowModel::setSections(std::vector<DatedEventSection> sections) {
    sections_ = std::move(sections);
    layOut();
}

void DatedEventRowModel::layOut() {
    const int before = count();
    beginResetModel();
    std::vector<Row> old = std::exchange(rows_, {});
    const size_t perRow = size_t(columns_);
    for (size_t s = 0; perRow > 0 && s < sections_.size(); ++s) {
        const std::vector<TeslaClipEvent>& events = sections_[s].events;
        for (size_t first = 0; first < events.size(); first += perRow) {
            auto* model = new EventListModel(this);
            const auto end = events.begin() + ptrdiff_t(std::min(first + perRow, events.size()));
            model->setEvents({events.begin() + ptrdiff_t(first), end});
            model->setMarks(marks_);
            model->setHardBrakeCounts(counts_);
            rows_.push_back({s, first == 0, model});
        }
    }
    endResetModel();
    for (const Row& row : old)
        row.events->deleteLater();
    if (count() != before)
        emit countChanged();
}

int DatedEventRowModel::firstRowOf(QDate day) const {
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) {
        return row.startsDay && sections_[row.section].day == day;
    });
    return found == rows_.end() ? -1 : int(found - rows_.begin());
}

void DatedEventRowModel::setHardBrakeCounts(HardBrakeCounts* counts) {
    counts_ = counts;
    for (const Row& row : rows_)
        row.events->setHardBrakeCounts(counts);
}

void DatedEventRowModel::setMarks(const EventMarks& marks) {
    marks_ = marks;
    for (const Row& row : rows_)
        row.events->setMarks(marks);
}

} // namespace orvane
