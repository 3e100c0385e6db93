// SPDX-License-Identifier: GPL-3.0-or-later
#include "temp_dir.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace partory::testing {

TempDir::TempDir(const std::string& parent, std::string_view prefix) {
    std::string pattern = parent.empty() ? std::filesystem::temp_directory_path().string() : parent;
    pattern += '/';
    pattern += prefix;
    pattern += "-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder " + pattern);
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only folders behind; make them removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::uint32_t x = 2463534242u ^ seed;
    for (auto& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<char>(x & 0xff);
    }
    return bytes;
}

int OpenDescriptorCount() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.') ++count;
        }
        ::closedir(dir);
        --count;  // the descriptor of the listing itself
    }
    return count;
}

}  // namespace partory::testing
