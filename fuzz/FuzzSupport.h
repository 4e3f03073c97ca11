#pragma once

// Shared by the fuzzers: turning raw input into the program's types, and checks that stop the
// run with the input as a reproducer when a promise of a parser is broken.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace mojing::fuzz {

inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Text as the network or a file hands it over: UTF-8 where it is, replacement characters elsewhere.
inline QString textOf(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

[[noreturn]] inline void fail(const char* what, const QString& detail, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n  %s\n", file, line, what, detail.toUtf8().constData());
    std::abort();
}

inline bool hasPathSeparator(const QString& name) {
    return name.contains(u'/') || name.contains(u'\\');
}

} // namespace mojing::fuzz

// Aborts (a finding with a reproducer) when `condition` does not hold; `detail` is a QString shown
// with it.
#define FUZZ_CHECK(condition, detail)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::mojing::fuzz::fail(#condition, (detail), __FILE__, __LINE__);                                  \
    } while (false)
