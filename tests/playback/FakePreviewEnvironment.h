#pragma once

#include "PreviewEnvironment.h"

#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace orvane::test {

// A player that records what it is told and reports only when the test says so.
class FakePlayer : public media::AbstractMediaPlayer {
public:
    struct Seek {
        double time, before, after;
        SeekCompletion completion;
    };

    void replaceCurrentItem(const QString& path) override {
        failSeeks();
        if (opened)
            opened->push_back(path);
        item = path;
        rate_ = 0;
        status_ = path.isEmpty() ? ItemStatus::none : ItemStatus::loading;
        log(QStringLiteral("open"));
    }
    bool hasCurrentItem() const override { return !item.isEmpty(); }
    ItemStatus itemStatus() const override { return status_; }
    void playImmediately(float rate) override {
        rate_ = rate;
        log(QStringLiteral("play"), QString::number(rate));
    }
    void pause() override {
        rate_ = 0;
        log(QStringLiteral("pause"));
    }
    float rate() const override { return rate_; }
    void setRate(float rate) override {
        rate_ = rate;
        log(QStringLiteral("rate"), QString::number(rate));
    }
    double currentTime() const override { return time; }
    void seek(double t, double before, double after, SeekCompletion completion) override {
        seeks.push_back({t, before, after, std::move(completion)});
        log(QStringLiteral("seek"), before == 0 && after == 0
                                        ? QString::number(t)
                                        : QStringLiteral("%1 -%2+%3").arg(t).arg(before).arg(after));
    }
    void cancelPendingSeeks() override { failSeeks(); }
    void setVideoSink(QVideoSink* s) override { sink = s; }

    // Test controls.
    void report(ItemStatus status) {
        status_ = status;
        emit itemStatusChanged(status);
    }
    // The oldest pending seek lands (finished), or every pending one fails.
    void completeSeek() { settleSeeks(true); }
    void failSeeks() { settleSeeks(false); }
    void tick(double t) {
        time = t;
        emit periodicTime(t);
    }
    void end() { emit didPlayToEnd(); }
    // The pictures ran out at `t` before the item's end: the player pauses there.
    void stopShort(double t) {
        rate_ = 0;
        time = t;
        emit didStopShort(t);
    }
    QString problem() const override { return problemText; }
    bool sourceGone() const override { return gone; }

    QString problemText; // why the item failed or stopped short
    bool gone = false;   // … because its file went away

    QString item;
    // Shared with the environment, so what was opened stays readable after the player is gone.
    std::shared_ptr<std::vector<QString>> opened;
    // Every call made of the players: "open m1-front", "seek m1-front 40 -0.1+0.1", "play m1-front 1".
    std::shared_ptr<QStringList> calls;
    std::vector<Seek> seeks;
    double time = 0;
    QVideoSink* sink = nullptr;

private:
    void settleSeeks(bool finished) {
        for (auto& s : seeks)
            if (auto completion = std::exchange(s.completion, {})) {
                time = finished ? s.time : time;
                completion(finished);
                if (finished)
                    return;
            }
    }
    void log(const QString& verb, const QString& arguments = {}) {
        const QString name = item.isEmpty() ? QStringLiteral("nothing") : QFileInfo(item).completeBaseName();
        if (calls)
            *calls << (verb + ' ' + name + (arguments.isEmpty() ? QString() : ' ' + arguments)).trimmed();
    }
    ItemStatus status_ = ItemStatus::none;
    float rate_ = 0;
};

// Players, measuring and delayed calls under the test's control.
struct FakeEnvironment {
    struct Measure {
        std::vector<PlaybackStep> steps;
        std::function<void(std::vector<double>)> done;
    };
    struct Delayed {
        int milliseconds;
        std::function<void()> action;
        bool cancelled = false;
    };

    std::vector<FakePlayer*> players; // owned by the controllers
    std::vector<QPointer<FakePlayer>> live; // the same, null once a controller let go of one
    std::shared_ptr<std::vector<QString>> opened =
        std::make_shared<std::vector<QString>>();                         // by every player
    std::shared_ptr<QStringList> calls = std::make_shared<QStringList>(); // of every player
    std::vector<Measure> measures;
    std::vector<std::shared_ptr<Delayed>> delayed;

    PreviewEnvironment make() {
        PreviewEnvironment e;
        e.makePlayer = [this] {
            auto player = std::make_unique<FakePlayer>();
            player->opened = opened;
            player->calls = calls;
            players.push_back(player.get());
            live.emplace_back(player.get());
            return player;
        };
        e.measureSteps = [this](std::vector<PlaybackStep> steps,
                                std::function<void(std::vector<double>)> done) {
            measures.push_back({std::move(steps), std::move(done)});
        };
        e.schedule = [this](int ms, std::function<void()> action) -> PreviewEnvironment::Cancel {
            auto d = std::make_shared<Delayed>(Delayed{ms, std::move(action)});
            delayed.push_back(d);
            return [d] { d->cancelled = true; };
        };
        return e;
    }
    // Runs every delayed call that was not cancelled; returns how many ran.
    int runDelayed() {
        int ran = 0;
        auto pending = std::move(delayed);
        delayed.clear();
        for (auto& d : pending)
            if (!d->cancelled) {
                ++ran;
                d->action();
            }
        return ran;
    }
    // The calls made since the last time they were taken, joined by ", ".
    QString takeCalls() {
        const QString text = calls->join(QStringLiteral(", "));
        calls->clear();
        return text;
    }
};

} // namespace orvane::test
