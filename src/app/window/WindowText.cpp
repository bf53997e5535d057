#include "WindowText.h"

#include "DashboardPresentation.h"
#include "ExportSettings.h"
#include "FileName.h"

#include <QCoreApplication>
#include <QVariantMap>

namespace orvane {

WindowText::WindowText(QObject* parent) : QObject(parent) {}

QVariantList WindowText::exportQualityOptions() {
    QVariantList options;
    for (const ExportQuality quality : Quality::allCases)
        options << QVariantMap{{QStringLiteral("value"), Quality::rawValue(quality)},
                               {QStringLiteral("title"), Quality::title(quality)},
                               {QStringLiteral("description"), Quality::description(quality)}};
    return options;
}

QVariantList WindowText::speedUnitOptions() {
    QVariantList options;
    for (const auto unit : {DashboardPresentation::SpeedUnit::Kmh, DashboardPresentation::SpeedUnit::Mph})
        options << QVariantMap{{QStringLiteral("value"), DashboardPresentation::rawValue(unit)},
                               {QStringLiteral("title"), DashboardPresentation::unitLabel(unit)}};
    return options;
}

QVariantList WindowText::outputLocationOptions() {
    QVariantList options;
    for (const OutputLocationOption option :
         {OutputLocationOption::photosLibrary, OutputLocationOption::custom})
        options << QVariantMap{{QStringLiteral("value"), OutputLocation::rawValue(option)},
                               {QStringLiteral("title"), OutputLocation::title(option)}};
    return options;
}

QString WindowText::eventCount(int count) {
    return QCoreApplication::translate("WindowText", "共 %1 个视频片段").arg(count);
}

QString WindowText::deleteButton(int count) {
    return QCoreApplication::translate("WindowText", "删除（%1）").arg(count);
}

QString WindowText::mergeNextButton(int count) {
    return QCoreApplication::translate("WindowText", "下一步（%1）").arg(count);
}

QString WindowText::deleteConfirmation(int count) {
    return QCoreApplication::translate(
               "WindowText",
               "将删除选中的 %1 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。")
        .arg(count);
}

QString WindowText::deletingDetail(int count) {
    return QCoreApplication::translate("WindowText", "正在将选中的 %1 个片段移到废纸篓").arg(count);
}

QString WindowText::emptyCategoryTitle(const QString& categoryName) {
    return QCoreApplication::translate("WindowText", "暂无%1视频").arg(categoryName);
}

QString WindowText::sidebarToggleHelp(bool sidebarVisible) {
    return sidebarVisible ? QCoreApplication::translate("WindowText", "收起侧边栏")
                          : QCoreApplication::translate("WindowText", "显示侧边栏");
}

QUrl WindowText::folderUrl(const QString& path) {
    return path.isEmpty() ? QUrl() : FileName::toUrl(path);
}

QString WindowText::resultMessage(const QString& successMessage) {
    return successMessage.isEmpty() ? QCoreApplication::translate("WindowText", "导出完成") : successMessage;
}

} // namespace orvane
