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

QString gridFilterGraph(const QString& duration) {
    QStringList chains;
    for (int k = 0; k < 4; ++k)
        chains << QStringLiteral(
                      "[%1:v]scale=%2:%3:force_original_aspect_ratio=increase,crop=%2:%3,setsar=1,fps=%4,"
                      "tpad=stop_mode=add:stop_duration=%5,setpts=PTS-STARTPTS[v%1]")
                      .arg(k)
                      .arg(cellWidth)
                      .arg(cellHeight)
                      .arg(gridFrameRate)
                      .arg(duration);
    chains << QStringLiteral("[v0][v1][v2][v3]xstack=inputs=4:layout=0_0|%1_0|0_%2|%1_%2:fill=black[vout]")
                  .arg(cellWidth)
                  .arg(cellHeight);
    return chains.join(QLatin1Char(';'));
}

QStringList gridPieceArguments(const std::map<CameraAngle, QString>& inputs, double trimStart,
                               double trimDuration, const QString& output) {
    const QString s = seconds(std::max(trimStart, 0.0));
    const QString t = seconds(std::max(trimDuration, 0.0));
    QStringList args = prefix();
    args << QStringLiteral("-stats_period") << QStringLiteral("0.1");
    args << gridInputs(Camera::gridOrder, inputs, s, t, {cellWidth, cellHeight});
    args << QStringLiteral("-filter_complex") << gridFilterGraph(t);
    args << QStringLiteral("-map") << QStringLiteral("[vout]") << QStringLiteral("-an")
         << QStringLiteral("-t") << t;
    args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-preset")
         << QStringLiteral("veryfast") << QStringLiteral("-crf") << QStringLiteral("18")
         << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p") << QStringLiteral("-movflags")
         << QStringLiteral("+faststart") << QStringLiteral("-progress") << QStringLiteral("pipe:1")
         << QStringLiteral("-nostats") << output;
    return args;
}

PixelSize sixGridCanvas(ExportQuality quality) {
    const int width = quality == ExportQuality::original ? sixGridOriginalWidth : sixGridBalancedWidth;
    const int cell = evenDown(width / 3);
    const int height = evenDown(int(std::lround(double(cell) * sixGridCameraHeight / sixGridCameraWidth)));
    return {3 * cell, 2 * height};
}

QString sixGridFilterGraph(const QString& duration, PixelSize canvas) {
    const int w = canvas.width / 3, h = canvas.height / 2;
    QStringList chains;
    for (int k = 0; k < 6; ++k)
        chains << QStringLiteral(
                      "[%1:v]scale=%2:%3:force_original_aspect_ratio=decrease:force_divisible_by=2,"
                      "pad=%2:%3:(ow-iw)/2:(oh-ih)/2:color=black,setsar=1,fps=%4,"
                      "tpad=stop_mode=add:stop_duration=%5,setpts=PTS-STARTPTS[v%1]")
                      .arg(k)
                      .arg(w)
                      .arg(h)
                      .arg(gridFrameRate)
                      .arg(duration);
    chains << QStringLiteral("[v0][v1][v2][v3][v4][v5]xstack=inputs=6:layout=0_0|%1_0|%2_0|0_%3|%1_%3|%2_%3:"
                             "fill=black[vout]")
                  .arg(w)
                  .arg(2 * w)
                  .arg(h);
    return chains.join(QLatin1Char(';'));
}

int sixGridFrames(double duration) {
    return std::max(1, int(std::lround(std::max(duration, 0.0) * gridFrameRate)));
}

QStringList sixGridFrameArguments(const std::map<CameraAngle, QString>& inputs, double trimStart,
                                  double trimDuration, PixelSize canvas, const QString& output) {
    const QString s = seconds(std::max(trimStart, 0.0));
    const QString t = seconds(std::max(trimDuration, 0.0));
    QStringList args = prefix();
    args << gridInputs(Camera::sixGridOrder, inputs, s, t, {canvas.width / 3, canvas.height / 2});
    args << QStringLiteral("-filter_complex") << sixGridFilterGraph(t, canvas);
    // A set number of frames, not a length: the reader places the next minute by this count.
    args << QStringLiteral("-map") << QStringLiteral("[vout]") << QStringLiteral("-an")
         << QStringLiteral("-frames:v") << QString::number(sixGridFrames(trimDuration))
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
