#pragma once

// Child processes that must not outlive this one (ffmpeg writing files nobody will use).
// Call on the thread that starts the process, which must also wait for it (the kernel ties the child to it).

#include <QProcess>

namespace orvane::ChildProcess {

// The child is killed when this process ends in any way, also by SIGKILL; a child started as
// this process is dying ends at once instead of running on.
void endWithParent(QProcess& process);

} // namespace orvane::ChildProcess
