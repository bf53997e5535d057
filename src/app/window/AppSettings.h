#pragma once
// What the application keeps between launches: the export quality and destination, the camera
// and playback rate of the preview, the language, the window's place and the drives opened last. Restores
// them into the view model at start and writes every change when it happens. Interface thread only.

#include <QObject>
#include <QRect>
#include <QSettings>
#include <QStringList>
#include <memory>
#include <optional>

namespace orvane {

class MainViewModel;

class AppSettings : public QObject {
    Q_OBJECT

public:
    // Qt's settings file of the program in the desktop's configuration folder
    // ($XDG_CONFIG_HOME/Orvane/Orvane.conf).
    static std::unique_ptr<QSettings> standardStore();
    // Whether the texts are to be Chinese, from the language kept in `store` and the system's.
    static bool chineseChosen(const QSettings& store);

    // Keeps the settings of `viewModel` in `store`, which must outlive this object.
    AppSettings(QSettings& store, MainViewModel& viewModel, QObject* parent = nullptr);

    // Applies what was kept, then saves each change. A missing, unreadable or damaged file, or a
    // value that makes no sense, leaves the defaults.
    void restore();
    // The drives opened last that are still there (a drive that is gone is no error).
    QStringList drivesToReopen() const;
    // The window's last place and size, when it was kept.
    std::optional<QRect> windowGeometry() const;
    void saveWindowGeometry(const QRect& geometry);

private:
    void restoreExport();
    void restorePreview();
    void connectSaving();
    void save(const QString& key, const QVariant& value);

    QSettings& store_;
    MainViewModel& viewModel_;
};

} // namespace orvane
