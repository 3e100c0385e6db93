// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace partory::testing {

// A stretch of a file, [begin, end).
struct Extent {
    std::int64_t begin = 0;
    std::int64_t end = 0;
    bool operator==(const Extent&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Extent& extent);

// Writes a file of `size` bytes with pattern bytes in the `data` extents and holes elsewhere;
// gives all its bytes (zeros in the holes).
std::string WriteSparseFile(const std::string& path, std::int64_t size,
                            const std::vector<Extent>& data, unsigned seed = 1);
// Where the file holds data, as the file system reports it (SEEK_DATA and SEEK_HOLE).
std::vector<Extent> DataExtents(const std::string& path);
// The extents that lie within [begin, end), cut to it and moved to start at 0.
std::vector<Extent> Within(const std::vector<Extent>& extents, std::int64_t begin,
                           std::int64_t end);
// Bytes of disk the file's blocks take.
std::int64_t AllocatedBytes(const std::string& path);

}  // namespace partory::testing
