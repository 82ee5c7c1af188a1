#include "md5.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "zlc.h"

namespace tessarin {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

struct UnitDeleter {
    void operator()(DIGEST_UNIT* unit) const { ZLC_Free_DIGEST_Unit(unit); }
};

// The digest block handed out by the library-facing step: digest length + 4 bytes, wiped over the
// digest length when released.
class DigestBlock {
  public:
    DigestBlock() = default;
    ~DigestBlock() { WipeAndFree(block_, length_); }
    DigestBlock(const DigestBlock&) = delete;
    DigestBlock& operator=(const DigestBlock&) = delete;

    bool allocate(std::int32_t digest_length) {
        block_ = static_cast<std::uint8_t*>(
            ZLC_Malloc(static_cast<std::size_t>(digest_length) + 4, __FILE__, __LINE__));
        if (block_ == nullptr) return false;
        length_ = digest_length;
        std::memset(block_, 0, static_cast<std::size_t>(digest_length) + 1);
        return true;
    }
    std::uint8_t* data() const { return block_; }

  private:
    std::uint8_t* block_ = nullptr;
    std::int32_t length_ = 0;
};

// "Begins with" compares the literal's full length against the zero-filled buffer, so a name
// shorter than the literal never matches.
bool begins_with(const std::array<char, 32>& name, std::string_view literal) {
    return std::memcmp(name.data(), literal.data(), literal.size()) == 0;
}

bool equals(const std::array<char, 32>& name, std::string_view literal) {
    return begins_with(name, literal) && name[literal.size()] == '\0';
}

std::int64_t read_block(int fd, std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, capacity);
        if (n >= 0) return n;
        if (errno != EINTR) return kSourceFailed;
    }
}

}  // namespace

CMD5::~CMD5() = default;

QString CMD5::GetFileDigestText(const QString& path, const ProgressCallback& progress) {
    return GetFileDigestTexts(path, {"SHA256"}, progress).front();
}

std::vector<QString> CMD5::GetFileDigestTexts(const QString& path,
                                              const std::vector<const char*>& names,
                                              const ProgressCallback& progress) {
    std::vector<QString> texts(names.size());
    if (path.isEmpty() || names.empty()) return texts;
    std::vector<ByteString> digests;
    if (DigestFile(QFile::encodeName(path), names, progress, digests) != kStatusOk) return texts;
    for (std::size_t i = 0; i < names.size(); ++i)
        texts[i] = AnsiToWide(BytesToUpperHex(digests[i]));
    return texts;
}

std::uint32_t DigestFile(const QByteArray& native_path, const ProgressCallback& progress,
                         ByteString& digest) {
    std::vector<ByteString> digests;
    const std::uint32_t status = DigestFile(native_path, {"SHA256"}, progress, digests);
    digest = status == kStatusOk ? std::move(digests.front()) : ByteString();
    return status;
}

