#pragma once
// What the main window shows, derived from the application's state: which screen fills it, which
// blocking overlay lies over it, the category the picker shows and the controls of the event
// browser's header. The QML window binds to it and keeps only its own view state (sidebar,
// sheets). Interface thread.

#include "MainViewModel.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class ContentViewState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::MainViewModel* viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    // The AppUpdateController (or anything with an `isUpdating` property).
    Q_PROPERTY(QObject* updateController READ updateController WRITE setUpdateController NOTIFY updateControllerChanged)
    // "export", "result", "mergeEditor" or "library" (the two columns, the preview over them).
    Q_PROPERTY(QString screen READ screen NOTIFY changed)
    Q_PROPERTY(bool isFullPagePreviewVisible READ isFullPagePreviewVisible NOTIFY changed)
    Q_PROPERTY(bool isEventBrowserVisible READ isEventBrowserVisible NOTIFY changed)
    // "deleting", "updating" or "" (none).
    Q_PROPERTY(QString blockingOverlay READ blockingOverlay NOTIFY changed)
    Q_PROPERTY(QString categorySelection READ categorySelection NOTIFY changed)
    // [{value, title}] of the category picker: the available categories, or "saved" alone.
    Q_PROPERTY(QVariantList categoryOptions READ categoryOptions NOTIFY changed)
    // "deleteSelection", "mergeSelection", "actions" or "" (no controls).
    Q_PROPERTY(QString headerControls READ headerControls NOTIFY changed)
    // Whether "拼接" (start event merge selection) stands beside "批量删除".
    Q_PROPERTY(bool offersMergeSelection READ offersMergeSelection NOTIFY changed)
    // Whether "下一步" can prepare the merge editor (enough picks, no preparation running).
    Q_PROPERTY(bool canContinueMerge READ canContinueMerge NOTIFY changed)
    // What the event cards mark: "delete", "merge" or "" (they open the event).
    Q_PROPERTY(QString cardSelectionMode READ cardSelectionMode NOTIFY changed)

public:
    struct Inputs {
        bool isProcessing = false;
        bool hasExportResult = false;
        bool isMergeEditorPresented = false;
        bool hasSelectedEvent = false;
        bool isDeletingEvents = false;
        bool isUpdating = false;
        bool imported = false;
        QStringList availableCategories;
        QString selectedCategory;
        bool isDeleteSelectionMode = false;
        bool isMergeSelectionMode = false;
        int mergePicks = 0;
        bool isPreparingMerge = false;
    };
    struct Choice {
        QString screen = QStringLiteral("library");
        bool isFullPagePreviewVisible = false;
        bool isEventBrowserVisible = true;
        QString blockingOverlay;
        QString categorySelection = QStringLiteral("saved");
        QVariantList categoryOptions;
        QString headerControls;
        bool offersMergeSelection = false;
        bool canContinueMerge = false;
        QString cardSelectionMode;
        bool operator==(const Choice&) const = default;
    };

    // The window's rules, first match wins for the screen.
    static Choice choose(const Inputs& inputs);

    explicit ContentViewState(QObject* parent = nullptr);

    // A card was clicked: marks it in a selection mode, otherwise opens the event.
    Q_INVOKABLE void activateEvent(const QString& eventID);
    // Escape in the browser: leaves the delete or merge selection. The pages in front of the
    // browser have their own way back.
    Q_INVOKABLE void goBack();

    MainViewModel* viewModel() const { return viewModel_; }
    void setViewModel(MainViewModel* viewModel);
    QObject* updateController() const { return updateController_; }
    void setUpdateController(QObject* controller);

    QString screen() const { return choice_.screen; }
    bool isFullPagePreviewVisible() const { return choice_.isFullPagePreviewVisible; }
    bool isEventBrowserVisible() const { return choice_.isEventBrowserVisible; }
    QString blockingOverlay() const { return choice_.blockingOverlay; }
    QString categorySelection() const { return choice_.categorySelection; }
    QVariantList categoryOptions() const { return choice_.categoryOptions; }
    QString headerControls() const { return choice_.headerControls; }
    bool offersMergeSelection() const { return choice_.offersMergeSelection; }
    bool canContinueMerge() const { return choice_.canContinueMerge; }
    QString cardSelectionMode() const { return choice_.cardSelectionMode; }

signals:
    void viewModelChanged();
    void updateControllerChanged();
    void changed();

private slots:
    void refresh();

private:
    Inputs currentInputs() const;

    QPointer<MainViewModel> viewModel_;
    QPointer<QObject> updateController_;
    QList<QMetaObject::Connection> viewModelConnections_;
    QMetaObject::Connection updateConnection_;
    Choice choice_;
};

} // namespace orvane
