#include "TeslaVideoFile.h"

namespace orvane {

QString TeslaVideoFile::timestampKey(const QString& fileName) {
    if (auto camera = Camera::parse(fileName))
        return fileName.chopped(Camera::fileNameSuffix(*camera).size());
    return fileName;
}

} // namespace orvane
