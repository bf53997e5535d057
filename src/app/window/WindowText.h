#pragma once
// Texts and choice lists of the main window composed from values (counts, names), so the views
// never build a text themselves. A QML singleton; interface thread (static functions: any).

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class WindowText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // [{value, title, description}] for the "清晰度" picker, in the quality order.
    Q_PROPERTY(QVariantList exportQualityOptions READ exportQualityOptions CONSTANT)
    // [{value, title}] for the "输出" picker.
    Q_PROPERTY(QVariantList outputLocationOptions READ outputLocationOptions CONSTANT)
    // [{value, title}] for the dashboard's speed unit.
    Q_PROPERTY(QVariantList speedUnitOptions READ speedUnitOptions CONSTANT)

public:
    explicit WindowText(QObject* parent = nullptr);

    static QVariantList exportQualityOptions();
    static QVariantList outputLocationOptions();
    static QVariantList speedUnitOptions();

    // "共 n 个视频片段"
    Q_INVOKABLE static QString eventCount(int count);
    // "删除（n）"
    Q_INVOKABLE static QString deleteButton(int count);
    // "下一步（n）"
    Q_INVOKABLE static QString mergeNextButton(int count);
    // The delete confirmation's message for n marked events.
    Q_INVOKABLE static QString deleteConfirmation(int count);
    // "正在将选中的 n 个片段移到废纸篓"
    Q_INVOKABLE static QString deletingDetail(int count);
    // "暂无" + the category's name + "视频"
    Q_INVOKABLE static QString emptyCategoryTitle(const QString& categoryName);
    // The sidebar button's help: "收起侧边栏" while the sidebar shows, else "显示侧边栏".
    Q_INVOKABLE static QString sidebarToggleHelp(bool sidebarVisible);
    // A local folder as the address a folder chooser starts in (empty for "").
    Q_INVOKABLE static QUrl folderUrl(const QString& path);
    // The result page's headline: the export's success message, or "导出完成" without one.
    Q_INVOKABLE static QString resultMessage(const QString& successMessage);
};

} // namespace orvane
