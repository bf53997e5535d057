#pragma once
// The preview page's export-range buttons (their titles, states and help) and the toast that answers them.
// Interface thread; a PreviewPageController owns one and refreshes it whenever its page changes.

#include "LatestRequest.h"
#include "PreviewEnvironment.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class PreviewViewModel;
struct RangeFeedback;

class PreviewRangeSection : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its range section")
    // The range buttons: the recorded time or the title ("开始", "结束"), and the help text.
    Q_PROPERTY(bool hasStart READ hasStart NOTIFY changed)
    Q_PROPERTY(bool hasEnd READ hasEnd NOTIFY changed)
    Q_PROPERTY(QString startTitle READ startTitle NOTIFY changed)
    Q_PROPERTY(QString endTitle READ endTitle NOTIFY changed)
    Q_PROPERTY(QString startHelp READ startHelp NOTIFY changed)
    Q_PROPERTY(QString endHelp READ endHelp NOTIFY changed)
    // The toast; empty when none is shown.
    Q_PROPERTY(QString feedback READ feedback NOTIFY feedbackChanged)
    Q_PROPERTY(bool feedbackIsError READ feedbackIsError NOTIFY feedbackChanged)

public:
    // Runs an action on the interface thread after a delay; returns how to cancel it.
    using Schedule = decltype(PreviewEnvironment::schedule);

    // How long a toast stays.
    static constexpr int feedbackMilliseconds = 2000;

    explicit PreviewRangeSection(QObject* parent = nullptr);
    ~PreviewRangeSection() override;

    void setPreview(PreviewViewModel* preview);
    // Reads the range off the preview again; `changed` when a button's text or state moved.
    void refresh();

    bool hasStart() const { return state_.hasStart; }
    bool hasEnd() const { return state_.hasEnd; }
    QString startTitle() const { return state_.startTitle; }
    QString endTitle() const { return state_.endTitle; }
    QString startHelp() const { return state_.startHelp; }
    QString endHelp() const { return state_.endHelp; }
    QString feedback() const { return feedback_; }
    bool feedbackIsError() const { return feedbackIsError_; }

    // Replaces the timer behind the toast (tests).
    void setSchedule(Schedule schedule) { schedule_ = std::move(schedule); }

    // At the shown player's time; the toast says how it went.
    Q_INVOKABLE void recordStart();
    Q_INVOKABLE void recordEnd();
    // Shows a toast for two seconds; a newer one replaces it and keeps its own two seconds.
    void showFeedback(const QString& message, bool isError);
    // Takes a toast still showing away at once.
    void dismissFeedback();
    void showFeedback(const RangeFeedback& feedback);

signals:
    void changed();
    void feedbackChanged();

private:
    struct State {
        bool hasStart = false;
        bool hasEnd = false;
        QString startTitle;
        QString endTitle;
        QString startHelp;
        QString endHelp;
        bool operator==(const State&) const = default;
    };

    State compute() const;
    void clearFeedback(LatestRequest::Ticket ticket);

    QPointer<PreviewViewModel> preview_;
    State state_;
    Schedule schedule_;
    PreviewEnvironment::Cancel feedbackTimer_;
    QString feedback_;
    bool feedbackIsError_ = false;
    LatestRequest requests_;
};

} // namespace orvane
