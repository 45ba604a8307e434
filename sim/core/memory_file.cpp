#include "core/memory_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace alvento::sim {

namespace {
std::string failure(const char* step, int error) {
    return std::string(step) + ": " + std::strerror(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, data, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0)
            return false;
        if (w == 0) {
            errno = EIO;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}
} // namespace

std::string saveMemoryFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    // Same folder as the target, so the rename stays on one file system.
    std::vector<char> tmp(path.begin(), path.end());
    const char suffix[] = ".XXXXXX";
    tmp.insert(tmp.end(), suffix, suffix + sizeof suffix);
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return failure("create", errno);

    auto discard = [&](const char* step, int error) {
        ::unlink(tmp.data());
        return failure(step, error);
    };
    // mkstemp makes the file private; a saved memory is as readable as any
    // file this process creates.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0 || !writeAll(fd, bytes.data(), bytes.size()) ||
        ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return discard("write", error);
    }
    if (::close(fd) != 0)
        return discard("close", errno);
    if (::rename(tmp.data(), path.c_str()) != 0)
        return discard("rename", errno);
    // The rename itself is only durable once the folder is on the disk too.
    const int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace alvento::sim
