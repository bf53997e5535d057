// orvane-sample-drive: writes a synthetic TeslaCam drive for tests, benchmarks and demos.

#include "SampleDrive.h"
#include "SampleKeyService.h"

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

sample::Damage damageNamed(const QString& d) {
    return d == QLatin1String("zero")           ? sample::Damage::zeroBytes
           : d == QLatin1String("truncated")    ? sample::Damage::truncated
           : d == QLatin1String("cut-short")    ? sample::Damage::cutShort
           : d == QLatin1String("no-telemetry") ? sample::Damage::noTelemetry
           : d == QLatin1String("stub")         ? sample::Damage::powerCutStub
           : d == QLatin1String("encrypted")    ? sample::Damage::encrypted
                                                : sample::Damage::none;
}

struct Options {
    QCommandLineOption layout{QStringLiteral("layout"), QStringLiteral("four or six cameras (default six)"),
                              QStringLiteral("four|six"), QStringLiteral("six")};
    QCommandLineOption scale{QStringLiteral("scale"), QStringLiteral("picture size scale (default 1)"),
                             QStringLiteral("S"), QStringLiteral("1")};
    QCommandLineOption minute{QStringLiteral("minute-seconds"),
                              QStringLiteral("length of each minute file in seconds (default 60)"),
                              QStringLiteral("SECONDS"), QStringLiteral("60")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("random seed (default 1)"),
                            QStringLiteral("N"), QStringLiteral("1")};
    QCommandLineOption clip{QStringLiteral("clip"),
                            QStringLiteral("write one file FOLDER instead of a drive, of this camera"),
                            QStringLiteral("CAMERA")};
    QCommandLineOption size{QStringLiteral("size"), QStringLiteral("picture size for --clip"),
                            QStringLiteral("WxH"), QStringLiteral("1448x938")};
    QCommandLineOption damage{
        QStringLiteral("damage"),
        QStringLiteral("for --clip: none, zero, truncated, cut-short, no-telemetry, stub (a power cut's "
                       "595 bytes) or encrypted (the car's encrypted container)"),
        QStringLiteral("KIND"), QStringLiteral("none")};
    QCommandLineOption encrypted{QStringLiteral("encrypted-event"),
                                 QStringLiteral("add a saved event the car encrypted (firmware 2026.20)")};
    QCommandLineOption damagedEvent{
        QStringLiteral("damaged-event"),
        QStringLiteral("add a saved event of three minutes whose middle front file has this --damage kind"),
        QStringLiteral("KIND")};
    QCommandLineOption rate{QStringLiteral("frame-rate"),
                            QStringLiteral("for --clip: frames a second (default 36)"), QStringLiteral("FPS"),
                            QStringLiteral("36")};
    QCommandLineOption uneven{QStringLiteral("uneven-timing"),
                              QStringLiteral("for --clip: frames at a varying pace")};
    QCommandLineOption serveKeys{
        QStringLiteral("serve-keys"),
        QStringLiteral("serve the sample drive's keys on 127.0.0.1 until stopped (no FOLDER)")};
    QCommandLineOption empty{QStringLiteral("content-free"),
                             QStringLiteral("write empty files in place of video")};
    QCommandLineOption recent{QStringLiteral("recent-minutes"), QStringLiteral("rolling minutes (default 3)"),
                              QStringLiteral("N"), QStringLiteral("3")};
    QCommandLineOption events{
        QStringLiteral("events"),
        QStringLiteral("saved/sentry events of --event-minutes each in place of the example ones"),
        QStringLiteral("N")};
    QCommandLineOption eventMinutes{QStringLiteral("event-minutes"),
                                    QStringLiteral("minutes per event (default 10)"), QStringLiteral("N"),
                                    QStringLiteral("10")};
    QCommandLineOption pedal{
        QStringLiteral("accelerator-scale"),
        QStringLiteral("how the pedal position is written: percent (0-100, default) or fraction (0-1)"),
        QStringLiteral("percent|fraction"), QStringLiteral("percent")};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({layout, scale, minute, seed, clip, size, damage, empty, recent, events,
                           eventMinutes, pedal, encrypted, damagedEvent, rate, uneven, serveKeys});
    }
};

