#include "functions/ViewFlags.h"

namespace voltora::functions {

std::atomic<bool> mathViewShown{false};
std::atomic<bool> trendViewShown{false};
std::atomic<bool> histogramViewShown{false};
std::atomic<bool> trendRestartPending{false};

}  // namespace voltora::functions
