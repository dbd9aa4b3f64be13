#include "iec61850/icd/ReplacingFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Iec61850::Acsi::Scl {

namespace {

std::atomic<unsigned> nextTemporary{0};

std::string SystemText(int error) {
    char buffer[256] = {};
    // The GNU form returns the text, which may or may not be the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

bool Fail(std::string& error, const std::string& what, const std::string& path, int code) {
    error = what + " \"" + path + "\": " + SystemText(code);
    return false;
}

// A new file beside the target, created exclusively (mode 0666 less the umask, as any
// new file); -1 with errno when none can be made.
int CreateBeside(const std::string& path, std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(nextTemporary.fetch_add(1));
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool CreateFileBeside(const std::string& path, std::string& staged, std::string& error) {
    const int fd = CreateBeside(path, staged);
    if (fd < 0) return Fail(error, "Cannot create a file beside", path, errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(staged.c_str());
        return Fail(error, "Cannot close a file beside", path, code);
    }
    return true;
}

bool WriteFileReplacing(const std::string& path, std::string_view content, std::string& error) {
    std::string temporary;
    const int fd = CreateBeside(path, temporary);
    if (fd < 0) return Fail(error, "Cannot create a file beside", path, errno);

    const auto discard = [&](const char* what, int code) {
        ::unlink(temporary.c_str());
        return Fail(error, what, path, code);
    };
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return discard("Cannot write", code);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        const int code = errno;
        ::close(fd);
        return discard("Cannot flush", code);
    }
    if (::close(fd) != 0) return discard("Cannot close", errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return discard("Cannot replace", errno);
    return true;
}

}  // namespace Iec61850::Acsi::Scl
