#pragma once
// The file digest service: turns a file path into the upper-case hexadecimal SHA-256 text that the
// main window shows. Every failure yields an empty text; statuses stay inside the service and are
// exposed here only so they can be tested. Depends on Qt Core and the library's C interface only.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessarin {

using ByteString = std::vector<std::uint8_t>;

// Told after every block with the bytes read so far and the file's size (0 when the file reports
// none); returning false stops the work.
using ProgressCallback = std::function<bool(std::int64_t done, std::int64_t total)>;

// Fills at most `capacity` bytes of `buffer`: the count read, 0 at the end, or one of the
// kSource... values below.
using BlockSource = std::function<std::int64_t(std::uint8_t* buffer, std::size_t capacity)>;
inline constexpr std::int64_t kSourceFailed = -1;
inline constexpr std::int64_t kSourceCancelled = -2;

inline constexpr std::uint32_t kStatusOk = 0;
inline constexpr std::uint32_t kStatusNothingToDigest = 1;  // empty file, read failure, no buffer
inline constexpr std::uint32_t kStatusCancelled = 2;        // stopped through the progress callback
inline constexpr std::uint32_t kStatusCannotOpen = 10;  // missing, no access, not a regular file
inline constexpr std::uint32_t kStatusBlockAlloc = 0xA1010001u;
inline constexpr std::uint32_t kStatusUnitAlloc = 0xA1010020u;
inline constexpr std::uint32_t kStatusNoLength = 0xA1010022u;
inline constexpr std::uint32_t kStatusNoName = 0xB1080002u;
inline constexpr std::uint32_t kStatusShortName = 0xB1080003u;
inline constexpr std::uint32_t kStatusUnknownName = 0xB1080010u;
inline constexpr std::uint32_t kStatusUnset = 0xFFFFFFFFu;

// Large enough that system-call overhead vanishes beside hashing, small enough to keep memory flat.
inline constexpr std::size_t kReadBlockSize = std::size_t{1} << 20;

class CMD5 {
  public:
    CMD5() = default;
    virtual ~CMD5();
    CMD5(const CMD5&) = delete;
    CMD5& operator=(const CMD5&) = delete;

    // SHA-256 of the file as 64 upper-case hexadecimal characters, or an empty text when the path
    // is empty, the file cannot be opened or is not a regular file, it is empty, a read fails, or
    // the progress callback cancels.
    QString GetFileDigestText(const QString& path, const ProgressCallback& progress = {});

    // The file's digest under each of `names` (see DigestNameToId), read once: one text per name,
    // every one empty when any of them cannot be produced.
    std::vector<QString> GetFileDigestTexts(const QString& path,
                                            const std::vector<const char*>& names,
                                            const ProgressCallback& progress = {});
};

// Digests a regular file in blocks of kReadBlockSize. A directory, FIFO, device or socket gives
// kStatusCannotOpen at once: the file is opened non-blocking and checked before any read.
std::uint32_t DigestFile(const QByteArray& native_path, const ProgressCallback& progress,
                         ByteString& digest);
// The same under several algorithms in one pass: one digest per name, all of them or none.
std::uint32_t DigestFile(const QByteArray& native_path, const std::vector<const char*>& names,
                         const ProgressCallback& progress, std::vector<ByteString>& digests);

// Digests everything `source` delivers with the algorithm `name`. Nothing at all to read gives
// kStatusNothingToDigest without touching the library; a failed read gives the same, so a prefix
// is never passed off as the whole.
std::uint32_t DigestStreamByName(const BlockSource& source, const char* name, ByteString& digest);
// The same under several algorithms, each block fed to every one of them. The first failing name
// decides the status; an empty list gives kStatusNoName.
std::uint32_t DigestStreamByNames(const BlockSource& source, const std::vector<const char*>& names,
                                  std::vector<ByteString>& digests);

// Looks up a digest name ("sha-256", "Sha256", "MD5", ...): case-insensitive, hyphen optional,
// the prefix rules of the service. Only the first 31 characters take part.
std::uint32_t DigestNameToId(const char* name, std::uint32_t& id);

std::string BytesToUpperHex(const ByteString& bytes);
QString AnsiToWide(const std::string& text);

// Zeroes the first `length` bytes of a block from ZLC_Malloc and releases it; null does nothing.
void WipeAndFree(void* block, std::int32_t length);

}  // namespace tessarin
