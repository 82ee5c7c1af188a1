#pragma once
// The files behind the modules loaded in this process, and whole reads of one of them.
#include <cstddef>
#include <cstdint>

namespace zlc::platform {

// Called once per loaded module with its path, NUL-terminated and never shortened.
using ModuleVisitor = void (*)(const char* path, void* context);

// Visits the program itself first (the target of /proc/self/exe), then every shared object in
// the order the dynamic loader lists them. Entries without a name (the program's own entry in
// that list) and a program path the kernel cannot report whole are left out.
void list_loaded_modules(ModuleVisitor visit, void* context) noexcept;

// A regular file opened for reading, closed when the object goes.
class FileReader {
  public:
    explicit FileReader(const char* path) noexcept;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // False when the file could not be opened or is not a regular file.
    [[nodiscard]] bool is_open() const noexcept { return fd_ >= 0; }
    // The size in bytes, found by seeking to the end and back to the start; -1 when a seek fails.
    [[nodiscard]] std::int64_t size() noexcept;
    // Reads exactly n bytes from the current position; false when fewer arrive.
    [[nodiscard]] bool read_exact(std::uint8_t* out, std::size_t n) noexcept;

  private:
    int fd_ = -1;
};

}  // namespace zlc::platform
