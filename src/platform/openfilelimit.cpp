#include "platform/openfilelimit.h"

#include <climits>
#include <sys/resource.h>

namespace platform {

int openFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > rlim_t(INT_MAX))
        return INT_MAX;
    return int(limit.rlim_cur);
}

} // namespace platform
