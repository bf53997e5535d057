#pragma once
// What the main window shows, derived from the application's state: which screen fills it, which
// blocking overlay lies over it, the category the picker shows and the controls of the event
// browser's header. The QML window binds to it and keeps only its own view state (sidebar,
// sheets). Interface thread only.

#include "AppUpdateController.h"
#include "BrowserMode.h"
#include "ChoiceListModel.h"
#include "MainViewModel.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class ContentViewState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::MainViewModel* viewModel READ viewModel WRITE setViewModel NOTIFY viewModelChanged)
    Q_PROPERTY(orvane::AppUpdateController* updateController READ updateController WRITE setUpdateController
                   NOTIFY updateControllerChanged)
    // The screen that fills the window; the library's two columns show the preview over them.
    Q_PROPERTY(Screen screen READ screen NOTIFY changed)
    Q_PROPERTY(bool isFullPagePreviewVisible READ isFullPagePreviewVisible NOTIFY changed)
    Q_PROPERTY(bool isEventBrowserVisible READ isEventBrowserVisible NOTIFY changed)
    Q_PROPERTY(Overlay blockingOverlay READ blockingOverlay NOTIFY changed)
    Q_PROPERTY(QString categorySelection READ categorySelection NOTIFY changed)
    // The category picker's choices: the available categories, or "saved" alone.
    Q_PROPERTY(orvane::ChoiceListModel* categoryOptions READ categoryOptions CONSTANT)
    Q_PROPERTY(orvane::BrowserMode::HeaderControls headerControls READ headerControls NOTIFY changed)
    // Whether "拼接" (start event merge selection) stands beside "批量删除".
    Q_PROPERTY(bool offersMergeSelection READ offersMergeSelection NOTIFY changed)
    // Whether "下一步" can prepare the merge editor (enough picks, no preparation running).
    Q_PROPERTY(bool canContinueMerge READ canContinueMerge NOTIFY changed)
    // What the event cards do when clicked: mark them in a selection, or open the event.
    Q_PROPERTY(orvane::BrowserMode::CardSelection cardSelectionMode READ cardSelectionMode NOTIFY changed)

public:
    // Capitalised so QML can name them (ContentViewState.ExportScreen …).
    enum class Screen { LibraryScreen, ExportScreen, ResultScreen, MergeEditorScreen };
    Q_ENUM(Screen)
    enum class Overlay { NoOverlay, DeletingOverlay, UpdatingOverlay };
    Q_ENUM(Overlay)
    using HeaderControls = BrowserMode::HeaderControls;
    using CardSelection = BrowserMode::CardSelection;

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
        Screen screen = Screen::LibraryScreen;
        bool isFullPagePreviewVisible = false;
        bool isEventBrowserVisible = true;
        Overlay blockingOverlay = Overlay::NoOverlay;
        QString categorySelection = QStringLiteral("saved");
        std::vector<orvane::Choice> categoryOptions;
        HeaderControls headerControls = HeaderControls::NoControls;
        bool offersMergeSelection = false;
        bool canContinueMerge = false;
        CardSelection cardSelectionMode = CardSelection::OpenCards;
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
    AppUpdateController* updateController() const { return updateController_; }
    void setUpdateController(AppUpdateController* controller);

    Screen screen() const { return choice_.screen; }
    bool isFullPagePreviewVisible() const { return choice_.isFullPagePreviewVisible; }
    bool isEventBrowserVisible() const { return choice_.isEventBrowserVisible; }
    Overlay blockingOverlay() const { return choice_.blockingOverlay; }
    QString categorySelection() const { return choice_.categorySelection; }
    ChoiceListModel* categoryOptions() const { return categoryOptions_; }
    HeaderControls headerControls() const { return choice_.headerControls; }
    bool offersMergeSelection() const { return choice_.offersMergeSelection; }
    bool canContinueMerge() const { return choice_.canContinueMerge; }
    CardSelection cardSelectionMode() const { return choice_.cardSelectionMode; }

signals:
    void viewModelChanged();
    void updateControllerChanged();
    void changed();

private:
    Inputs currentInputs() const;
    void refresh();

    QPointer<MainViewModel> viewModel_;
    QPointer<AppUpdateController> updateController_;
    QList<QMetaObject::Connection> viewModelConnections_;
    QMetaObject::Connection updateConnection_;
    Choice choice_;
    ChoiceListModel* categoryOptions_;
};

} // namespace orvane
