#pragma once
// The application's own thread pools, apart from Qt's global one: blocking file work (scans,
// loads, measuring, probes, telemetry reads, captures, trash moves) and exports, so a long export
// never holds up a load and a slow drive never starves the rest. Any thread.

class QThreadPool;

namespace orvane::AppPools {

// Two threads: one at a time is best for a slow USB stick, a second keeps a quick load from
// waiting behind a long scan.
QThreadPool* files();
// Two threads: an export a newer one replaced may still be finishing while the newer one runs.
QThreadPool* exports();

} // namespace orvane::AppPools
