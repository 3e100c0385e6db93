// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace partory::testing {

// Compares file contents without printing them: a mismatch reports both sizes and the first
// offset that differs, which is what a reader needs when the bytes are binary.
inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    const auto mismatch =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return ::testing::AssertionFailure()
           << "holds " << actual.size() << " bytes, expected " << expected.size()
           << ", first difference at offset " << (mismatch.first - actual.begin());
}

}  // namespace partory::testing
