#pragma once

#include "CancellationToken.h"
#include "ClipSource.h"
#include "TranslatedText.h"
#include "UserFacingError.h"

#include <QString>

namespace orvane {

class GPUVideoExporterError : public UserFacingError {
public:
    enum class Kind { exportFailed, noVideoTrack, readerSetupFailed, writerSetupFailed, encryptedSource };

    static GPUVideoExporterError exportFailed(const QString& detail) {
        return {Kind::exportFailed, QCoreApplication::translate("ExportErrors", "导出失败: ") + detail};
    }
    static GPUVideoExporterError noVideoTrack() {
        return {Kind::noVideoTrack,
                QCoreApplication::translate("ExportErrors", "视频中没有可导出的画面轨道")};
    }
    static GPUVideoExporterError readerSetupFailed() {
        return {Kind::readerSetupFailed, QCoreApplication::translate("ExportErrors", "无法读取源视频")};
    }
    static GPUVideoExporterError writerSetupFailed() {
        return {Kind::writerSetupFailed, QCoreApplication::translate("ExportErrors", "无法创建导出文件")};
    }
    // The car encrypted the footage: said as plainly as everywhere else, not as a failure.
    static GPUVideoExporterError encryptedSource() {
        return {Kind::encryptedSource, media::ClipSource::encryptedMessage()};
    }
    Kind kind() const { return kind_; }

private:
    GPUVideoExporterError(Kind kind, const QString& description)
        : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

class FFmpegLocatorError : public UserFacingError {
public:
    static FFmpegLocatorError notFound() {
        return FFmpegLocatorError(QCoreApplication::translate(
            "ExportErrors", "未找到 FFmpeg，请在项目根目录运行 ./scripts/setup-ffmpeg.sh"));
    }

private:
    using UserFacingError::UserFacingError;
};

// Every failure of the ffmpeg grid composer and segment merger, in our own words: what ffmpeg
// itself prints is never shown.
class FFmpegSegmentMergerError : public UserFacingError {
public:
    // The message when ffmpeg fails without a reason we can name.
    static inline constexpr TranslatedText unknownFailure{"ExportErrors",
                                                          QT_TRANSLATE_NOOP("ExportErrors", "未知错误")};

    // `message` says what failed and why; `systemError` is the errno of a refused system call
    // (a full disk, a drive pulled out) behind it, 0 for anything else.
    static FFmpegSegmentMergerError commandFailed(const QString& message, int systemError = 0) {
        return FFmpegSegmentMergerError(
            QCoreApplication::translate("ExportErrors", "视频处理失败: ") + message, message, systemError);
    }
    const QString& message() const { return message_; }
    int systemError() const { return systemError_; }

private:
    FFmpegSegmentMergerError(const QString& description, const QString& message, int systemError)
        : UserFacingError(description), message_(message), systemError_(systemError) {}
    QString message_;
    int systemError_ = 0;
};

class PhotosLibraryExporterError : public UserFacingError {
public:
    // The photo-library authorization states (numbered as the platform numbers them).
    enum class Status { notDetermined = 0, restricted = 1, denied = 2, authorized = 3, limited = 4 };
    enum class Kind { accessDenied, importFailed };

    static PhotosLibraryExporterError accessDenied(Status status);
    static PhotosLibraryExporterError importFailed(const QString& message) {
        return {Kind::importFailed, Status::authorized,
                QCoreApplication::translate("ExportErrors", "保存到相册失败: ") + message};
    }
    Kind kind() const { return kind_; }
    Status status() const { return status_; }
    // The main window offers the privacy settings only for these.
    bool isRestrictedOrDenied() const {
        return kind_ == Kind::accessDenied && (status_ == Status::restricted || status_ == Status::denied);
    }

private:
    PhotosLibraryExporterError(Kind kind, Status status, const QString& description)
        : UserFacingError(description), kind_(kind), status_(status) {}
    Kind kind_;
    Status status_;
};

inline PhotosLibraryExporterError PhotosLibraryExporterError::accessDenied(Status status) {
    QString text;
    switch (status) {
    case Status::restricted:
    case Status::denied:
        text = QCoreApplication::translate(
            "ExportErrors", "无法访问相册。请在系统设置 → 隐私与安全性 → 照片中允许「Orvane」");
        break;
    case Status::notDetermined:
        text =
            QCoreApplication::translate("ExportErrors", "相册授权未完成，请重新启动应用并在弹窗中点「允许」");
        break;
    default:
        text = QCoreApplication::translate("ExportErrors", "无法访问相册（状态: %1）").arg(int(status));
    }
    return {Kind::accessDenied, status, text};
}

} // namespace orvane
