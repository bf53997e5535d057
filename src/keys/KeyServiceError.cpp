#include "KeyServiceError.h"

#include "ContainerError.h"
#include "FileName.h"

#include <QCoreApplication>

namespace orvane::keys {

namespace {

QString translated(const char* text) {
    return QCoreApplication::translate("KeyServiceError", text);
}

} // namespace

KeyServiceError KeyServiceError::tokenMissing() {
    return {Kind::tokenMissing,
            translated(QT_TRANSLATE_NOOP("KeyServiceError", "读取加密录像需要车主的令牌"))};
}

KeyServiceError KeyServiceError::tokenRefused() {
    return {Kind::tokenRefused,
            translated(
                QT_TRANSLATE_NOOP("KeyServiceError", "密钥服务拒绝了令牌（无效或已过期），请重新获取令牌"))};
}

KeyServiceError KeyServiceError::unreachable(const QString& reason) {
    return {Kind::unreachable, translated(QT_TRANSLATE_NOOP("KeyServiceError", "无法连接密钥服务")) +
                                   QStringLiteral(": ") + reason};
}

KeyServiceError KeyServiceError::timedOut(int seconds) {
    return {Kind::timedOut,
            QCoreApplication::translate("KeyServiceError", "密钥服务在 %1 秒内没有应答，请稍后重试")
                .arg(seconds)};
}

KeyServiceError KeyServiceError::badAnswer(const QString& detail) {
    return {Kind::badAnswer, translated(QT_TRANSLATE_NOOP("KeyServiceError", "密钥服务的应答无法识别")) +
                                 QStringLiteral(": ") + detail};
}

KeyServiceError KeyServiceError::keyRefused(const QString& fileName, const QString& reason) {
    QString text = translated(QT_TRANSLATE_NOOP("KeyServiceError", "密钥服务拒绝提供这个文件的密钥")) +
                   QStringLiteral(": ") + FileName::display(fileName);
    if (!reason.isEmpty())
        text += QStringLiteral(" (") + reason + QLatin1Char(')');
    return {Kind::keyRefused, text};
}

KeyServiceError KeyServiceError::wrongKey(const QString& path) {
    return {Kind::wrongKey, crypto::ContainerError::wrongKey(path).description()};
}

KeyServiceError KeyServiceError::unreadable(const QString& description) {
    return {Kind::unreadable, description};
}

} // namespace orvane::keys
