#include "LibraryText.h"

#include <QCoreApplication>

namespace orvane {

LibraryText::LibraryText(QObject* parent) : QObject(parent) {}

QString LibraryText::eventCount(int count) {
    return QCoreApplication::translate("LibraryText", "共 %n 个视频片段", nullptr, count);
}

QString LibraryText::deleteButton(int count) {
    return QCoreApplication::translate("LibraryText", "删除（%1）").arg(count);
}

QString LibraryText::deleteConfirmation(int count) {
    return QCoreApplication::translate(
        "LibraryText", "将删除选中的 %n 个片段及其所有机位源视频，文件会移到废纸篓。其他片段不会受到影响。",
        nullptr, count);
}

QString LibraryText::deletingDetail(int count) {
    return QCoreApplication::translate("LibraryText", "正在将选中的 %n 个片段移到废纸篓", nullptr, count);
}

QString LibraryText::emptyCategoryTitle(const QString& categoryName) {
    return QCoreApplication::translate("LibraryText", "暂无%1视频").arg(categoryName);
}

QString LibraryText::reasonFilterEmptyTitle(const QString& reasonTitle) {
    return QCoreApplication::translate("LibraryText", "没有符合“%1”的片段").arg(reasonTitle);
}

} // namespace orvane
