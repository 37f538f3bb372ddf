#pragma once
// An oracle that fails stops the run with the reason: libFuzzer then saves
// the input as a crash, like any sanitizer report.
#include <cstdio>
#include <cstdlib>

#define ORV_FUZZ_CHECK(cond, ...)                                          \
    do {                                                                   \
        if (!(cond)) {                                                     \
            std::fprintf(stderr, "oracle failed at %s:%d: %s\n", __FILE__, \
                         __LINE__, #cond);                                 \
            std::fprintf(stderr, __VA_ARGS__);                             \
            std::fputc('\n', stderr);                                      \
            std::abort();                                                  \
        }                                                                  \
    } while (0)
