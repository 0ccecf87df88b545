#include "atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vorlune::tool {

namespace {

// What a plainly created file would get: 0666 less the umask (mkstemp gives 0600).
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    std::vector<char> name(path_.begin(), path_.end());
    const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);  // with the terminator
    const int fd = ::mkstemp(name.data());
    if (fd < 0) fail("mkstemp");
    temporary_.assign(name.data());
    if (::fchmod(fd, newFileMode()) != 0 || !(stream_ = ::fdopen(fd, "wb"))) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary_.c_str());
        temporary_.clear();
        errno = error;
        fail("fdopen");
    }
}

AtomicFile::~AtomicFile() {
    if (stream_) std::fclose(stream_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::commit() {
    std::FILE* stream = stream_;
    stream_ = nullptr;
    const bool written = std::fflush(stream) == 0 && !std::ferror(stream);
    const int flushError = errno;
    if (std::fclose(stream) != 0 || !written) {
        errno = written ? errno : flushError;
        fail("write");
    }
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) fail("rename");
    temporary_.clear();
}

void AtomicFile::fail(const char* call) const {
    const int error = errno;
    throw WriteError("cannot write " + path_ + ": " + call + ": " + std::strerror(error));
}

}  // namespace vorlune::tool
