#pragma once
// Runs a check as an unprivileged user, so that file permissions bind also where the tests run
// as root. The check runs in a child process; its result is the child's exit status.
//
// A permission test makes its files unusable to everyone, owner included (mode 000 for a file
// that may not be read, 0444 for one that may not be written, 0555 for a folder that may not be
// written), so that it means the same for an ordinary user, who runs the check as themselves,
// and for root, who runs it as user nobody. CI runs each test that uses this a second time as an
// ordinary user: such a test belongs in the list of .ci/run.

#if defined(_WIN32)
#include <functional>
#include <optional>
#include <string>

namespace testing_support {

// Windows has no file modes to make a file unusable to its owner, nor a user nobody: the
// permission tests that need them do not run there.
inline int RunUnprivileged(const std::function<int()>&) {
    return -1;
}
inline std::optional<std::string> WhyPermissionsDoNotBind() {
    return "Windows has no file modes and no user nobody to check them as";
}

}  // namespace testing_support
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>

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

// Why a permission test cannot prove its point here, or nothing when it can: a file of mode 000
// must be unreadable to the checks that RunUnprivileged runs. Meant for GTEST_SKIP.
inline std::optional<std::string> WhyPermissionsDoNotBind() {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path probe =
        fs::temp_directory_path(ec) / ("tools-probe-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(std::random_device{}()));
    const int fd = ::open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0);
    if (fd < 0) return "cannot create a file in " + probe.parent_path().string();
    ::close(fd);
    const int opened = RunUnprivileged([&] {
        const int in = ::open(probe.c_str(), O_RDONLY);
        if (in < 0) return 0;
        ::close(in);
        return 1;
    });
    fs::remove(probe, ec);
    if (opened == -1)
        return "the tests run as root and no process can switch to user nobody here, so "
               "file permissions cannot be made to bind";
    if (opened == 1)
        return "a file of mode 000 can be read by the user running the tests (root or a user "
               "allowed to override file permissions), so file permissions cannot be made to bind";
    return std::nullopt;
}

}  // namespace testing_support
#endif
