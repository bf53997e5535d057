// Each failure's text, once: every other test compares the kind of failure, not its words.

#include "ExportErrors.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(ExportErrorsTest, EachKindSaysWhatWentWrong) {
    using Exporter = GPUVideoExporterError;
    using Photos = PhotosLibraryExporterError;
    using Status = Photos::Status;
    const QString denied = QStringLiteral("无法访问相册。请在系统设置 → 隐私与安全性 → 照片中允许「Orvane」");
    const struct {
        UserFacingError error;
        QString text;
    } cases[] = {
        {Exporter::exportFailed(QStringLiteral("x")), QStringLiteral("导出失败: x")},
        {Exporter::noVideoTrack(), QStringLiteral("视频中没有可导出的画面轨道")},
        {Exporter::readerSetupFailed(), QStringLiteral("无法读取源视频")},
        {Exporter::writerSetupFailed(), QStringLiteral("无法创建导出文件")},
        {FFmpegLocatorError::notFound(), QStringLiteral("未找到 FFmpeg，请在项目根目录运行 ./scripts/setup-ffmpeg.sh")},
        {FFmpegSegmentMergerError::commandFailed(QStringLiteral("x")), QStringLiteral("FFmpeg 合并失败: x")},
        {FFmpegSegmentMergerError::commandFailed(FFmpegSegmentMergerError::unknownFailure),
         QStringLiteral("FFmpeg 合并失败: 未知错误")},
        {Photos::accessDenied(Status::restricted), denied},
        {Photos::accessDenied(Status::denied), denied},
        {Photos::accessDenied(Status::notDetermined), QStringLiteral("相册授权未完成，请重新启动应用并在弹窗中点「允许」")},
        {Photos::accessDenied(Status::limited), QStringLiteral("无法访问相册（状态: 4）")},
        {Photos::importFailed(QStringLiteral("x")), QStringLiteral("保存到相册失败: x")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error.description(), c.text);
    EXPECT_EQ(Exporter::noVideoTrack().kind(), Exporter::Kind::noVideoTrack);
    EXPECT_EQ(Photos::importFailed({}).kind(), Photos::Kind::importFailed);
    EXPECT_TRUE(Photos::accessDenied(Status::restricted).isRestrictedOrDenied());
    EXPECT_FALSE(Photos::accessDenied(Status::notDetermined).isRestrictedOrDenied());
}

} // namespace
