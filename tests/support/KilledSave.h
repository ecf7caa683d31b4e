#pragma once

// A save that is killed half way, as a crash or a kill -9 leaves it.

#include "AtomicFile.h"

#include <csignal>
#include <string>
#include <string_view>

#include <sys/wait.h>
#include <unistd.h>

// Saves `bytes` over the file at path in a process of its own, in place
// (the file has a second hard link), and kills that process once half of
// them are written. False when the process was not killed.
inline bool KillSaveInPlaceMidway(const std::string& path, std::string_view bytes)
{
    const pid_t child = ::fork();
    if (child == 0) {
        TAtomicFile file(path);
        if (file.Open() && file.WritesInPlace())
            file.Write(bytes.substr(0, bytes.size() / 2));
        ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}
