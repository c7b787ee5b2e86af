#pragma once
#include <csignal>

// Called first thing by every program of ours. A write past the file-size
// limit (ulimit -f) then fails with EFBIG, which the settings save answers
// with its Retry/Cancel prompt and tolvo-solve as a write error, instead of
// the kernel ending the process with the file cut short.
inline void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
