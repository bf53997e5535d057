#include "PreviewRangeSection.h"

#include "PlaybackTimeFormat.h"
#include "PreviewViewModel.h"

#include <QCoreApplication>

namespace orvane {

namespace {

// "记录开始时间", "重新记录开始时间".
QString help(const QString& title, bool recorded) {
    return recorded ? QCoreApplication::translate("PreviewRangeSection", "重新记录%1时间").arg(title)
                    : QCoreApplication::translate("PreviewRangeSection", "记录%1时间").arg(title);
}

} // namespace

PreviewRangeSection::PreviewRangeSection(QObject* parent)
    : QObject(parent), state_(compute()), schedule_(PreviewEnvironment::standard().schedule) {}

void PreviewRangeSection::setPreview(PreviewViewModel* preview) {
    preview_ = preview;
}

PreviewRangeSection::~PreviewRangeSection() {
    if (feedbackTimer_)
        feedbackTimer_();
}

void PreviewRangeSection::refresh() {
    State next = compute();
    if (next == state_)
        return;
    state_ = std::move(next);
    emit changed();
}

PreviewRangeSection::State PreviewRangeSection::compute() const {
    const PreviewViewModel* preview = preview_;
    const auto start = preview ? preview->exportRangeStart() : std::nullopt;
    const auto end = preview ? preview->exportRangeEnd() : std::nullopt;
    const QString startTitle = QCoreApplication::translate("PreviewRangeSection", "开始");
    const QString endTitle = QCoreApplication::translate("PreviewRangeSection", "结束");
    return {start.has_value(),
            end.has_value(),
            start ? PlaybackTimeFormat::format(*start) : startTitle,
            end ? PlaybackTimeFormat::format(*end) : endTitle,
            help(startTitle, start.has_value()),
            help(endTitle, end.has_value())};
}

void PreviewRangeSection::recordStart() {
    if (preview_)
        showFeedback(preview_->recordExportRangeStart());
}

void PreviewRangeSection::recordEnd() {
    if (preview_)
        showFeedback(preview_->recordExportRangeEnd());
}

void PreviewRangeSection::showFeedback(const RangeFeedback& feedback) {
    showFeedback(feedback.message, feedback.isError);
}

void PreviewRangeSection::showFeedback(const QString& message, bool isError) {
    const LatestRequest::Ticket ticket = requests_.start();
    if (feedbackTimer_)
        feedbackTimer_(); // it would find a newer ticket anyway
    feedback_ = message;
    feedbackIsError_ = isError;
    emit feedbackChanged();
    QPointer<PreviewRangeSection> self(this);
    feedbackTimer_ = schedule_(feedbackMilliseconds, [self, ticket] {
        if (self)
            self->clearFeedback(ticket);
    });
}

void PreviewRangeSection::dismissFeedback() {
    clearFeedback(requests_.start());
}

void PreviewRangeSection::clearFeedback(LatestRequest::Ticket ticket) {
    if (!requests_.isLatest(ticket) || feedback_.isEmpty())
        return;
    feedbackTimer_ = {};
    feedback_.clear();
    emit feedbackChanged();
}

} // namespace orvane
