#include "GridCellModel.h"

#include <algorithm>

namespace orvane {

GridCellModel::GridCellModel(int capacity, QObject* parent)
    : QAbstractListModel(parent), cells_(size_t(std::max(capacity, 0))) {}

void GridCellModel::setCells(std::vector<GridCell> cells) {
    const int used = std::min(int(cells.size()), int(cells_.size()));
    cells.resize(cells_.size());
    for (int row = 0; row < int(cells_.size()); ++row) {
        if (cells[size_t(row)] == cells_[size_t(row)])
            continue;
        cells_[size_t(row)] = std::move(cells[size_t(row)]);
        emit dataChanged(index(row), index(row));
    }
    if (used != usedCount_) {
        const int first = std::min(used, usedCount_), last = std::max(used, usedCount_) - 1;
        usedCount_ = used;
        emit dataChanged(index(first), index(last), {InUseRole});
        emit usedCountChanged();
    }
}

int GridCellModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(cells_.size());
}

QVariant GridCellModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const GridCell& cell = cells_[size_t(index.row())];
    switch (role) {
    case CameraRole:
        return cell.camera;
    case TitleRole:
        return cell.title;
    case HasVideoRole:
        return cell.hasVideo;
    case NoteRole:
        return cell.note;
    case NoteIconRole:
        return cell.noteIcon;
    case ProblemRole:
        return cell.problem;
    case ProblemDetailRole:
        return cell.problemDetail;
    case UnreadableRole:
        return cell.unreadable;
    case InUseRole:
        return index.row() < usedCount_;
    default:
        return {};
    }
}

QHash<int, QByteArray> GridCellModel::roleNames() const {
    return {{CameraRole, "camera"},
            {TitleRole, "title"},
            {HasVideoRole, "hasVideo"},
            {NoteRole, "note"},
            {NoteIconRole, "noteIcon"},
            {ProblemRole, "problem"},
            {ProblemDetailRole, "problemDetail"},
            {UnreadableRole, "unreadable"},
            {InUseRole, "inUse"}};
}

} // namespace orvane
