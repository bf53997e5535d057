#pragma once
// The preview page's list of an event's minutes: whether it shows, and picking minutes to splice.
// Interface thread; a PreviewPageController owns one and refreshes it whenever its page changes.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class PreviewViewModel;

class PreviewSegmentList : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its segment list")
    // Shown for events of two minutes or more.
    Q_PROPERTY(bool isShown READ isShown NOTIFY changed)
    // Choosing minutes to splice, how many are picked, and whether that is enough.
    Q_PROPERTY(bool isSelecting READ isSelecting NOTIFY changed)
    Q_PROPERTY(QString hint READ hint NOTIFY changed)
    Q_PROPERTY(QString countText READ countText NOTIFY changed)
    Q_PROPERTY(bool canMerge READ canMerge NOTIFY changed)

public:
    explicit PreviewSegmentList(QObject* parent = nullptr);

    void setPreview(PreviewViewModel* preview);
    // Reads the minutes and the splice selection off the preview again; `changed` when
    // anything shown moved.
    void refresh();

    bool isShown() const { return state_.isShown; }
    bool isSelecting() const { return state_.isSelecting; }
    QString hint() const { return state_.hint; }
    QString countText() const { return state_.countText; }
    bool canMerge() const { return state_.canMerge; }

    // Plays the minute, or picks it while choosing minutes to splice.
    Q_INVOKABLE void activate(const QString& timestampKey);
    // Starts or ends choosing minutes to splice.
    Q_INVOKABLE void toggleSelection();
    // Pauses and opens the merge editor with the minutes picked (two or more).
    Q_INVOKABLE void continueMerge();

signals:
    void changed();

private:
    struct State {
        bool isShown = false;
        bool isSelecting = false;
        QString hint;
        QString countText;
        bool canMerge = false;
        bool operator==(const State&) const = default;
    };

    State compute() const;

    QPointer<PreviewViewModel> preview_;
    State state_;
};

} // namespace orvane
