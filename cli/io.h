#pragma once
// The helpers every command shares: the failure that ends a command, hexadecimal text, chunked
// reading of a file or standard input, and an output file that appears only when complete.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zlc_cli {

// Ends the running command: main prints "zlc: <what>" on standard error and exits with `code`.
class Failure : public std::runtime_error {
  public:
    explicit Failure(const std::string& message, int code = 1)
        : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

  private:
    int code_;
};

// Bytes that are wiped when released (keys, IVs).
class SecretBytes {
  public:
    SecretBytes() = default;
    explicit SecretBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    SecretBytes(SecretBytes&& other) noexcept : bytes_(std::move(other.bytes_)) {}
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    ~SecretBytes();
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }

  private:
    std::vector<std::uint8_t> bytes_;
};

// A library status as the header writes it: "0x0A010059".
std::string status_text(std::uint32_t status);

std::string to_hex(const std::uint8_t* bytes, std::size_t count);
// Upper- or lower-case digits, two per byte; nullopt for anything else.
std::optional<std::vector<std::uint8_t>> from_hex(std::string_view text);
// from_hex for a command-line value; a Failure naming `option` when the text is not hexadecimal.
SecretBytes parse_hex_option(std::string_view option, std::string_view text);

// A file name as the shell would accept it back, the way coreutils quotes names in messages:
// bare when harmless, else in single quotes, control characters as $'\n'.
std::string quote_name(const std::string& name);

// One read buffer per process, sized for throughput (1 MiB) with a spare block at the end for
// the cipher's Update, which may write one block more than it reads.
constexpr std::size_t kChunkSize = std::size_t{1} << 20;
constexpr std::size_t kChunkSlack = 32;
std::uint8_t* chunk_buffer();

using ChunkSink = std::function<void(std::uint8_t* data, std::size_t length)>;
// Feeds the file (standard input for "-") to `sink` in chunks of at most kChunkSize bytes, each
// with kChunkSlack bytes of room behind it; a regular file is read on a second thread while the
// sink works on the previous chunk. Returns the system's error text when the file cannot be
// opened or read.
std::optional<std::string> read_chunks(const std::string& path, const ChunkSink& sink);

// Standard output for "" or "-"; otherwise a temporary file beside `path` that becomes `path`
// on commit() and is removed if the object goes away first.
class Output {
  public:
    explicit Output(const std::string& path);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output();
    void write(const std::uint8_t* data, std::size_t length);
    void commit();

  private:
    std::string path_;
    std::string temp_path_;
    int fd_ = 1;
};

}  // namespace zlc_cli
