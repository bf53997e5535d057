#pragma once
// Texts of the event browser composed from counts and names, so no view builds a text itself.
// A QML singleton; interface thread (the static functions: any thread).

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class LibraryText : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit LibraryText(QObject* parent = nullptr);

    // "共 n 个视频片段"
    Q_INVOKABLE static QString eventCount(int count);
    // "删除（n）"
    Q_INVOKABLE static QString deleteButton(int count);
    // The delete confirmation's message for n marked events.
    Q_INVOKABLE static QString deleteConfirmation(int count);
    // "正在将选中的 n 个片段移到废纸篓"
    Q_INVOKABLE static QString deletingDetail(int count);
    // "暂无" + the category's name + "视频"
    Q_INVOKABLE static QString emptyCategoryTitle(const QString& categoryName);
    // "没有符合“原因”的片段", when the reason filter hides every event of the category.
    Q_INVOKABLE static QString reasonFilterEmptyTitle(const QString& reasonTitle);
};

} // namespace orvane
