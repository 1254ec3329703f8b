// The thread's processor time for the window-less tools on POSIX systems, in
// nanoseconds.
#include <time.h>

#include "app/platform.h"

int64_t PlatformThreadTime() {
    timespec now;
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return -1;
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}
