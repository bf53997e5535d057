#pragma once
// The result page's still frames in capture order, as a list QML shows (time, thumbnail).
// Interface thread.

#include "FrameCapture.h"

#include <QAbstractListModel>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

class ExportCaptureList : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Owned by ExportResultController")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { captureIdRole = Qt::UserRole + 1, timeRole, timeTextRole, thumbnailSourceRole };

    explicit ExportCaptureList(QObject* parent = nullptr);
    ~ExportCaptureList() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(captures_.size()); }
    const std::vector<ExportedFrameCapture>& captures() const { return captures_; }
    // `thumbnail` is what QML shows for it.
    void append(const ExportedFrameCapture& capture, const QImage& thumbnail);
    bool removeAt(int row);
    void clear();

signals:
    void countChanged();

private:
    std::vector<ExportedFrameCapture> captures_;
};

} // namespace orvane
