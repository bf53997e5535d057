#include "FFmpegCommands.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace orvane::FFmpegCommands {

namespace {

QStringList prefix() {
    return {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-y")};
}

QStringList x264Reencode() {
    return {QStringLiteral("-c:v"),     QStringLiteral("libx264"), QStringLiteral("-preset"),
            QStringLiteral("veryfast"), QStringLiteral("-crf"),    QStringLiteral("18")};
}

// Widths of the six-camera grid: the four-camera grid's for `original`, the balanced width.
constexpr int sixGridOriginalWidth = 2 * cellWidth;
constexpr int sixGridBalancedWidth = cellWidth;

// Every camera of the layout in order: its trimmed input, or a black filler of a cell.
QStringList gridInputs(std::span<const CameraAngle> order, const std::map<CameraAngle, QString>& inputs,
                       const QString& start, const QString& length, PixelSize filler) {
    QStringList args;
    for (CameraAngle camera : order) {
        auto it = inputs.find(camera);
        if (it != inputs.end())
            args << QStringLiteral("-ss") << start << QStringLiteral("-t") << length << QStringLiteral("-i")
                 << it->second;
        else
            args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                 << QStringLiteral("color=c=black:s=%1x%2:r=%3:d=%4")
                        .arg(filler.width)
                        .arg(filler.height)
                        .arg(gridFrameRate)
                        .arg(length);
    }
    return args;
}

int evenDown(int value) {
    return value & ~1;
}

} // namespace

QString seconds(double value) {
    return QString::asprintf("%.3f", value);
}

PixelSize gridCanvas(Camera::GridLayout layout, ExportQuality quality) {
    if (layout == Camera::GridLayout::four)
        return Quality::outputSize(quality, 2 * cellWidth, 2 * cellHeight);
    const int width = quality == ExportQuality::original ? sixGridOriginalWidth : sixGridBalancedWidth;
    const int cell = evenDown(width / 3);
    const int height = evenDown(int(std::lround(double(cell) * sixGridCameraHeight / sixGridCameraWidth)));
    return {3 * cell, 2 * height};
}

QString gridFilterGraph(Camera::GridLayout layout, const QString& duration, PixelSize canvas, int speed) {
    const auto cameras = Camera::gridCameras(layout);
    const int columns = Camera::gridColumns(layout);
    const int rows = int(cameras.size()) / columns;
    const int w = canvas.width / columns, h = canvas.height / rows;
    const QString fit =
        layout == Camera::GridLayout::four
            ? QStringLiteral("scale=%1:%2:force_original_aspect_ratio=increase,crop=%1:%2")
            : QStringLiteral("scale=%1:%2:force_original_aspect_ratio=decrease:force_divisible_by=2,"
                             "pad=%1:%2:(ow-iw)/2:(oh-ih)/2:color=black");
    // A timelapse takes every speed-th grid frame of each camera (padding included), so only
    // those are laid out, and no others are made up to fill the rate.
    const QString taken = speed > 1 ? QStringLiteral("select=not(mod(n\\,%1)),").arg(speed) : QString();
    QStringList chains, cells, places;
    // Fitted after the grid's rate is set and the timelapse's frames taken, so only those are scaled.
    for (int k = 0; k < int(cameras.size()); ++k) {
        chains << QStringLiteral("[%1:v]fps=%2,tpad=stop_mode=add:stop_duration=%3,%4setpts=PTS-STARTPTS,%5,"
                                 "setsar=1[v%1]")
                      .arg(k)
                      .arg(gridFrameRate)
                      .arg(duration)
                      .arg(taken)
                      .arg(fit.arg(w).arg(h));
        cells << QStringLiteral("[v%1]").arg(k);
        places << QStringLiteral("%1_%2").arg(k % columns * w).arg(k / columns * h);
    }
    chains << cells.join(QString()) + QStringLiteral("xstack=inputs=%1:layout=%2:fill=black[vout]")
                                          .arg(cameras.size())
                                          .arg(places.join(QLatin1Char('|')));
    return chains.join(QLatin1Char(';'));
}

int gridFrames(double duration, int speed) {
    const int all = std::max(1, int(std::lround(std::max(duration, 0.0) * gridFrameRate)));
    return (all + std::max(speed, 1) - 1) / std::max(speed, 1);
}

QStringList gridFrameArguments(Camera::GridLayout layout, const std::map<CameraAngle, QString>& inputs,
                               double trimStart, double trimDuration, PixelSize canvas, const QString& output,
                               int speed) {
    const QString s = seconds(std::max(trimStart, 0.0));
    const QString t = seconds(std::max(trimDuration, 0.0));
    const int columns = Camera::gridColumns(layout);
    const int rows = int(Camera::gridCameras(layout).size()) / columns;
    QStringList args = prefix();
    args << gridInputs(Camera::gridCameras(layout), inputs, s, t,
                       {canvas.width / columns, canvas.height / rows});
    args << QStringLiteral("-filter_complex") << gridFilterGraph(layout, t, canvas, speed);
    if (speed > 1)
        args << QStringLiteral("-fps_mode") << QStringLiteral("passthrough");
    // A set number of frames, not a length: the reader places the next minute by this count.
    args << QStringLiteral("-map") << QStringLiteral("[vout]") << QStringLiteral("-an")
         << QStringLiteral("-frames:v") << QString::number(gridFrames(trimDuration, speed))
         << QStringLiteral("-f") << QStringLiteral("rawvideo") << QStringLiteral("-pix_fmt")
         << QStringLiteral("yuv420p") << QStringLiteral("-nostats") << output;
    return args;
}

QStringList concatArguments(const QString& listPath, const QString& output, bool reencode) {
    QStringList args = prefix();
    args << QStringLiteral("-f") << QStringLiteral("concat") << QStringLiteral("-safe") << QStringLiteral("0")
         << QStringLiteral("-fflags") << QStringLiteral("+genpts") << QStringLiteral("-i") << listPath
         << QStringLiteral("-map") << QStringLiteral("0:v:0") << QStringLiteral("-an");
    if (reencode)
        args << x264Reencode();
    else
        args << QStringLiteral("-c") << QStringLiteral("copy");
    args << output;
    return args;
}

QStringList trimCopyArguments(const QString& input, const QString& output, double trimStart,
                              double trimDuration) {
    QStringList args = prefix();
    args << QStringLiteral("-ss") << seconds(std::max(trimStart, 0.0)) << QStringLiteral("-i") << input
         << QStringLiteral("-map") << QStringLiteral("0:v:0") << QStringLiteral("-c")
         << QStringLiteral("copy") << QStringLiteral("-avoid_negative_ts") << QStringLiteral("make_zero");
    if (trimDuration > 0)
        args << QStringLiteral("-t") << seconds(trimDuration);
    args << output;
    return args;
}

QStringList trimReencodeArguments(const QString& input, const QString& output, double trimStart,
                                  double trimDuration) {
    QStringList args = prefix();
    args << QStringLiteral("-ss") << seconds(std::max(trimStart, 0.0)) << QStringLiteral("-i") << input
         << QStringLiteral("-map") << QStringLiteral("0:v:0") << QStringLiteral("-an") << x264Reencode();
    if (trimDuration > 0)
        args << QStringLiteral("-t") << seconds(trimDuration);
    args << output;
    return args;
}

QString concatList(const QStringList& paths) {
    QStringList lines;
    for (QString path : paths)
        lines << QStringLiteral("file '") + path.replace(QLatin1String("'"), QLatin1String("'\\''")) +
                     QLatin1Char('\'');
    return lines.join(QLatin1Char('\n'));
}

std::optional<double> parseTime(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (parts.size() != 3)
        return std::nullopt;
    double values[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    return values[0] * 3600 + values[1] * 60 + values[2];
}

std::vector<double> ProgressParser::feed(const QByteArray& chunk) {
    std::vector<double> out;
    pending_ += chunk;
    qsizetype newline;
    while ((newline = pending_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending_.left(newline)).trimmed();
        pending_.remove(0, newline + 1);
        if (line.startsWith(QLatin1String("out_time="))) {
            if (auto t = parseTime(line.mid(9)); t && expected_ > 0)
                out.push_back(std::min(std::max(*t / expected_, 0.0), 0.99));
        } else if (line == QLatin1String("progress=end")) {
            out.push_back(1.0);
        }
    }
    return out;
}

} // namespace orvane::FFmpegCommands
