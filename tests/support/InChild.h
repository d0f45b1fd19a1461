#pragma once

#include <functional>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace zelta::test {

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
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace zelta::test
