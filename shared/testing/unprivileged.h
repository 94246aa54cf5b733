#pragma once
// Runs a check as an unprivileged user, so that file permissions bind also where the tests run
// as root. The check runs in a child process; its result is the child's exit status.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

constexpr int kNobody = 65534;

// The value `check` returns in a child process running as user and group nobody (or as the
// current user, when that is not root already); -1 when the child could not run it.
inline int RunUnprivileged(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(255);
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    const int code = WEXITSTATUS(status);
    return code == 255 ? -1 : code;
}

}  // namespace testing_support
