#include "config/RegularFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orv::config {

namespace {

std::string KindOfNonRegular(bool directory) {
    return directory ? "it is a folder, not a file" : "it is not a regular file (a device, pipe or socket)";
}

std::string CannotRead() { return std::string("the file cannot be read (") + std::strerror(errno) + ")"; }

}  // namespace

#if defined(_WIN32)
RegularFileText ReadRegularFile(const std::filesystem::path& file, std::size_t limit) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!ec && std::filesystem::is_directory(status)) return {{}, KindOfNonRegular(true)};
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return {{}, KindOfNonRegular(false)};
    // The narrow call would take the name in the ANSI code page.
    std::FILE* in = _wfopen(file.c_str(), L"rb");
    if (!in) return {{}, CannotRead()};
    std::string text(limit + 1, '\0');
    const std::size_t got = std::fread(text.data(), 1, text.size(), in);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) return {{}, "the file cannot be read (a read error)"};
    text.resize(got);
    return {std::move(text), {}};
}
#else
RegularFileText ReadRegularFile(const std::filesystem::path& file, std::size_t limit) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {{}, CannotRead()};
    struct stat st {};
    std::string error;
    if (::fstat(fd, &st) != 0)
        error = CannotRead();
    else if (!S_ISREG(st.st_mode))
        error = KindOfNonRegular(S_ISDIR(st.st_mode));
    std::string text;
    if (error.empty()) {
        // One byte past the limit rather than trusting a size that may change.
        text.resize(limit + 1);
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = CannotRead();
                break;
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
    }
    ::close(fd);
    if (!error.empty()) return {{}, error};
    return {std::move(text), {}};
}
#endif

}  // namespace orv::config
