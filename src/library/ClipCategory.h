#pragma once

#include <QString>

#include <array>
#include <optional>

namespace orvane {

enum class ClipCategory { recent, sentry, saved, imported };

namespace Category {

inline constexpr std::array<ClipCategory, 4> allCases = {ClipCategory::recent, ClipCategory::sentry,
                                                         ClipCategory::saved, ClipCategory::imported};
// The categories that have a folder on the drive, in the order they are walked.
inline constexpr std::array<ClipCategory, 3> driveCases = {ClipCategory::recent, ClipCategory::sentry,
                                                           ClipCategory::saved};

QString rawValue(ClipCategory category);
std::optional<ClipCategory> fromRawValue(const QString& raw);
QString displayName(ClipCategory category);
// "RecentClips", "SentryClips", "SavedClips"; empty for `imported`.
QString folderName(ClipCategory category);
// The category a path lies in, judged from its text (case-sensitive); never `imported`.
std::optional<ClipCategory> from(const QString& path);

} // namespace Category
} // namespace orvane
