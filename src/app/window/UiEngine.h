#pragma once
// Prepares a QML engine for Orvane's screens: import path of the compiled-in modules, the
// image providers, and the Controls style. Interface thread, before any QML is loaded.

class QQmlEngine;

namespace orvane::ui {

// The Controls style the screens are drawn for; set before the first Controls import so a
// desktop's own style cannot change or break them.
inline constexpr char controlsStyle[] = "Basic";

void configureEngine(QQmlEngine& engine);

} // namespace orvane::ui
