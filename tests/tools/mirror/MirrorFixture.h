// Shared set-up of the mirror tests: a served file of pseudo-random bytes (so
// that a byte from the wrong offset never matches by chance) in a temporary
// folder, and mirrors started on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/MirrorServer.h"
#include "support/TempDir.h"

// A little over three 1 MiB blocks, so that bodies cross the tool's 256 KiB
// read pieces at several places and end in the middle of one.
inline constexpr size_t kServedSize = 3 * 1024 * 1024 + 12345;

class MirrorFixture : public ::testing::Test {
protected:
    MirrorFixture();

    using Adjust = std::function<void(MirrorServerOptions&)>;

    // Options serving the file on 127.0.0.2, changed by `adjust`.
    MirrorServerOptions Options(const Adjust& adjust = {}) const;
    // Starts `mirror` with those options; fails the test when it cannot start.
    void StartMirror(MirrorServer& mirror, const Adjust& adjust = {});

    // The served bytes [first, first + length).
    std::string Slice(size_t first, size_t length) const { return content_.substr(first, length); }

    TempDir dir_;
    std::string content_;
    std::string file_;
};

std::string PseudoRandomBytes(size_t length, uint64_t seed);

// The lines of a text file (an access log); none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path);
