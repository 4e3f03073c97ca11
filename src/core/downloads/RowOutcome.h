#pragma once

#include <QString>

namespace mojing {

// How one row's attempt ended, as its transfer saw it. Reported for every row that ends: by the
// transfer methods after the row's last change, and by the scheduler for rows that end without a
// transfer of their own (skipped as existing, stopped slots, no usable folder).
struct RowOutcome {
    int row = -1;
    QString requestedUrl;
    QString finalUrl;   // after redirects; empty when no answer came
    int httpStatus = 0; // of the final answer; 0 when none
    QString contentType;
    QString retryAfter; // the answer's Retry-After value (429 and 503 answers)
};

} // namespace mojing
