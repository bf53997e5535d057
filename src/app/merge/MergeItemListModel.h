#pragma once
// The merge editor's items in output order, with their kept ranges. Interface thread only.

#include "VideoMergeItem.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

class MergeItemListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        ItemIDRole = Qt::UserRole + 1,
        EventIDRole,
        NumberRole,     // 1-based place in the output
        EventTitleRole, // the event's time range title
        EventStartTimeRole,
        ItemStartTimeRole, // recording time of the item's first file
        FolderNameRole,
        LocationLineRole,
        RangeStartRole,
        RangeEndRole,
        TotalDurationRole,
        KeptDurationRole,
        FileCountRole,
        FirstFileURLRole,
        FileURLsRole,
        StepDurationsRole,
        IsFirstRole,
        IsLastRole,
    };

    explicit MergeItemListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(items_.size()); }
    // Same items in the same order: only changed ranges are announced; otherwise a reset.
    void setItems(const std::vector<VideoMergeItem>& items);

    Q_INVOKABLE int indexOf(const QString& itemID) const;

signals:
    void countChanged();

private:
    std::vector<VideoMergeItem> items_;
};

} // namespace orvane
