#include "MergeItemListModel.h"

#include <QVariantList>
#include <QVariantMap>

namespace orvane {

namespace {
QString idText(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces);
}

bool sameOrder(const std::vector<VideoMergeItem>& a, const std::vector<VideoMergeItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const VideoMergeItem& x, const VideoMergeItem& y) { return x.id == y.id; });
}
} // namespace

MergeItemListModel::MergeItemListModel(QObject* parent) : QAbstractListModel(parent) {}

int MergeItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant MergeItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const VideoMergeItem& item = items_[size_t(index.row())];
    switch (role) {
    case ItemIDRole:
        return idText(item.id);
    case EventIDRole:
        return idText(item.event.id);
    case NumberRole:
        return index.row() + 1;
    case EventTitleRole:
        return item.event.timeRangeTitle();
    case EventStartTimeRole:
        return item.event.startTime;
    case ItemStartTimeRole:
        return item.videos.empty() ? item.event.startTime : item.videos.front().startTime;
    case FolderNameRole:
        return item.event.folderName;
    case LocationLineRole:
        return item.event.locationLine.value_or(QString());
    case RangeStartRole:
        return item.rangeStart;
    case RangeEndRole:
        return item.rangeEnd;
    case TotalDurationRole:
        return item.totalDuration();
    case KeptDurationRole:
        return item.keptDuration();
    case FileCountRole:
        return int(item.videos.size());
    case FirstFileURLRole:
        return item.videos.empty() ? QString() : item.videos.front().url;
    case FileURLsRole: {
        QStringList urls;
        for (const TeslaVideoFile& v : item.videos)
            urls << v.url;
        return urls;
    }
    case StepDurationsRole: {
        QVariantList durations;
        for (double d : item.stepDurations)
            durations << d;
        return durations;
    }
    case IsFirstRole:
        return index.row() == 0;
    case IsLastRole:
        return index.row() == count() - 1;
    default:
        return {};
    }
}

QHash<int, QByteArray> MergeItemListModel::roleNames() const {
    return {{ItemIDRole, "itemID"},
            {EventIDRole, "eventID"},
            {NumberRole, "number"},
            {EventTitleRole, "eventTitle"},
            {EventStartTimeRole, "eventStartTime"},
            {ItemStartTimeRole, "itemStartTime"},
            {FolderNameRole, "folderName"},
            {LocationLineRole, "locationLine"},
            {RangeStartRole, "rangeStart"},
            {RangeEndRole, "rangeEnd"},
            {TotalDurationRole, "totalDuration"},
            {KeptDurationRole, "keptDuration"},
            {FileCountRole, "fileCount"},
            {FirstFileURLRole, "firstFileURL"},
            {FileURLsRole, "fileURLs"},
            {StepDurationsRole, "stepDurations"},
            {IsFirstRole, "isFirst"},
            {IsLastRole, "isLast"}};
}

void MergeItemListModel::setItems(const std::vector<VideoMergeItem>& items) {
    if (!sameOrder(items, items_)) {
        const int before = count();
        beginResetModel();
        items_ = items;
        endResetModel();
        if (count() != before)
            emit countChanged();
        return;
    }
    for (size_t row = 0; row < items.size(); ++row) {
        VideoMergeItem& current = items_[row];
        const VideoMergeItem& next = items[row];
        const bool sameFiles =
            std::equal(current.videos.begin(), current.videos.end(), next.videos.begin(), next.videos.end(),
                       [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.id == b.id; });
        if (sameFiles && current.rangeStart == next.rangeStart && current.rangeEnd == next.rangeEnd &&
            current.stepDurations == next.stepDurations)
            continue;
        current = next;
        const QModelIndex at = index(int(row));
        emit dataChanged(at, at);
    }
}

int MergeItemListModel::indexOf(const QString& itemID) const {
    const QUuid id(itemID);
    for (int row = 0; row < count(); ++row)
        if (items_[size_t(row)].id == id)
            return row;
    return -1;
}

} // namespace orvane
