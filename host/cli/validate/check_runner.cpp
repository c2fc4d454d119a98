#include "check_runner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace qnhost::validate {

namespace {

// The child's verdict travels as one letter and the reason.
void report(int fd, char letter, const std::string& detail) {
    std::string message(1, letter);
    message += detail;
    const char* at = message.data();
    size_t left = message.size();
    while (left > 0) {
        const ssize_t written = write(fd, at, left);
        if (written <= 0) {
            if (written < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
        at += written;
        left -= static_cast<size_t>(written);
    }
}

[[noreturn]] void runChild(const Check& check, const CheckContext& context, int fd) {
    try {
        try {
            context.session.describePins();
        } catch (const HostError&) {
            // A module that cannot be made fails the checks that need one, not all of them.
        }
        check.run(context);
        report(fd, 'P', "");
    } catch (const CheckSkipped& skipped) {
        report(fd, 'S', skipped.what());
    } catch (const std::exception& error) {
        report(fd, 'F', error.what());
    } catch (...) {
        report(fd, 'F', "an unknown exception left the check");
    }
    // No destructors or exit handlers: they belong to the parent.
    _exit(0);
}

}  // namespace

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::kPassed:
            return "passed";
        case Outcome::kFailed:
            return "failed";
        case Outcome::kCrashed:
            return "crashed";
        case Outcome::kSkipped:
            return "skipped";
    }
    return "?";
}

CheckResult runIsolated(const Check& check, const CheckContext& context, double timeoutSeconds) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {Outcome::kFailed, std::string("cannot make a pipe: ") + std::strerror(errno)};
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return {Outcome::kFailed, std::string("cannot fork: ") + std::strerror(errno)};
    }
    if (child == 0) {
        close(channel[0]);
        runChild(check, context, channel[1]);
    }
    close(channel[1]);

    std::string message;
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<int64_t>(timeoutSeconds * 1000));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd waiting{channel[0], POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            timedOut = true;
            break;
        }
        char buffer[512];
        const ssize_t got = read(channel[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;  // the child closed its end: done or dead
        }
        message.append(buffer, static_cast<size_t>(got));
    }
    close(channel[0]);
    if (timedOut) {
        kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        char text[64];
        std::snprintf(text, sizeof text, "timed out after %g s", timeoutSeconds);
        return {Outcome::kFailed, text};
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return {Outcome::kCrashed,
                std::string("signal ") + std::to_string(signal) + " (" + strsignal(signal) + ")"};
    }
    if (message.empty()) {
        // The check always reports before it ends, so the plug-in ended the process: a crash
        // caught by a handler (a sanitizer's, say) or an exit of its own.
        return {Outcome::kCrashed, "ended with exit status " + std::to_string(WEXITSTATUS(status)) +
                                       " and no verdict"};
    }
    const std::string detail = message.substr(1);
    switch (message.front()) {
        case 'P':
            return {Outcome::kPassed, ""};
        case 'S':
            return {Outcome::kSkipped, detail};
        default:
            return {Outcome::kFailed, detail};
    }
}

}  // namespace qnhost::validate
