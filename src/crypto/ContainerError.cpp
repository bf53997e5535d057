#include "ContainerError.h"

#include "FileName.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane::crypto {

namespace {

QString named(const char* text, const QString& path) {
    return QCoreApplication::translate("ContainerError", text) + QStringLiteral(": ") +
           FileName::display(QFileInfo(path).fileName());
}

} // namespace

QString ContainerError::lockedText() {
    // Said wherever footage is refused for want of its key (the player, exports, the command line).
    return QCoreApplication::translate("ClipSource",
                                       "这段录像已被车辆加密（固件 2026.20 起默认开启），无法在此播放或导出。"
                                       "之后的新录像可在车内关闭加密：控制 › 安全 › 加密行车记录仪录像"
                                       "（Encrypt Dashcam Recordings）");
}

ContainerError ContainerError::locked() {
    return {Kind::locked, lockedText()};
}

ContainerError ContainerError::wrongKey(const QString& path) {
    return {Kind::wrongKey,
            named(QT_TRANSLATE_NOOP("ContainerError", "密钥与文件不符，解密后不是视频"), path)};
}

ContainerError ContainerError::readFailed(const QString& path, const QString& systemText) {
    return {Kind::readFailed, QCoreApplication::translate("ContainerError", "读取文件出错 %1: %2")
                                  .arg(FileName::display(QFileInfo(path).fileName()), systemText)};
}

ContainerError ContainerError::ofHeader(ContainerFormat::HeaderProblem problem, const QString& path) {
    using ContainerFormat::HeaderProblem;
    switch (problem) {
    case HeaderProblem::cutShort:
        return {Kind::cutShort,
                named(QT_TRANSLATE_NOOP("ContainerError", "加密文件不完整，比它记录的长度短"), path)};
    case HeaderProblem::sizeMismatch:
        return {Kind::sizeMismatch,
                named(QT_TRANSLATE_NOOP("ContainerError", "加密文件记录的大小与文件长度不符"), path)};
    case HeaderProblem::damaged:
    case HeaderProblem::none:
        break;
    }
    return {Kind::damaged, named(QT_TRANSLATE_NOOP("ContainerError", "加密文件的头部已损坏"), path)};
}

} // namespace orvane::crypto
