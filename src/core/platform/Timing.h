#pragma once

#include <QtGlobal>
#include <chrono>

namespace mojing {

using Millis = std::chrono::milliseconds;

// Every duration the program waits for, in one place. The defaults are the product's values;
// tests build a Timing with shorter ones instead of sleeping.
struct Timing {
    Millis tick{1000};            // scheduler, status and auto-analysis timers
    Millis pageLoadLimit{30000};  // waiting for a result page to load
    Millis pagePause{10000};      // polite pause after each result page
    Millis pagePoll{100};         // re-test interval while a result page loads
    Millis snapshotLimit{5000};   // reading the DOM of a live page
    Millis headerWait{30000};     // method 1: waiting for response headers
    Millis stallLimit{120000};    // method 1: no data for this long fails the row
    Millis watchdogLimit{300000}; // method 2: no progress for this long fails the row
    Millis loginWait{10000};      // site login: page load wait
    Millis loginShortWait{5000};  // site login: wait after submitting
    Millis loginRefresh{60000};   // site login: page refresh period
    Millis progressCoalesce{100}; // list repaint interval for progress updates
    Millis listSave{1000};        // the kept download list is saved at most this often
    Millis requestPoll{10};       // HTTP request control: how often a pending request is polled
    Millis hostPause{60000};      // a host that answered 429/503 without Retry-After rests this long
    Millis hostPauseMax{600000};  // ... and never longer, whatever its Retry-After says

    // The program's clock in milliseconds (monotonic). Used for pauses measured between events.
    qint64 nowMs() const;

    // A Timing whose every duration is `factor` times the default (at least 1 ms).
    static Timing scaled(double factor);
};

} // namespace mojing
