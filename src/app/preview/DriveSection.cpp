#include "DriveSection.h"

#include "AppPools.h"
#include "DriveGpx.h"
#include "EventDrive.h"
#include "FileDelivery.h"
#include "PreviewViewModel.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <exception>

namespace orvane {

namespace {

QVariantList toList(const std::vector<double>& times) {
    QVariantList list;
    for (double t : times)
        list << t;
    return list;
}

// The event's folder and minutes: another camera's files of the same minutes give the same key.
QString minutesKey(const std::vector<TeslaVideoFile>& videos) {
    QStringList minutes;
    for (const TeslaVideoFile& v : videos)
        minutes << QFileInfo(v.url).path() + QLatin1Char('|') + TeslaVideoFile::timestampKey(v.fileName);
    minutes.removeDuplicates();
    minutes.sort();
    return minutes.join(QLatin1Char('\n'));
}

} // namespace

DriveSection::DriveSection(QObject* parent)
    : QObject(parent),
      reader_([](const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel) {
          return EventDrive::read(videos, cancel);
      }) {}

void DriveSection::setPreview(PreviewViewModel* preview) {
    if (preview_)
        disconnect(preview_, nullptr, this, nullptr);
    preview_ = preview;
    if (preview)
        connect(preview, &PreviewViewModel::videosChanged, this, &DriveSection::reload);
    reload();
}

// Another camera of the same event keeps the profile: every camera's stream carries the same record.
void DriveSection::reload() {
    const std::vector<TeslaVideoFile> videos = preview_ ? preview_->videos() : std::vector<TeslaVideoFile>();
    const QString key = minutesKey(videos);
    if (key == loadedKey_ && (profile_ || loading_))
        return;
    loadedKey_ = key;
    profile_.reset();
    loading_ = !videos.empty();
    if (videos.empty())
        request_.supersede();
    else
        request_.run(
            AppPools::files(), this,
            [videos, read = reader_](const CancellationToken& cancel) -> std::shared_ptr<const DriveProfile> {
                try {
                    return std::make_shared<const DriveProfile>(read(videos, cancel));
                } catch (const OperationCancelled&) {
                    return nullptr;
                } catch (const std::exception&) {
                    // The drive went away mid-read: the page says the footage has no readable record.
                    return std::make_shared<const DriveProfile>();
                }
            },
            [this](std::shared_ptr<const DriveProfile> profile) {
                profile_ = std::move(profile);
                loading_ = false;
                emit changed();
            });
    emit changed();
}

QString DriveSection::note() const {
    if (loading_ || !preview_ || preview_->videos().empty())
        return {};
    if (!hasRecord())
        return QCoreApplication::translate("DriveSection",
                                           "这段录像没有可读的行车数据（较旧的固件、车辆未写入或文件无法读取"
                                           "），无法显示地图、速度与受力曲线");
    if (!hasRoute())
        return QCoreApplication::translate("DriveSection",
                                           "这段录像没有位置记录（车辆未定位），无法显示路线");
    return {};
}

QVariantList DriveSection::hardBrakes() const {
    return profile_ ? toList(profile_->hardBrakes) : QVariantList();
}

QVariantList DriveSection::swerves() const {
    return profile_ ? toList(profile_->swerves) : QVariantList();
}

void DriveSection::exportGpx() {
    if (!preview_ || !hasRoute())
        return;
    const QString folder = preview_->outputFolder();
    const bool makeFolder = preview_->createsOutputFolder();
    const std::vector<TeslaVideoFile>& videos = preview_->videos();
    const QString name = TeslaVideoFile::timestampKey(videos.front().fileName);
    const QString creator = QStringLiteral("Orvane ") + QCoreApplication::applicationVersion();
    runInBackground(
        AppPools::files(), this,
        [profile = profile_, folder, name, makeFolder, creator] {
            try {
                if (makeFolder) // a fresh account has no download folder yet
                    QDir().mkpath(folder);
                const QString path = FileDelivery::writeToFreeName(
                    DriveGpx::document(*profile, name, creator), folder, name + QStringLiteral("_route.gpx"));
                return RangeFeedback{QCoreApplication::translate("DriveSection", "轨迹已导出：") +
                                         QFileInfo(path).fileName(),
                                     false};
            } catch (const UserFacingError& e) {
                return RangeFeedback{e.description(), true};
            }
        },
        [this](const RangeFeedback& feedback) {
            if (feedback_)
                feedback_(feedback);
        });
}

} // namespace orvane
