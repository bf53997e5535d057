#pragma once
// Texts and choice lists of the main window composed from values, so the views never build a
// text themselves. A QML singleton; interface thread (static functions: any).

#include "ChoiceListModel.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class WindowText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // The "清晰度" picker's qualities, in the quality order, each with its description.
    Q_PROPERTY(orvane::ChoiceListModel* exportQualityOptions READ exportQualityOptions CONSTANT)
    // The "输出" picker.
    Q_PROPERTY(orvane::ChoiceListModel* outputLocationOptions READ outputLocationOptions CONSTANT)
    // The dashboard's speed unit.
    Q_PROPERTY(orvane::ChoiceListModel* speedUnitOptions READ speedUnitOptions CONSTANT)
    // "叠加仪表盘": off or on (false, true).
    Q_PROPERTY(orvane::ChoiceListModel* dashboardOptions READ dashboardOptions CONSTANT)
    // Whether incident reports name the place: false writes it, true "隐去位置".
    Q_PROPERTY(orvane::ChoiceListModel* reportPlaceOptions READ reportPlaceOptions CONSTANT)
    // The timelapse speeds, "1×" … "60×".
    Q_PROPERTY(orvane::ChoiceListModel* exportSpeedOptions READ exportSpeedOptions CONSTANT)

public:
    explicit WindowText(QObject* parent = nullptr);

    ChoiceListModel* exportQualityOptions() const { return exportQualityOptions_; }
    ChoiceListModel* outputLocationOptions() const { return outputLocationOptions_; }
    ChoiceListModel* speedUnitOptions() const { return speedUnitOptions_; }
    ChoiceListModel* dashboardOptions() const { return dashboardOptions_; }
    ChoiceListModel* reportPlaceOptions() const { return reportPlaceOptions_; }
    ChoiceListModel* exportSpeedOptions() const { return exportSpeedOptions_; }

    // The sidebar button's help: "收起侧边栏" while the sidebar shows, else "显示侧边栏".
    Q_INVOKABLE static QString sidebarToggleHelp(bool sidebarVisible);
    // A local folder as the address a folder chooser starts in (empty for "").
    Q_INVOKABLE static QUrl folderUrl(const QString& path);
    // The result page's headline: the export's success message, or "导出完成" without one.
    Q_INVOKABLE static QString resultMessage(const QString& successMessage);

private:
    ChoiceListModel* exportQualityOptions_;
    ChoiceListModel* outputLocationOptions_;
    ChoiceListModel* speedUnitOptions_;
    ChoiceListModel* dashboardOptions_;
    ChoiceListModel* reportPlaceOptions_;
    ChoiceListModel* exportSpeedOptions_;
};

} // namespace orvane
