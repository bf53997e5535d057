// What the screens bind to: a QML snippet that reads every property of each feature of the main
// view model, requires every role of their list models, and calls the operations the screens
// call, so a property, role or operation the screens need cannot go missing unnoticed.

#include "ViewModelHarness.h"

#include <QMetaProperty>
#include <QQmlComponent>
#include <QQmlEngine>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

// "[viewModel.<feature>.a, …]" for every property the feature declares.
QString everyProperty(const QString& feature, const QMetaObject& meta) {
    QStringList reads;
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
        reads << QStringLiteral("viewModel.%1.%2").arg(feature, QString::fromLatin1(meta.property(i).name()));
    return QLatin1Char('[') + reads.join(QStringLiteral(", ")) + QLatin1Char(']');
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
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1)));
    merge.startSegmentMergeSelection();
    for (const VideoTimestampGroup& minute : preview.videoGroups()->groups())
        merge.toggleMergeSegment(minute.id);
    merge.prepareMergeEditor();
    ASSERT_TRUE(test::waitUntil([&] { return merge.isMergeEditorPresented(); }));

    const QString qml =
        QStringLiteral(R"(
        import QtQml
        import QtQml.Models
        import Orvane.App
        QtObject {
            id: root
            required property MainViewModel viewModel
            property var values: [%1, %2, %3, %4, %5]
            property int asked: 0
            property string categoryTitle: viewModel.library.categoryDisplayName("sentry")
            property var rowCounts: [events.count, days.count, dayEvents.count, minutes.count, items.count]
            property var connections: Connections {
                target: root.viewModel.exporter
                function onOutputDirectoryRequested() { root.asked += 1 }
            }
            property var events: Instantiator {
                model: root.viewModel.library.eventsInSelectedCategory
                delegate: QtObject { %6 }
            }
            property var days: Instantiator {
                model: root.viewModel.library.datedEventSections
                delegate: QtObject { %7 }
            }
            property var dayEvents: Instantiator {
                model: days.count > 0 && days.objectAt(0) ? days.objectAt(0).events : null
                delegate: QtObject { %6 }
            }
            property var minutes: Instantiator {
                model: root.viewModel.preview.videoGroups
                delegate: QtObject { %8 }
            }
            property var items: Instantiator {
                model: root.viewModel.merge.mergeItems
                delegate: QtObject { %9 }
            }
            function act() {
                viewModel.exporter.setCustomOutputDirectory(Qt.resolvedUrl("file:///tmp"))
                viewModel.exporter.selectOutputLocation("custom")
                viewModel.exporter.exportQuality = "balanced"
                viewModel.messages.errorMessage = "x"
                viewModel.library.selectCategory("sentry")
            }
        })")
            .arg(everyProperty("library", LibraryViewModel::staticMetaObject),
                 everyProperty("preview", PreviewViewModel::staticMetaObject),
                 everyProperty("merge", MergeViewModel::staticMetaObject),
                 everyProperty("exporter", ExportViewModel::staticMetaObject),
                 everyProperty("messages", AppMessages::staticMetaObject))
            .arg(requiredRoles(*library.eventsInSelectedCategory()),
                 requiredRoles(*library.datedEventSections()), requiredRoles(*preview.videoGroups()),
                 requiredRoles(*merge.mergeItemsModel()));
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    QStringList warnings;
    QObject::connect(&engine, &QQmlEngine::warnings, [&](const QList<QQmlError>& errors) {
        for (const QQmlError& e : errors)
            warnings << e.toString();
    });
    QQmlComponent component(&engine);
    component.setData(qml.toUtf8(), QUrl());
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("viewModel"), QVariant::fromValue(h.vm.get())}}));
    ASSERT_TRUE(object) << component.errorString().toStdString();
    EXPECT_EQ(warnings.join('\n').toStdString(), "");
    EXPECT_EQ(
        object->property("rowCounts").toList(),
        QVariantList({library.eventsInSelectedCategory()->count(), library.datedEventSections()->count(),
                      library.datedEventSections()->data(library.datedEventSections()->index(0),
                                                         DatedEventSectionModel::EventCountRole),
                      preview.videoGroups()->count(), 2}));
    EXPECT_EQ(object->property("categoryTitle").toString(), "哨兵");

    ASSERT_TRUE(QMetaObject::invokeMethod(object.get(), "act"));
    EXPECT_EQ(exporter.outputFolder(), "/tmp");
    EXPECT_EQ(object->property("asked").toInt(), 1);
    EXPECT_EQ(exporter.exportQuality(), "balanced");
    EXPECT_EQ(messages.errorMessage(), "x");
    EXPECT_EQ(library.selectedCategory(), ClipCategory::sentry);
    EXPECT_EQ(merge.mergeItemsModel()->count(), 0); // another category ends the merge
    EXPECT_EQ(warnings.join('\n').toStdString(), "");
}
