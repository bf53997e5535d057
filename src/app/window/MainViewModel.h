#pragma once
// The application's state as the screens see it: one object per feature (the library browser,
// the preview, the merge editor, the export) and the window's messages, owned here for the whole
// process. Each feature knows only the ones before it (library < preview < merge < export); what
// runs the other way is wired here, in one place. Interface thread only.

#include "ViewModelServices.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class AppMessages;
class DriveOffer;
class DriveWatcher;
class LanguageSetting;
class ExportViewModel;
class LibraryViewModel;
class MergeViewModel;
class PreviewViewModel;
class UnlockViewModel;

class MainViewModel : public QObject {
    Q_OBJECT
    Q_MOC_INCLUDE("AppLanguage.h")
    Q_MOC_INCLUDE("AppMessages.h")
    Q_MOC_INCLUDE("DriveOffer.h")
    Q_MOC_INCLUDE("ExportViewModel.h")
    Q_MOC_INCLUDE("LibraryViewModel.h")
    Q_MOC_INCLUDE("MergeViewModel.h")
    Q_MOC_INCLUDE("PreviewViewModel.h")
    Q_MOC_INCLUDE("UnlockViewModel.h")
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one MainViewModel")
    Q_PROPERTY(orvane::AppMessages* messages READ messages CONSTANT)
    Q_PROPERTY(orvane::LibraryViewModel* library READ library CONSTANT)
    Q_PROPERTY(orvane::PreviewViewModel* preview READ preview CONSTANT)
    Q_PROPERTY(orvane::MergeViewModel* merge READ merge CONSTANT)
    Q_PROPERTY(orvane::ExportViewModel* exporter READ exporter CONSTANT)
    Q_PROPERTY(orvane::LanguageSetting* language READ language CONSTANT)
    Q_PROPERTY(orvane::UnlockViewModel* unlock READ unlock CONSTANT)
    Q_PROPERTY(orvane::DriveOffer* drives READ drives CONSTANT)

public:
    // The scanner, the Trash, the exporters and real players.
    explicit MainViewModel(QObject* parent = nullptr);
    explicit MainViewModel(ViewModelServices services, QObject* parent = nullptr);
    ~MainViewModel() override;

    AppMessages* messages() const { return messages_; }
    LibraryViewModel* library() const { return library_; }
    PreviewViewModel* preview() const { return preview_; }
    MergeViewModel* merge() const { return merge_; }
    ExportViewModel* exporter() const { return exporter_; }
    LanguageSetting* language() const { return language_; }
    UnlockViewModel* unlock() const { return unlock_; }
    DriveOffer* drives() const { return drives_; }

    // Cancels a running export and waits (bounded) until its temporary files are gone.
    void shutdown();

private:
    void connectFeatures();
    void connectLibrary();
    void connectMinutePicking();
    void connectExport();
    void connectUnlocking();

    ViewModelServices services_;
    AppMessages* messages_;
    LibraryViewModel* library_;
    PreviewViewModel* preview_;
    MergeViewModel* merge_;
    ExportViewModel* exporter_;
    LanguageSetting* language_;
    UnlockViewModel* unlock_;
    DriveOffer* drives_;
    DriveWatcher* driveWatcher_;
};

} // namespace orvane
