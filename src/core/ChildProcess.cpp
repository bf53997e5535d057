#include "ChildProcess.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace orvane::ChildProcess {

void endWithParent(QProcess& process) {
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: system calls only.
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent may have died before the line above took effect; the child then belongs
        // to another process already.
        if (::getppid() != parent)
            ::_exit(127);
    });
}

} // namespace orvane::ChildProcess
