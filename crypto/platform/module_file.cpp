#include "crypto/platform/module_file.h"

#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace zlc::platform {
namespace {

struct Listing {
    ModuleVisitor visit;
    void* context;
};

int visit_shared_object(dl_phdr_info* info, std::size_t, void* data) {
    const auto* listing = static_cast<const Listing*>(data);
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
        listing->visit(info->dlpi_name, listing->context);
    }
    return 0;
}

}  // namespace

void list_loaded_modules(ModuleVisitor visit, void* context) noexcept {
    // readlink neither terminates nor reports truncation: a result that fills the whole buffer
    // may have been cut, so it is not used.
    char program[PATH_MAX + 1];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof(program));
    if (length > 0 && static_cast<std::size_t>(length) < sizeof(program)) {
        program[length] = '\0';
        visit(program, context);
    }
    Listing listing{visit, context};
    dl_iterate_phdr(visit_shared_object, &listing);
}

FileReader::FileReader(const char* path) noexcept {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return;
    }
    fd_ = fd;
}

FileReader::~FileReader() {
    if (fd_ >= 0) close(fd_);
}

std::int64_t FileReader::size() noexcept {
    if (fd_ < 0) return -1;
    const off_t end = lseek(fd_, 0, SEEK_END);
    if (end < 0 || lseek(fd_, 0, SEEK_SET) != 0) return -1;
    return static_cast<std::int64_t>(end);
}

bool FileReader::read_exact(std::uint8_t* out, std::size_t n) noexcept {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = read(fd_, out + done, n - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace zlc::platform
