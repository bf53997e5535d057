#pragma once
// The failures of checking for, downloading and installing an update, each with the text the user sees.
// Plain values; any thread.

#include "UserFacingError.h"

#include <QCoreApplication>

namespace orvane {

class AppUpdateError : public UserFacingError {
public:
    enum class Kind {
        networkUnavailable,
        invalidManifest,
        downloadFailed,
        appNotInstalled,
        runningFromDiskImage,
        appBundleMissing,
        mountFailed,
        installFailed,
        packageManaged,
    };

    static AppUpdateError networkUnavailable() {
        return {Kind::networkUnavailable,
                QCoreApplication::translate("AppUpdateError", "无法连接更新服务器，请稍后重试")};
    }
    static AppUpdateError invalidManifest() {
        return {Kind::invalidManifest, QCoreApplication::translate("AppUpdateError", "更新信息无效")};
    }
    static AppUpdateError downloadFailed() {
        return {Kind::downloadFailed,
                QCoreApplication::translate("AppUpdateError", "下载更新失败，请稍后重试")};
    }
    static AppUpdateError appNotInstalled() {
        return {Kind::appNotInstalled,
                QCoreApplication::translate("AppUpdateError",
                                            "当前应用未安装到本地，请先将应用拖入「应用程序」文件夹")};
    }
    static AppUpdateError runningFromDiskImage() {
        return {Kind::runningFromDiskImage,
                QCoreApplication::translate("AppUpdateError",
                                            "请先将应用从磁盘映像拖入「应用程序」文件夹，再检查更新")};
    }
    static AppUpdateError appBundleMissing() {
        return {Kind::appBundleMissing,
                QCoreApplication::translate("AppUpdateError", "安装包中未找到 Orvane 应用")};
    }
    static AppUpdateError mountFailed() {
        return {Kind::mountFailed, QCoreApplication::translate("AppUpdateError", "无法打开更新安装包")};
    }
    static AppUpdateError installFailed(const QString& text) {
        return {Kind::installFailed, QCoreApplication::translate("AppUpdateError", "安装更新失败: ") + text};
    }

    static AppUpdateError packageManaged() {
        return {Kind::packageManaged,
                QCoreApplication::translate("AppUpdateError",
                                            "Orvane 由系统的软件包管理器安装，请用它更新到新版本")};
    }

    Kind kind() const { return kind_; }

private:
    AppUpdateError(Kind kind, const QString& description) : UserFacingError(description), kind_(kind) {}
    Kind kind_;
};

} // namespace orvane
