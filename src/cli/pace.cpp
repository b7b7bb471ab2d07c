#include "cli/pace.h"

Pace Pace::of(std::optional<int> parallel, std::optional<int> intervalMs, bool signedIn)
{
    Pace pace;
    pace.parallel = parallel.value_or(signedIn ? sessionParallel : defaultParallel);
    pace.intervalMs = intervalMs.value_or(signedIn ? sessionIntervalMs : 0);
    pace.intervalJitter = signedIn ? sessionIntervalJitter : 0;
    return pace;
}
