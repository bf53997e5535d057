#include "ExportCaptureList.h"

#include "ExportCaptureImages.h"
#include "PlaybackTimeFormat.h"

namespace orvane {

ExportCaptureList::ExportCaptureList(QObject* parent) : QAbstractListModel(parent) {}

ExportCaptureList::~ExportCaptureList() {
    for (const ExportedFrameCapture& c : captures_)
        ExportCaptureImages::remove(c.id);
}

int ExportCaptureList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ExportCaptureList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= count())
        return {};
    const ExportedFrameCapture& c = captures_[size_t(index.row())];
    switch (role) {
    case captureIdRole:
        return c.id.toString(QUuid::WithoutBraces);
    case timeRole:
        return c.time;
    case timeTextRole:
        return PlaybackTimeFormat::format(c.time);
    case thumbnailSourceRole:
        return ExportCaptureImages::source(c.id);
    default:
        return {};
    }
}

QHash<int, QByteArray> ExportCaptureList::roleNames() const {
    return {{captureIdRole, "captureId"},
            {timeRole, "time"},
            {timeTextRole, "timeText"},
            {thumbnailSourceRole, "thumbnailSource"}};
}

void ExportCaptureList::append(const ExportedFrameCapture& capture, const QImage& thumbnail) {
    ExportCaptureImages::put(capture.id, thumbnail);
    beginInsertRows({}, count(), count());
    captures_.push_back(capture);
    endInsertRows();
    emit countChanged();
}

bool ExportCaptureList::removeAt(int row) {
    if (row < 0 || row >= count())
        return false;
    beginRemoveRows({}, row, row);
    ExportCaptureImages::remove(captures_[size_t(row)].id);
    captures_.erase(captures_.begin() + row);
    endRemoveRows();
    emit countChanged();
    return true;
}

void ExportCaptureList::clear() {
    if (captures_.empty())
        return;
    beginResetModel();
    for (const ExportedFrameCapture& c : captures_)
        ExportCaptureImages::remove(c.id);
    captures_.clear();
    endResetModel();
    emit countChanged();
}

} // namespace orvane
