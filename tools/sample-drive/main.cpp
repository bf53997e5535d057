// orvane-sample-drive: writes a synthetic TeslaCam drive for tests, benchmarks and demos.

#include "SampleDrive.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace orvane;

namespace {
std::optional<sample::PedalScale> pedalScaleNamed(const QString& name) {
    if (name == QLatin1String("percent"))
        return sample::PedalScale::percent;
    if (name == QLatin1String("fraction"))
        return sample::PedalScale::fraction;
    return std::nullopt;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-sample-drive"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a synthetic TeslaCam drive into FOLDER (the TeslaCam folder)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("the TeslaCam folder to create"));
    const QCommandLineOption layout(QStringLiteral("layout"), QStringLiteral("four or six cameras (default six)"),
                                    QStringLiteral("four|six"), QStringLiteral("six"));
    const QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("picture size scale (default 1)"),
                                   QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption minute(QStringLiteral("minute-seconds"),
                                    QStringLiteral("length of each minute file in seconds (default 60)"),
                                    QStringLiteral("SECONDS"), QStringLiteral("60"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("random seed (default 1)"), QStringLiteral("N"),
                                  QStringLiteral("1"));
    const QCommandLineOption clip(QStringLiteral("clip"),
                                  QStringLiteral("write one file FOLDER instead of a drive, of this camera"),
                                  QStringLiteral("CAMERA"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("picture size for --clip"), QStringLiteral("WxH"),
                                  QStringLiteral("1448x938"));
    const QCommandLineOption damage(QStringLiteral("damage"), QStringLiteral("for --clip: none, zero, truncated, no-telemetry"),
                                    QStringLiteral("KIND"), QStringLiteral("none"));
    const QCommandLineOption empty(QStringLiteral("content-free"), QStringLiteral("write empty files in place of video"));
    const QCommandLineOption recent(QStringLiteral("recent-minutes"), QStringLiteral("rolling minutes (default 3)"),
                                    QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption events(QStringLiteral("events"),
                                    QStringLiteral("saved/sentry events of --event-minutes each in place of the example ones"),
                                    QStringLiteral("N"));
    const QCommandLineOption eventMinutes(QStringLiteral("event-minutes"), QStringLiteral("minutes per event (default 10)"),
                                          QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption pedal(QStringLiteral("accelerator-scale"),
                                   QStringLiteral("how the pedal position is written: percent (0-100, default) or fraction (0-1)"),
                                   QStringLiteral("percent|fraction"), QStringLiteral("percent"));
    parser.addOptions({layout, scale, minute, seed, clip, size, damage, empty, recent, events, eventMinutes, pedal});
    parser.process(app);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << parser.helpText();
        return 2;
    }
    const auto pedalScale = pedalScaleNamed(parser.value(pedal));
    if (!pedalScale) {
        err << "unknown accelerator scale: " << parser.value(pedal) << "\n";
        return 2;
    }
    const QString target = parser.positionalArguments().first();
    try {
        if (parser.isSet(clip)) {
            sample::ClipSpec spec;
            spec.path = target;
            const auto camera = Camera::fromRawValue(parser.value(clip));
            const QStringList wh = parser.value(size).split(QLatin1Char('x'));
            if (!camera || *camera == CameraAngle::all || wh.size() != 2) {
                err << "unknown camera or size\n";
                return 2;
            }
            spec.camera = *camera;
            spec.width = wh[0].toInt() & ~1;
            spec.height = wh[1].toInt() & ~1;
            spec.seconds = parser.value(minute).toDouble();
            spec.seed = parser.value(seed).toULongLong();
            const QString d = parser.value(damage);
            spec.damage = d == QLatin1String("zero")           ? sample::Damage::zeroBytes
                          : d == QLatin1String("truncated")    ? sample::Damage::truncated
                          : d == QLatin1String("no-telemetry") ? sample::Damage::noTelemetry
                                                               : sample::Damage::none;
            spec.startTime = LocalTime::fromFields(2024, 5, 1, 10, 20, 30).value_or(0);
            spec.pedalScale = *pedalScale;
            sample::writeClip(spec);
            return 0;
        }
        const auto carLayout = parser.value(layout) == QLatin1String("four") ? sample::CarLayout::fourCamera
                                                                              : sample::CarLayout::sixCamera;
        sample::DriveSpec spec = sample::exampleDrive(target, carLayout, parser.value(scale).toDouble(),
                                                      parser.value(minute).toDouble());
        spec.seed = parser.value(seed).toULongLong();
        spec.contentFree = parser.isSet(empty);
        spec.pedalScale = *pedalScale;
        spec.recentMinutes = parser.value(recent).toInt();
        if (parser.isSet(events)) {
            const int count = parser.value(events).toInt();
            const int minutes = parser.value(eventMinutes).toInt();
            const sample::EventSpec model = spec.events.front();
            spec.events.clear();
            for (int i = 0; i < count; ++i) {
                sample::EventSpec e = model;
                e.category = i % 2 ? ClipCategory::sentry : ClipCategory::saved;
                e.minutes = minutes;
                e.startTime = model.startTime - 3600.0 * (i + 1);
                spec.events.push_back(e);
            }
        }
        const QStringList files = sample::writeDrive(spec);
        QTextStream(stdout) << files.size() << " files written under " << target << "\n";
        return 0;
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
}
