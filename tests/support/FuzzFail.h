// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a fuzz target stops on a fault it found: it says which and aborts, so
// libFuzzer keeps the input and the replay of the seeds fails.

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void fail(const std::string &why) {
    std::fprintf(stderr, "fuzz check failed: %s\n", why.c_str());
    std::abort();
}
