#include "visa/LinkDiagnostics.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace voltora::visa {
namespace {

std::mutex g_mutex;
std::string g_last;
std::set<std::string> g_printed;

}  // namespace

void ReportLinkProblem(const std::string& text)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_last = text;
    if (g_printed.insert(text).second) {
        std::fprintf(stderr, "voltora: %s\n", text.c_str());
    }
}

std::string LastLinkProblem()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_last;
}

std::string TakeLinkProblem()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    std::string taken;
    taken.swap(g_last);
    return taken;
}

}  // namespace voltora::visa
