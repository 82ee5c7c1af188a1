#include "io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <memory>
#include <semaphore>
#include <thread>

namespace zlc_cli {

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        if (!bytes_.empty()) explicit_bzero(bytes_.data(), bytes_.size());
        bytes_ = std::move(other.bytes_);
    }
    return *this;
}

SecretBytes::~SecretBytes() {
    if (!bytes_.empty()) explicit_bzero(bytes_.data(), bytes_.size());
}

std::string status_text(std::uint32_t status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", status);
    return text;
}

std::string to_hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(count * 2, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return text;
}

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool shell_safe(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("%+,-./:=@_^", c) != nullptr || c >= 0x80;
}

std::string errno_text() {
    return std::strerror(errno);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> from_hex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = hex_value(text[2 * i]);
        const int low = hex_value(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return bytes;
}

SecretBytes parse_hex_option(std::string_view option, std::string_view text) {
    auto bytes = from_hex(text);
    if (!bytes) {
        throw Failure(std::string(option) +
                      ": not a hexadecimal string (two digits 0-9, a-f per byte)");
    }
    return SecretBytes(std::move(*bytes));
}

std::string quote_name(const std::string& name) {
    bool safe = !name.empty();
    for (unsigned char c : name) safe = safe && shell_safe(c);
    if (safe) return name;
    // Printable runs go in single quotes, control characters between them as $'\n' or $'\ooo'.
    std::string out;
    bool in_quote = false;
    for (unsigned char c : name) {
        const bool control = c < 0x20 || c == 0x7F;
        if (control == in_quote) {
            out += '\'';
            in_quote = !in_quote;
        }
        if (!control) {
            if (c == '\'') {
                out += "'\\''";
            } else {
                out += static_cast<char>(c);
            }
            continue;
        }
        switch (c) {
            case '\n':
                out += "$'\\n'";
                break;
            case '\r':
                out += "$'\\r'";
                break;
            case '\t':
                out += "$'\\t'";
                break;
            default:
                char octal[8];
                std::snprintf(octal, sizeof octal, "$'\\%03o'", c);
                out += octal;
                break;
        }
    }
    if (in_quote) out += '\'';
    return out;
}

std::uint8_t* chunk_buffer() {
    static const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kChunkSize + kChunkSlack]);
    return buffer.get();
}

namespace {

// Closes a file it opened, also when the sink ends the command with a Failure.
struct InputFile {
    explicit InputFile(const std::string& path)
        : standard_input(path == "-"),
          fd(standard_input ? 0 : open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~InputFile() {
        if (!standard_input && fd >= 0) close(fd);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const bool standard_input;
    const int fd;
};

}  // namespace

namespace {

// Reads a regular file on a second thread into two alternating buffers, so that the kernel's copy
// out of the page cache overlaps the caller's work on the previous chunk. A regular file's read
// always returns, so the thread can be joined on every path, a Failure from the sink included.
class OverlappedReader {
  public:
    explicit OverlappedReader(int fd) : fd_(fd), thread_([this] { run(); }) {}
    OverlappedReader(const OverlappedReader&) = delete;
    OverlappedReader& operator=(const OverlappedReader&) = delete;
    ~OverlappedReader() {
        stop_.store(true);
        free_.release();
        thread_.join();
    }

    std::optional<std::string> feed(const ChunkSink& sink) {
        for (int i = 0;; i ^= 1) {
            full_.acquire();
            if (got_[i] < 0) return std::string(std::strerror(error_[i]));
            if (got_[i] == 0) return std::nullopt;
            sink(buffers_[i].get(), static_cast<std::size_t>(got_[i]));
            free_.release();
        }
    }

  private:
    void run() {
        for (int i = 0;; i ^= 1) {
            free_.acquire();
            if (stop_.load()) return;
            ssize_t got;
            do {
                got = read(fd_, buffers_[i].get(), kChunkSize);
            } while (got < 0 && errno == EINTR);
            got_[i] = got;
            error_[i] = got < 0 ? errno : 0;
            full_.release();
            if (got <= 0) return;
        }
    }

    const int fd_;
    std::unique_ptr<std::uint8_t[]> buffers_[2] = {
        std::make_unique<std::uint8_t[]>(kChunkSize + kChunkSlack),
        std::make_unique<std::uint8_t[]>(kChunkSize + kChunkSlack)};
    ssize_t got_[2] = {0, 0};
    int error_[2] = {0, 0};
    std::counting_semaphore<> free_{2};
    std::counting_semaphore<> full_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

std::optional<std::string> read_chunks(const std::string& path, const ChunkSink& sink) {
    const InputFile input(path);
    const int fd = input.fd;
    if (fd < 0) return errno_text();
    // Tells the kernel to read ahead generously; a pipe simply refuses the advice.
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        OverlappedReader reader(fd);
        return reader.feed(sink);
    }
    std::uint8_t* buffer = chunk_buffer();
    for (;;) {
        const ssize_t got = read(fd, buffer, kChunkSize);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno_text();
        if (got == 0) return std::nullopt;
        sink(buffer, static_cast<std::size_t>(got));
    }
}

Output::Output(const std::string& path) {
    if (path.empty() || path == "-") return;
    path_ = path;
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "." + base + ".XXXXXX";
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw Failure(quote_name(path) + ": cannot create a file beside it: " + errno_text());
    temp_path_ = pattern;
}

Output::~Output() {
    if (temp_path_.empty()) return;
    close(fd_);
    unlink(temp_path_.c_str());
}

void Output::write(const std::uint8_t* data, std::size_t length) {
    while (length > 0) {
        const ssize_t put = ::write(fd_, data, length);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) {
            throw Failure((path_.empty() ? std::string("standard output") : quote_name(path_)) +
                          ": write error: " + errno_text());
        }
        data += put;
        length -= static_cast<std::size_t>(put);
    }
}

void Output::commit() {
    if (temp_path_.empty()) return;
    // mkostemp makes the file private; the finished file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd_, 0666 & ~mask) != 0 || close(fd_) != 0) {
        fd_ = -1;
        throw Failure(quote_name(path_) + ": write error: " + errno_text());
    }
    fd_ = -1;
    if (rename(temp_path_.c_str(), path_.c_str()) != 0) {
        throw Failure(quote_name(path_) + ": cannot replace: " + errno_text());
    }
    temp_path_.clear();
}

}  // namespace zlc_cli