std::uint32_t DigestFile(const QByteArray& native_path, const std::vector<const char*>& names,
                         const ProgressCallback& progress, std::vector<ByteString>& digests) {
    digests.clear();
    // An embedded NUL would silently open a shorter path.
    if (native_path.isEmpty() || native_path.contains('\0')) return kStatusCannotOpen;

    // Non-blocking so that a FIFO without a writer or a device cannot stall the window; only a
    // regular file is read at all.
    FileDescriptor file(
        ::open(native_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return kStatusCannotOpen;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return kStatusCannotOpen;
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return kStatusCannotOpen;
    ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const std::int64_t total = info.st_size;
    std::int64_t done = 0;
    const BlockSource source = [&](std::uint8_t* buffer, std::size_t capacity) -> std::int64_t {
        if (done > 0 && progress && !progress(done, total)) return kSourceCancelled;
        const std::int64_t n = read_block(file.get(), buffer, capacity);
        if (n > 0) done += n;
        return n;
    };
    const std::uint32_t status = DigestStreamByNames(source, names, digests);
    if (status == kStatusOk && progress && !progress(done, total)) {
        digests.clear();
        return kStatusCancelled;
    }
    return status;
}

std::uint32_t DigestStreamByName(const BlockSource& source, const char* name, ByteString& digest) {
    std::vector<ByteString> digests;
    const std::uint32_t status = DigestStreamByNames(source, {name}, digests);
    digest = status == kStatusOk ? std::move(digests.front()) : ByteString();
    return status;
}

std::uint32_t DigestStreamByNames(const BlockSource& source, const std::vector<const char*>& names,
                                  std::vector<ByteString>& digests) {
    digests.clear();
    if (names.empty()) return kStatusNoName;
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[kReadBlockSize]);
    if (!buffer) return kStatusNothingToDigest;
    std::int64_t length = source(buffer.get(), kReadBlockSize);
    // An empty file gives no digest at all, never the digest of empty input.
    if (length == kSourceCancelled) return kStatusCancelled;
    if (length <= 0) return kStatusNothingToDigest;

    struct Digest {
        std::unique_ptr<DIGEST_UNIT, UnitDeleter> unit;
        DigestBlock block;
    };
    std::vector<Digest> running(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Digest& digest = running[i];
        digest.unit.reset(ZLC_New_DIGEST_Unit());
        if (!digest.unit) return kStatusUnitAlloc;
        std::uint32_t id = 0;
        if (const std::uint32_t status = DigestNameToId(names[i], id); status != kStatusOk)
            return status;
        const std::int32_t digest_length = ZLC_Get_DIGEST_Length(id);
        if (digest_length <= 0) return kStatusNoLength;
        if (!digest.block.allocate(digest_length)) return kStatusBlockAlloc;
        if (const std::uint32_t status = ZLC_Init_DIGEST(digest.unit.get(), id);
            status != kStatusOk) {
            return status;
        }
    }

    while (length > 0) {
        for (Digest& digest : running) {
            const std::uint32_t status = ZLC_Update_DIGEST(digest.unit.get(), buffer.get(),
                                                           static_cast<std::int32_t>(length));
            if (status != kStatusOk) return status;
        }
        length = source(buffer.get(), kReadBlockSize);
    }
    if (length == kSourceCancelled) return kStatusCancelled;
    if (length < 0) return kStatusNothingToDigest;
    std::vector<ByteString> results;
    for (Digest& digest : running) {
        std::int32_t out_length = 0;
        if (const std::uint32_t status =
                ZLC_Final_DIGEST(digest.unit.get(), digest.block.data(), &out_length);
            status != kStatusOk) {
            return status;
        }
        results.emplace_back(digest.block.data(), digest.block.data() + out_length);
    }
    digests = std::move(results);
    return kStatusOk;
}

std::uint32_t DigestNameToId(const char* name, std::uint32_t& id) {
    if (name == nullptr) return kStatusNoName;
    std::array<char, 32> upper{};
    for (std::size_t i = 0; i + 1 < upper.size() && name[i] != '\0'; ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    }
    if (std::strlen(upper.data()) < 3) return kStatusShortName;

    struct Rule {
        std::string_view literal;
        std::string_view alternative;
        bool exact;
        std::uint32_t id;
    };
    static constexpr std::array<Rule, 8> kRules = {{
        {"MD5", {}, false, ZLC_MD5},
        {"MDC2", {}, false, ZLC_MDC2},
        {"SHA1", "SHA-1", true, ZLC_SHA1},
        {"SHA224", "SHA-224", false, ZLC_SHA224},
        {"SHA256", "SHA-256", false, ZLC_SHA256},
        {"SHA384", "SHA-384", false, ZLC_SHA384},
        {"SHA512", "SHA-512", false, ZLC_SHA512},
        {"HAS160", "HAS-160", false, ZLC_HAS160},
    }};
    const auto holds = [&upper](const Rule& rule, std::string_view literal) {
        return !literal.empty() &&
               (rule.exact ? equals(upper, literal) : begins_with(upper, literal));
    };
    for (const Rule& rule : kRules) {
        if (holds(rule, rule.literal) || holds(rule, rule.alternative)) {
            id = rule.id;
            return kStatusOk;
        }
    }
    return kStatusUnknownName;
}

std::string BytesToUpperHex(const ByteString& bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        std::array<char, 10> pair{};
        std::snprintf(pair.data(), pair.size(), "%02X", static_cast<unsigned>(byte));
        text.append(pair.data(), 2);
    }
    return text;
}

QString AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

void WipeAndFree(void* block, std::int32_t length) {
    if (block != nullptr) ZLC_Free_Ex(block, length);
}

}  // namespace tessarin
