#pragma once

#include "ExportErrors.h"

#include <QString>

namespace orvane::PhotosLibraryExporter {

using Status = PhotosLibraryExporterError::Status;

// The folder that stands in for the photo library: the user's Pictures folder.
QString libraryFolder();
// Authorized when the folder exists or can be made and is writable; denied otherwise.
Status authorizationStatus(const QString& folder);

// Copy a finished video or image into the library under a free name; returns the new path.
// Throws PhotosLibraryExporterError (accessDenied, importFailed).
QString importVideo(const QString& path);
QString importImage(const QString& path);
QString importFile(const QString& path, const QString& folder);

// Shows the library folder in the file manager.
void openLibraryFolder();

} // namespace orvane::PhotosLibraryExporter
