#pragma once
// The minutes of the open event (one row per timestamp group, latest first) with the one
// playing and the ones picked for a minute merge. Interface thread only.

#include "VideoTimestampGroup.h"

#include <QAbstractListModel>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

class VideoGroupListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        GroupKeyRole = Qt::UserRole + 1, // the timestamp key
        StartTimeRole,
        TimeTitleRole, // "HH:mm:ss"
        FileCountRole,
        CamerasRole, // raw camera values present in the minute
        IsCurrentRole,
        IsMergeSelectedRole,
        MergeOrderRole, // 1-based pick order, 0 when not picked
        NoteRole,       // why the minute cannot play ("已加密", "文件已损坏"), else empty
    };

    explicit VideoGroupListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(groups_.size()); }
    const std::vector<VideoTimestampGroup>& groups() const { return groups_; }
    void setGroups(std::vector<VideoTimestampGroup> groups);
    void setMarks(const QString& currentKey, const QStringList& mergeSelected);
    // Notes by timestamp key; minutes without one have none.
    void setNotes(const QHash<QString, QString>& notes);

    Q_INVOKABLE int indexOf(const QString& groupKey) const;

signals:
    void countChanged();

private:
    std::vector<VideoTimestampGroup> groups_;
    QString currentKey_;
    QStringList mergeSelected_;
    QHash<QString, QString> notes_;
};

} // namespace orvane
