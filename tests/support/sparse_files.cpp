// SPDX-License-Identifier: GPL-3.0-or-later
#include "sparse_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "temp_dir.h"

namespace partory::testing {

std::ostream& operator<<(std::ostream& out, const Extent& extent) {
    return out << "[" << extent.begin << ", " << extent.end << ")";
}

std::string WriteSparseFile(const std::string& path, std::int64_t size,
                            const std::vector<Extent>& data, unsigned seed) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    bool written = ::ftruncate(fd, size) == 0;
    for (const Extent& extent : data) {
        const std::string pattern =
            PatternBytes(static_cast<std::size_t>(extent.end - extent.begin), seed++);
        bytes.replace(static_cast<std::size_t>(extent.begin), pattern.size(), pattern);
        written = written && ::pwrite(fd, pattern.data(), pattern.size(), extent.begin) ==
                                 static_cast<ssize_t>(pattern.size());
    }
    written = ::close(fd) == 0 && written;
    if (!written) throw std::runtime_error("cannot write " + path);
    return bytes;
}

std::vector<Extent> DataExtents(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    std::vector<Extent> extents;
    for (off_t at = 0;;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) break;  // ENXIO: no data from `at` to the end
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole <= data) break;
        extents.push_back({data, hole});
        at = hole;
    }
    ::close(fd);
    return extents;
}

std::vector<Extent> Within(const std::vector<Extent>& extents, std::int64_t begin,
                           std::int64_t end) {
    std::vector<Extent> cut;
    for (const Extent& extent : extents) {
        const std::int64_t from = std::max(extent.begin, begin);
        const std::int64_t to = std::min(extent.end, end);
        if (from < to) cut.push_back({from - begin, to - begin});
    }
    return cut;
}

std::int64_t AllocatedBytes(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot examine " + path);
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

}  // namespace partory::testing
