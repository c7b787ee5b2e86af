#pragma once
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// The exit status of a child process, or 128 + the signal that ended it.
inline int exitStatus(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs body in a child process, which ends with body's result and never
// returns into the test.
inline pid_t startChild(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    return pid;
}
