#pragma once

// How long mirelo-lookup holds back new starts once a service has said to slow down: a pause
// that doubles with every further "slow down" up to a ceiling, each varied at random so that
// many clients told at once do not all come back at the same moment.
struct BackOff
{
    int firstPauseMs = 30'000;
    int longestPauseMs = 600'000;
    double jitter = 0.25; // a pause is up to this share shorter or longer
    int retries = 3; // how often a number told to slow down is asked again

    // The pause after the `nth` "slow down" in a row (1: the first), before the jitter.
    int pauseMs(int nth) const;
};

// `ms` made up to `share` shorter or longer, at random.
int jittered(int ms, double share);
