#pragma once
// The open event's drive along its time line (speed, forces, brake and assistance, hard-brake
// and swerve marks) for the strip under the slider, and its route as GPX. Interface thread only;
// the records are read and the profile built on the file pool.

#include "DriveProfile.h"
#include "LatestRequest.h"
#include "TeslaVideoFile.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>
#include <functional>
#include <memory>

namespace orvane {

class PreviewViewModel;
struct RangeFeedback;

class DriveSection : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its drive section")
    // The event's records are read and some frame has one (the strip shows).
    Q_PROPERTY(bool hasRecord READ hasRecord NOTIFY changed)
    // Some record has a position (the route can be drawn and exported).
    Q_PROPERTY(bool hasRoute READ hasRoute NOTIFY changed)
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY changed)
    // Why there is no strip, in one line; empty while reading or when there is one.
    Q_PROPERTY(QString note READ note NOTIFY changed)
    Q_PROPERTY(int hardBrakeCount READ hardBrakeCount NOTIFY changed)
    // Seconds on the event's time line.
    Q_PROPERTY(QVariantList hardBrakes READ hardBrakes NOTIFY changed)
    Q_PROPERTY(QVariantList swerves READ swerves NOTIFY changed)
    Q_PROPERTY(double duration READ duration NOTIFY changed)

public:
    using Reader = std::function<DriveProfile(const std::vector<TeslaVideoFile>&, const CancellationToken&)>;

    explicit DriveSection(QObject* parent = nullptr);

    void setPreview(PreviewViewModel* preview);
    // Replaces how an event's drive is read (tests).
    void setReader(Reader reader) { reader_ = std::move(reader); }

    bool hasRecord() const { return profile_ && !profile_->points.empty(); }
    bool hasRoute() const { return profile_ && profile_->hasPositions(); }
    bool isLoading() const { return loading_; }
    QString note() const;
    int hardBrakeCount() const { return profile_ ? int(profile_->hardBrakes.size()) : 0; }
    QVariantList hardBrakes() const;
    QVariantList swerves() const;
    double duration() const { return profile_ ? profile_->duration : 0; }
    // The profile shown; null while none is read.
    std::shared_ptr<const DriveProfile> profile() const { return profile_; }

    // Where the GPX export's answer goes (the page's toast).
    void setFeedback(std::function<void(const RangeFeedback&)> feedback) { feedback_ = std::move(feedback); }
    // Writes the route into the preview's output folder, never over an existing file.
    Q_INVOKABLE void exportGpx();

signals:
    void changed();

private:
    void reload();

    QPointer<PreviewViewModel> preview_;
    Reader reader_;
    LatestRequest request_;
    QString loadedKey_; // which files the profile was read from
    std::shared_ptr<const DriveProfile> profile_;
    bool loading_ = false;
    std::function<void(const RangeFeedback&)> feedback_;
};

} // namespace orvane
