#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace vorlune::tool {

// A failure to write an output file; the text names the file and the system's reason.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes a file under a temporary name beside it and renames it into place on
// commit, so a reader never sees half a file and a failed write leaves any
// earlier file of that name as it was.
class AtomicFile {
  public:
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    std::FILE* stream() { return stream_; }
    const std::string& path() const { return path_; }

    // Flushes, closes and renames; throws WriteError when any of it failed.
    void commit();

    // A WriteError naming this file, the call that failed and errno's text.
    [[noreturn]] void fail(const char* call) const;

  private:
    std::string path_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

}  // namespace vorlune::tool
