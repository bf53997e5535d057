#include "VideoGroupListModel.h"

namespace orvane {

namespace {
bool sameGroups(const std::vector<VideoTimestampGroup>& a, const std::vector<VideoTimestampGroup>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(),
        [](const VideoTimestampGroup& x, const VideoTimestampGroup& y) {
            return x.id == y.id && x.videos.size() == y.videos.size() &&
                   std::equal(x.videos.begin(), x.videos.end(), y.videos.begin(),
                              [](const TeslaVideoFile& v, const TeslaVideoFile& w) { return v.id == w.id; });
        });
}
} // namespace

VideoGroupListModel::VideoGroupListModel(QObject* parent) : QAbstractListModel(parent) {}

int VideoGroupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant VideoGroupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const VideoTimestampGroup& g = groups_[size_t(index.row())];
    switch (role) {
    case GroupKeyRole:
        return g.id;
    case StartTimeRole:
        return g.startTime;
    case TimeTitleRole:
        return LocalTime::format(g.startTime, QStringLiteral("HH:mm:ss"));
    case FileCountRole:
        return int(g.videos.size());
    case CamerasRole: {
        QStringList cameras;
        for (CameraAngle camera : Camera::physicalCases)
            if (std::any_of(g.videos.begin(), g.videos.end(),
                            [&](const TeslaVideoFile& v) { return v.cameraAngle == camera; }))
                cameras << Camera::rawValue(camera);
        return cameras;
    }
    case IsCurrentRole:
        return g.id == currentKey_;
    case IsMergeSelectedRole:
        return mergeSelected_.contains(g.id);
    case MergeOrderRole:
        return int(mergeSelected_.indexOf(g.id)) + 1;
    case NoteRole:
        return notes_.value(g.id);
    default:
        return {};
    }
}

QHash<int, QByteArray> VideoGroupListModel::roleNames() const {
    return {{GroupKeyRole, "groupKey"},
            {StartTimeRole, "startTime"},
            {TimeTitleRole, "timeTitle"},
            {FileCountRole, "fileCount"},
            {CamerasRole, "cameras"},
            {IsCurrentRole, "isCurrent"},
            {IsMergeSelectedRole, "isMergeSelected"},
            {MergeOrderRole, "mergeOrder"},
            {NoteRole, "note"}};
}

void VideoGroupListModel::setGroups(std::vector<VideoTimestampGroup> groups) {
    if (sameGroups(groups, groups_))
        return;
    const int before = count();
    beginResetModel();
    groups_ = std::move(groups);
    endResetModel();
    if (count() != before)
        emit countChanged();
}

void VideoGroupListModel::setMarks(const QString& currentKey, const QStringList& mergeSelected) {
    if (currentKey == currentKey_ && mergeSelected == mergeSelected_)
        return;
    const QString previousKey = std::exchange(currentKey_, currentKey);
    const QStringList previousPicks = std::exchange(mergeSelected_, mergeSelected);
    for (int row = 0; row < count(); ++row) {
        const QString& key = groups_[size_t(row)].id;
        if ((key == previousKey) != (key == currentKey_) ||
            previousPicks.indexOf(key) != mergeSelected_.indexOf(key))
            emit dataChanged(index(row), index(row), {IsCurrentRole, IsMergeSelectedRole, MergeOrderRole});
    }
}

void VideoGroupListModel::setNotes(const QHash<QString, QString>& notes) {
    if (notes == notes_)
        return;
    notes_ = notes;
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1), {NoteRole});
}

int VideoGroupListModel::indexOf(const QString& groupKey) const {
    for (int row = 0; row < count(); ++row)
        if (groups_[size_t(row)].id == groupKey)
            return row;
    return -1;
}

} // namespace orvane
