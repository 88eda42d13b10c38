// CReadOnlyFile for the host build.
#include "ui/core/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace SkinUI {

CReadOnlyFile::~CReadOnlyFile() {
    Close();
}

bool CReadOnlyFile::Open(const char* path) {
    Close();
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

void CReadOnlyFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = 0;
}

bool CReadOnlyFile::IsOpen() const {
    return fd_ >= 0;
}

std::size_t CReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (fd_ < 0) return 0;
    std::size_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < count) {
        ssize_t got = pread(fd_, out + total, count - total, static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

}  // namespace SkinUI
