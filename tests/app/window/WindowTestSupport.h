#pragma once
// The main window over a real MainViewModel, for the window tests and the screenshots: the real
// scanner, players, exporters and Trash, the desktop's folder opening recorded, and exports that
// can be held half-way (progress shown, waiting for a cancel). Interface thread.

#include "MainViewModel.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>

namespace orvane::test {

// Where a held export stands while it waits for its cancel.
inline constexpr double heldExportProgress = 0.37;

struct WindowServices {
    std::shared_ptr<std::atomic<bool>> holdExports = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<QStringList> opened = std::make_shared<QStringList>();

    ViewModelServices make() const;
};

// Makes view models for QML scenes (MainViewModel cannot be created in QML). Each call replaces
// the previous model, which goes once the scene that used it has gone.
class ViewModelFactory : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    Q_INVOKABLE QObject* create(bool holdExports);

private:
    QObject* current_ = nullptr;
};

} // namespace orvane::test
