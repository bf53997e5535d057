#pragma once
// The screenshot harness's scenes: the sample footage they run over, and for each scene the steps
// that take a fresh application to its state. Interface thread; needs an X server.

#include <QSize>
#include <QString>
#include <QUuid>
#include <functional>
#include <vector>

namespace orvane::screenshots {

class SceneApp;

struct Fixtures {
    QString work;
    // Six saved events on several days, a sentry event and a few recent minutes.
    QString browseDrive;
    // Two saved events (two minutes, then one) whose second minute turns with a blinker at speed.
    QString previewDrive;
    QString exportFolder;
    // A moment of that minute worth showing on the dashboard, and where a range before it starts.
    double driveTime = 0;
    double rangeStart = 0;
};

struct Scene {
    QString name;
    // Takes the application to the state; false when it did not get there in time.
    std::function<bool(SceneApp&, const Fixtures&)> run;
    // Exports wait for a cancel half-way (the export overlay's scene).
    bool holdExports = false;
};

// Writes the footage under `work`.
Fixtures makeFixtures(const QString& work);

const std::vector<Scene>& scenes();

// Runs `scene` in a window of `size` and saves the picture to `file`; false when the scene did
// not settle (the picture is still saved, for a look at what went wrong).
bool render(const Scene& scene, const Fixtures& fixtures, QSize size, const QString& file);

} // namespace orvane::screenshots
