#include "WindowText.h"

#include "DashboardPresentation.h"
#include "ExportSettings.h"
#include "FileName.h"

#include <QCoreApplication>

namespace orvane {

namespace {

std::vector<Choice> qualityChoices() {
    std::vector<Choice> options;
    for (const ExportQuality quality : Quality::allCases)
        options.push_back(
            {Quality::rawValue(quality), Quality::title(quality), Quality::description(quality)});
    return options;
}

std::vector<Choice> speedUnitChoices() {
    std::vector<Choice> options;
    for (const auto unit : {DashboardPresentation::SpeedUnit::Kmh, DashboardPresentation::SpeedUnit::Mph})
        options.push_back(
            {DashboardPresentation::rawValue(unit), DashboardPresentation::unitLabel(unit), {}});
    return options;
}

std::vector<Choice> outputLocationChoices() {
    std::vector<Choice> options;
    for (const OutputLocationOption option :
         {OutputLocationOption::photosLibrary, OutputLocationOption::custom})
        options.push_back({OutputLocation::rawValue(option), OutputLocation::title(option), {}});
    return options;
}

std::vector<Choice> speedChoices() {
    std::vector<Choice> options;
    for (const int speed : exportSpeeds)
        options.push_back({speed, QStringLiteral("%1×").arg(speed), {}});
    return options;
}

std::vector<Choice> dashboardChoices() {
    return {{false, QCoreApplication::translate("WindowText", "不叠加"), {}},
            {true, QCoreApplication::translate("WindowText", "叠加"), {}}};
}

std::vector<Choice> reportPlaceChoices() {
    return {{false, QCoreApplication::translate("WindowText", "写入位置"), {}},
            {true, QCoreApplication::translate("WindowText", "隐去位置"), {}}};
}

} // namespace

WindowText::WindowText(QObject* parent)
    : QObject(parent), exportQualityOptions_(new ChoiceListModel(qualityChoices(), this)),
      outputLocationOptions_(new ChoiceListModel(outputLocationChoices(), this)),
      speedUnitOptions_(new ChoiceListModel(speedUnitChoices(), this)),
      dashboardOptions_(new ChoiceListModel(dashboardChoices(), this)),
      reportPlaceOptions_(new ChoiceListModel(reportPlaceChoices(), this)),
      exportSpeedOptions_(new ChoiceListModel(speedChoices(), this)) {}

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
