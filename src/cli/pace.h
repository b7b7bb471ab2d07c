#pragma once

#include "cli/backoff.h"

#include <optional>

// How fast mirelo-lookup asks: numbers in flight at once, the interval between two starts and
// how much it varies, and how long to hold back once told to slow down.
struct Pace
{
    static constexpr int defaultParallel = 4;
    static constexpr int maxParallel = 16;
    // With the user's own session, unless the options say otherwise: one number at a time, two
    // seconds apart give or take a quarter.
    static constexpr int sessionParallel = 1;
    static constexpr int sessionIntervalMs = 2000;
    static constexpr double sessionIntervalJitter = 0.25;

    int parallel = defaultParallel;
    int intervalMs = 0;
    double intervalJitter = 0; // each interval is up to this share shorter or longer, at random
    BackOff backOff; // the services' due by default

    // The pace the options ask for (unset: the defaults, gentler with a session).
    static Pace of(std::optional<int> parallel, std::optional<int> intervalMs, bool signedIn);
};
