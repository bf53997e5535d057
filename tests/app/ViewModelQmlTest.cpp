// What the screens will bind to: a QML snippet that reads every property of the main view
// model, every role of its list models, calls its operations and answers its request signal.

#include "ViewModelHarness.h"

#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

using namespace orvane;

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

namespace {

// "viewModel.a, viewModel.b, …" for every property the object declares.
QString everyProperty(const QMetaObject& meta, QStringList& names) {
    QStringList reads;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        names << QString::fromLatin1(meta.property(i).name());
        reads << QStringLiteral("viewModel.") + names.last();
    }
    return reads.join(QStringLiteral(", "));
}

// A delegate that requires every role of a model, so a missing role fails the creation.
QString requiredRoles(const QAbstractItemModel& model) {
    QStringList lines;
    const auto roles = model.roleNames();
    for (auto it = roles.begin(); it != roles.end(); ++it)
        if (it.key() >= Qt::UserRole)
            lines << QStringLiteral("required property var %1").arg(QString::fromLatin1(it.value()));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TEST(ViewModelQml, everyPropertyRoleAndOperationIsReachable) {
    test::Harness h([](sample::DriveSpec& d) { d.events.push_back(sample::EventSpec{}); });
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1)));
    vm.startSegmentMergeSelection();
    for (int row = 0; row < vm.videoGroups()->count(); ++row)
        vm.toggleMergeSegment(vm.videoGroups()
                                  ->data(vm.videoGroups()->index(row), VideoGroupListModel::GroupKeyRole)
                                  .toString());
    vm.prepareMergeEditor();
    ASSERT_TRUE(test::waitUntil([&] { return vm.isMergeEditorPresented(); }));

    QStringList names;
    const QString reads = everyProperty(MainViewModel::staticMetaObject, names);
    const QString qml = QStringLiteral(R"(
        import QtQml
        import QtQml.Models
        import Orvane.App
        QtObject {
            id: root
            required property MainViewModel viewModel
            property var values: [%1]
            property int asked: 0
            property real keptEnd: -1
            property string watermark: viewModel.watermarkText(0)
            property string categoryTitle: viewModel.categoryDisplayName("sentry")
            property string cameraTitle: viewModel.cameraDisplayName("left_repeater")
            property var rowCounts: [events.count, days.count, dayEvents.count, minutes.count, items.count]
            property var connections: Connections {
                target: root.viewModel
                function onOutputDirectoryRequested() { root.asked += 1 }
            }
            property var events: Instantiator {
                model: root.viewModel.eventsInSelectedCategory
                delegate: QtObject { %2 }
            }
            property var days: Instantiator {
                model: root.viewModel.datedEventSections
                delegate: QtObject { %3 }
            }
            property var dayEvents: Instantiator {
                model: days.count > 0 && days.objectAt(0) ? days.objectAt(0).events : null
                delegate: QtObject { %2 }
            }
            property var minutes: Instantiator {
                model: root.viewModel.videoGroups
                delegate: QtObject { %4 }
            }
            property var items: Instantiator {
                model: root.viewModel.mergeItems
                delegate: QtObject { %5 }
            }
            function act() {
                viewModel.setMergeRangeEnd(30, viewModel.mergeItems.get(0).itemID)
                keptEnd = viewModel.mergeItems.get(0).rangeEnd
                viewModel.setCustomOutputDirectory(Qt.resolvedUrl("file:///tmp"))
                viewModel.selectOutputLocation("custom")
                viewModel.showTime = false
                viewModel.exportRangeEnd = 2.5
                viewModel.applyCameraFilterChange(0, false, undefined)
                viewModel.selectCategory("sentry")
            }
        })")
                            .arg(reads, requiredRoles(*vm.eventsInSelectedCategory()),
                                 requiredRoles(*vm.datedEventSections()), requiredRoles(*vm.videoGroups()),
                                 requiredRoles(*vm.mergeItems()));
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QStringList warnings;
    QObject::connect(&engine, &QQmlEngine::warnings, [&](const QList<QQmlError>& errors) {
        for (const QQmlError& e : errors)
            warnings << e.toString();
    });
    QQmlComponent component(&engine);
    component.setData(qml.toUtf8(), QUrl());
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{QStringLiteral("viewModel"), QVariant::fromValue(&vm)}}));
    ASSERT_TRUE(object) << component.errorString().toStdString();
    EXPECT_EQ(warnings.join('\n').toStdString(), "");

    const QVariantList values = object->property("values").toList();
    ASSERT_EQ(values.size(), names.size());
    for (int i = 0; i < names.size(); ++i) {
        const QVariant direct = vm.property(names[i].toLatin1());
        if (direct.typeId() == QMetaType::QString) {
            EXPECT_EQ(values[i].toString(), direct.toString()) << names[i].toStdString();
        }
    }
    EXPECT_EQ(object->property("rowCounts").toList(),
              QVariantList({vm.eventsInSelectedCategory()->count(), vm.datedEventSections()->count(),
                            vm.datedEventSections()->data(vm.datedEventSections()->index(0),
                                                          DatedEventSectionModel::EventCountRole),
                            vm.videoGroups()->count(), 2}));
    EXPECT_EQ(object->property("categoryTitle").toString(), "哨兵");
    EXPECT_EQ(object->property("cameraTitle").toString(), "左盲区");
    EXPECT_EQ(object->property("watermark").toString().size(), 19); // "yyyy-MM-dd HH:mm:ss"

    ASSERT_TRUE(QMetaObject::invokeMethod(object.get(), "act"));
    EXPECT_EQ(object->property("keptEnd").toDouble(), 30);
    EXPECT_EQ(vm.mergeItems()->count(), 0); // another category ends the merge
    EXPECT_EQ(vm.outputFolder(), "/tmp");
    EXPECT_EQ(object->property("asked").toInt(), 1);
    EXPECT_FALSE(vm.showTime());
    EXPECT_EQ(vm.selectedCategory(), "sentry");
    EXPECT_EQ(warnings.join('\n').toStdString(), "");
}
