#pragma once
// The grid's cells as the preview page shows them, in grid order: the camera, its title, whether a
// file plays in it and what the user must know about it. A fixed number of rows (the largest grid),
// so a cell's news or another layout never rebuilds the surfaces showing pictures. Interface thread.

#include <QAbstractListModel>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

struct GridCell {
    QString camera; // raw value; "" for a row the grid shown does not use
    QString title;
    bool hasVideo = true;
    // Why the cell's file cannot play ("已加密", "文件已损坏"), with its icon; else empty.
    QString note;
    QString noteIcon;
    // What went wrong reading the file, and why; empty when it plays or has a note.
    QString problem;
    QString problemDetail;
    bool unreadable = false;
    bool operator==(const GridCell&) const = default;
};

class GridCellModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its grid cells")
    // The cells the grid shown uses (4 or 6); the rows after them are unused.
    Q_PROPERTY(int usedCount READ usedCount NOTIFY usedCountChanged)

public:
    enum Role {
        CameraRole = Qt::UserRole + 1,
        TitleRole,
        HasVideoRole,
        NoteRole,
        NoteIconRole,
        ProblemRole,
        ProblemDetailRole,
        UnreadableRole,
        InUseRole,
    };

    // `capacity` rows, all unused until setCells.
    explicit GridCellModel(int capacity, QObject* parent = nullptr);

    // The cells of the grid shown (at most the capacity); only rows that changed are announced.
    void setCells(std::vector<GridCell> cells);
    const std::vector<GridCell>& cells() const { return cells_; }
    int usedCount() const { return usedCount_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void usedCountChanged();

private:
    std::vector<GridCell> cells_; // always `capacity` long
    int usedCount_ = 0;
};

} // namespace orvane
