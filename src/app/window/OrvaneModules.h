#pragma once
// Pulls Orvane's QML modules of the static build into a program: include it in one source file
// of each program that loads the window's screens. Registration only.

#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Orvane_CommonPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_LibraryPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_PreviewPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_MergePlugin)
Q_IMPORT_QML_PLUGIN(Orvane_ExportPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_WindowPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_UpdatePlugin)