// One camera file at `target`; exit code 2 for an unknown camera or size.
int writeOneClip(const QCommandLineParser& parser, const Options& o, const QString& target,
                 sample::PedalScale pedalScale) {
    sample::ClipSpec spec;
    spec.path = target;
    const auto camera = Camera::fromRawValue(parser.value(o.clip));
    const QStringList wh = parser.value(o.size).split(QLatin1Char('x'));
    if (!camera || *camera == CameraAngle::all || wh.size() != 2) {
        QTextStream(stderr) << "unknown camera or size\n";
        return 2;
    }
    spec.camera = *camera;
    spec.width = wh[0].toInt() & ~1;
    spec.height = wh[1].toInt() & ~1;
    spec.seconds = parser.value(o.minute).toDouble();
    spec.seed = parser.value(o.seed).toULongLong();
    spec.damage = damageNamed(parser.value(o.damage));
    const double fps = parser.value(o.rate).toDouble();
    if (!(fps > 0)) {
        QTextStream(stderr) << "the frame rate must be above 0\n";
        return 2;
    }
    spec.framesPerSecond = fps;
    spec.unevenTiming = parser.isSet(o.uneven);
    spec.startTime = LocalTime::fromFields(2024, 5, 1, 10, 20, 30).value_or(0);
    spec.pedalScale = pedalScale;
    sample::writeClip(spec);
    return 0;
}

int writeWholeDrive(const QCommandLineParser& parser, const Options& o, const QString& target,
                    sample::PedalScale pedalScale) {
    const auto carLayout = parser.value(o.layout) == QLatin1String("four") ? sample::CarLayout::fourCamera
                                                                           : sample::CarLayout::sixCamera;
    sample::DriveSpec spec = sample::exampleDrive(target, carLayout, parser.value(o.scale).toDouble(),
                                                  parser.value(o.minute).toDouble());
    spec.seed = parser.value(o.seed).toULongLong();
    spec.contentFree = parser.isSet(o.empty);
    spec.pedalScale = pedalScale;
    spec.recentMinutes = parser.value(o.recent).toInt();
    if (parser.isSet(o.events))
        sample::useHourlyEvents(spec, parser.value(o.events).toInt(), parser.value(o.eventMinutes).toInt());
    if (parser.isSet(o.encrypted))
        sample::addEncryptedEvent(spec);
    if (parser.isSet(o.damagedEvent))
        sample::addDamagedEvent(spec, damageNamed(parser.value(o.damagedEvent)));
    const QStringList files = sample::writeDrive(spec);
    QTextStream(stdout) << files.size() << " files written under " << target << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-sample-drive"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a synthetic TeslaCam drive into FOLDER (the TeslaCam folder)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("the TeslaCam folder to create"));
    const Options options;
    options.addTo(parser);
    parser.process(app);
    if (parser.isSet(options.serveKeys)) {
        // For trying the unlocking by hand: the window reads the address from the environment.
        const sample::SampleKeyService service;
        QTextStream(stdout) << "ORVANE_KEY_SERVICE_URL=" << service.url().toString() << "\n"
                            << "token: " << sample::SampleKeyService::acceptedToken() << Qt::endl;
        return app.exec();
    }
    if (parser.positionalArguments().size() != 1) {
        QTextStream(stderr) << parser.helpText();
        return 2;
    }
    const QString target = parser.positionalArguments().first();
    const auto pedalScale = pedalScaleNamed(parser.value(options.pedal));
    if (!pedalScale) {
        QTextStream(stderr) << "unknown accelerator scale: " << parser.value(options.pedal) << "\n";
        return 2;
    }
    try {
        return parser.isSet(options.clip) ? writeOneClip(parser, options, target, *pedalScale)
                                          : writeWholeDrive(parser, options, target, *pedalScale);
    } catch (const std::exception& e) {
        QTextStream(stderr) << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
}
