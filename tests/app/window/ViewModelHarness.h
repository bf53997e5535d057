#pragma once
// A main view model over a sample drive whose blocking work the test can hold and release,
// with scripted players and a scripted exporter. Interface thread.

#include "../../playback/FakePreviewEnvironment.h"
#include "AppMessages.h"
#include "AppPools.h"
#include "ClipDeletionService.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"
#include "SampleDrive.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSignalSpy>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace orvane::test {

// The features by name: auto [library, preview, merge, exporter, messages] = test::features(vm);
struct Features {
    LibraryViewModel& library;
    PreviewViewModel& preview;
    MergeViewModel& merge;
    ExportViewModel& exporter;
    AppMessages& messages;
};

inline Features features(MainViewModel& vm) {
    return {*vm.library(), *vm.preview(), *vm.merge(), *vm.exporter(), *vm.messages()};
}

// Lets the file work already started finish and its results arrive (to be used or dropped), so
// a check that nothing changed runs after the late result had its chance, however slow the machine.
inline void drainFileWork() {
    AppPools::files()->waitForDone();
    // The result travels to the interface thread in two hops (see runInBackground).
    for (int hop = 0; hop < 2; ++hop)
        QCoreApplication::sendPostedEvents();
}

// Delivers the measured lengths of every pending playlist and opens its files.
inline void finishLoading(FakeEnvironment& env, double seconds) {
    auto measures = std::move(env.measures);
    env.measures.clear();
    for (auto& m : measures)
        m.done(std::vector<double>(m.steps.size(), seconds));
    for (FakePlayer* player : env.live)
        if (player && player->itemStatus() == media::AbstractMediaPlayer::ItemStatus::loading)
            player->report(media::AbstractMediaPlayer::ItemStatus::readyToPlay);
}

// What row `row` of the open event's minute list holds under `role` (its minute by default).
inline QVariant minuteData(const PreviewViewModel& preview, int row,
                           int role = VideoGroupListModel::GroupKeyRole) {
    return preview.videoGroups()->data(preview.videoGroups()->index(row), role);
}

// Named gates that blocking work waits at while the test holds them.
class Gates {
public:
    void hold(const QString& name) {
        std::lock_guard lock(mutex_);
        held_.insert(name);
    }
    void release(const QString& name) {
        {
            std::lock_guard lock(mutex_);
            held_.remove(name);
        }
        changed_.notify_all();
    }
    void releaseAll() {
        {
            std::lock_guard lock(mutex_);
            held_.clear();
        }
        changed_.notify_all();
    }
    void pass(const QString& name) {
        std::unique_lock lock(mutex_);
        arrived_.insert(name);
        changed_.wait(lock, [&] { return !held_.contains(name); });
    }
    bool arrived(const QString& name) {
        std::lock_guard lock(mutex_);
        return arrived_.contains(name);
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    QSet<QString> held_;
    QSet<QString> arrived_;
};

struct Harness {
    TempFolder folder;
    FakeEnvironment preview;
    std::shared_ptr<Gates> gates = std::make_shared<Gates>();
    std::shared_ptr<std::atomic<int>> trashCalls = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> exportCalls = std::make_shared<std::atomic<int>>(0);
    QStringList opened;
    bool desktopOpensFolders = true;
    ViewModelServices services;
    std::unique_ptr<MainViewModel> vm;
    QString root;

    // A content-free drive (names only); `spec` may change it before it is written.
    explicit Harness(const std::function<void(sample::DriveSpec&)>& spec = {}) {
        root = folder / "TeslaCam";
        sample::DriveSpec drive = sample::exampleDrive(root, sample::CarLayout::fourCamera, 0.125, 1);
        drive.contentFree = true;
        if (spec)
            spec(drive);
        sample::writeDrive(drive);
        services = ViewModelServices::standard();
        services.preview = preview.make();
        services.openUrl = [this](const QUrl& url) {
            opened << url.toLocalFile();
            return desktopOpensFolders;
        };
        services.measureSteps = [](const std::vector<PlaybackStep>& steps) {
            return std::vector<double>(steps.size(), 60.0);
        };
        services.scanLibrary = [g = gates, real = services.scanLibrary](const QStringList& folders) {
            g->pass(QStringLiteral("scan:") + folders.join(','));
            return real(folders);
        };
        services.loadVideos = [g = gates, real = services.loadVideos](const TeslaClipEvent& e,
                                                                      CameraAngle camera) {
            g->pass(QStringLiteral("load:") + e.folderName);
            return real(e, camera);
        };
        services.moveToTrash = [g = gates, calls = trashCalls](const std::vector<TeslaClipEvent>& events) {
            ++*calls;
            g->pass(QStringLiteral("trash"));
            int moved = 0;
            for (const QString& path : ClipDeletionService::sourceFiles(events))
                moved += QFile::remove(path) ? 1 : 0; // a stand-in Trash
            return moved;
        };
        services.exportEngine = scriptedExporter();
        services.shutdownWaitMilliseconds = 5000;
        vm = std::make_unique<MainViewModel>(services);
    }
    ~Harness() {
        gates->releaseAll();
        vm.reset();
    }

    // Exporters that write a small file; export n (from 1) waits at gate "export:n".
    ExportEngine scriptedExporter() {
        ExportEngine e = ExportEngine::standard();
        auto write = [g = gates, calls = exportCalls](const QString& out, const ExportCallbacks& c) {
            const int n = ++*calls;
            c.onProgress(0.5);
            g->pass(QStringLiteral("export:%1").arg(n));
            c.cancel.check();
            QFile f(out);
            if (!f.open(QIODevice::WriteOnly))
                throw FileSystemError(QStringLiteral("无法写入: ") + out);
            f.write("video");
            ExportResult r;
            r.path = out;
            r.timeline = ExportTimeline::continuous(1714530000);
            return r;
        };
        auto many = [write](const auto&, const QString& out, const auto&, const ExportCallbacks& c) {
            return write(out, c);
        };
        e.exportGrid = many;
        e.exportContinuous = many;
        e.exportSync = [write](const auto&, const QString&, const QString& out, const auto&, double, double,
                               const ExportCallbacks& c) { return write(out, c); };
        e.importVideoToLibrary = [this](const QString& path) {
            const QString delivered = folder.makeFolder("Pictures") + "/" + QFileInfo(path).fileName();
            QFile::copy(path, delivered);
            return delivered;
        };
        return e;
    }

    bool imported() {
        vm->library()->importTeslaCamPaths({root});
        return waitUntil([&] { return !vm->library()->isImporting(); });
    }
    const TeslaClipEvent& event(ClipCategory category, size_t index = 0) const {
        return vm->library()->eventsByCategory().at(category).at(index);
    }
    // Opens an event and waits until its files are there.
    bool opened_(const TeslaClipEvent& e) {
        vm->preview()->selectEvent(e);
        return waitUntil([&] { return !vm->preview()->isLoadingEvent(); });
    }
};

} // namespace orvane::test
