#pragma once

#include <functional>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace zelta::test {

// The wait status of a child that has ended; -1 when it cannot be had.
inline int waitForChild(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return status;
}

// Runs body in a forked child under a watchdog: the child's exit code, or -1
// when it was killed (SIGALRM after `seconds` when the body hangs, or any
// crash). A body that would block forever thus fails its test instead of
// blocking the suite.
inline int inChild(const std::function<int()>& body, unsigned seconds = 20)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -2;
    if (child == 0) {
        ::signal(SIGALRM, SIG_DFL);
        ::alarm(seconds);
        int code = 99;
        try {
            code = body();
        } catch (...) {
            code = 98;
        }
        ::_exit(code);
    }
    const int status = waitForChild(child);
    if (status < 0)
        return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A step of some work's progress; the work calls it each time it moves on.
using Step = std::function<void()>;

// Runs work in a forked child that kills itself (SIGKILL, so nothing is
// flushed or cleaned up) at the kill-th step the work reports. True when it
// died there; false when it ended before that step, failed or crashed (a
// child that hangs dies of SIGALRM after `seconds`).
inline bool killedAtStep(int kill, const std::function<void(const Step&)>& work, unsigned seconds = 120)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::signal(SIGALRM, SIG_DFL);
        ::alarm(seconds);
        int steps = 0;
        try {
            work([&] {
                if (++steps == kill)
                    ::raise(SIGKILL);
            });
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    const int status = waitForChild(child);
    return status >= 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace zelta::test
