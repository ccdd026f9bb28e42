#include "support/ThreadProbe.h"

#include <fstream>
#include <iterator>
#include <string>

namespace voltora::testing {

bool ThreadIsAsleep(pid_t tid)
{
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(file), {}};
    // "tid (name) S ...": the name may hold spaces and parentheses, the
    // state follows the last ')'.
    const auto close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'S';
}

}  // namespace voltora::testing
