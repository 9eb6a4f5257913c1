#pragma once

// A failed invariant prints where and what, then aborts so libFuzzer keeps the input.
// Not assert(): it must hold in every build type.

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzzcheck {

[[noreturn]] inline void fail(const char *file, int line, const char *what)
{
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, what);
    std::abort();
}

// Printable form of a text for failure messages.
inline void dump(const char *name, std::string_view text)
{
    std::fprintf(stderr, "  %s (%zu bytes): \"", name, text.size());
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", c);
    }
    std::fprintf(stderr, "\"\n");
}

} // namespace fuzzcheck

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzzcheck::fail(__FILE__, __LINE__, #condition);                                     \
    } while (false)
