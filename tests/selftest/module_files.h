#pragma once
// Copies of the signed library, altered or not, in a scratch directory of their own; and the
// scopes over the self-test seams.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "crypto/selftest/integrity.h"
#include "crypto/selftest/self_test.h"

namespace zlc::test {

namespace fs = std::filesystem;

inline std::vector<std::uint8_t> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// True when a path this process runs from already carries the module marker, as when the
// checkout lies under such a directory: then the program itself is a marked module.
inline bool program_path_is_marked() {
    return fs::read_symlink("/proc/self/exe").string().find(selftest::kModuleMarker) !=
           std::string::npos;
}

// A fresh directory under the system's temporary directory, removed with everything in it.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        std::string name = (fs::temp_directory_path() / "zlc-selftest-XXXXXX").string();
        if (mkdtemp(name.data()) != nullptr) path_ = name;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// The module seen by the integrity test while the scope lasts.
class ModulePathScope {
  public:
    explicit ModulePathScope(const std::string& path)
        : path_(path), previous_(selftest::replace_module_path(path_.c_str())) {}
    ~ModulePathScope() { selftest::replace_module_path(previous_); }
    ModulePathScope(const ModulePathScope&) = delete;
    ModulePathScope& operator=(const ModulePathScope&) = delete;

  private:
    std::string path_;
    const char* previous_;
};

// Records the steps of every sequence that runs while the scope lasts.
class StepRecorder {
  public:
    StepRecorder() {
        steps().clear();
        previous_ = selftest::observe_steps([](selftest::Step step) { steps().push_back(step); });
    }
    ~StepRecorder() { selftest::observe_steps(previous_); }
    StepRecorder(const StepRecorder&) = delete;
    StepRecorder& operator=(const StepRecorder&) = delete;

    static std::vector<selftest::Step>& steps() {
        static std::vector<selftest::Step> recorded;
        return recorded;
    }
    static long runs() {
        long n = 0;
        for (const auto step : steps()) n += step == selftest::Step::Integrity ? 1 : 0;
        return n;
    }

  private:
    selftest::StepObserver previous_;
};

}  // namespace zlc::test
