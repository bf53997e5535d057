#include "TeslaVideoFile.h"

namespace orvane {

QString TeslaVideoFile::timestampKey(const QString& fileName) {
    if (auto suffix = Camera::matchSuffix(fileName))
        return fileName.chopped(suffix->length);
    return fileName;
}

Camera::GridLayout gridLayoutOf(const std::vector<TeslaVideoFile>& videos) {
    std::vector<CameraAngle> cameras;
    for (const TeslaVideoFile& v : videos)
        if (v.cameraAngle)
            cameras.push_back(*v.cameraAngle);
    return Camera::gridLayoutFor(cameras);
}

} // namespace orvane
