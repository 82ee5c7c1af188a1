// The integrity test as a process that loads copies of the signed library sees it: each case is a
// child process that loads its copies by path in order, then runs the first copy's self-test.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/selftest/module_files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct ChildResult {
    int exit_status = -1;
    std::string output;
};

ChildResult run_child(const std::vector<std::string>& libraries) {
    ChildResult result;
#ifdef ZLC_SELF_TEST_CHILD
    std::vector<std::string> args{ZLC_SELF_TEST_CHILD};
    args.insert(args.end(), libraries.begin(), libraries.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fds[1]);
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(pipe_fds[0], buffer, sizeof(buffer))) > 0) {
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipe_fds[0]);
    int status = 0;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.exit_status = WEXITSTATUS(status);
    }
#else
    (void)libraries;
#endif
    return result;
}

class LoadedModules : public ::testing::Test {
  protected:
    void SetUp() override {
#if !defined(ZLC_SIGNED_LIBRARY) || !defined(ZLC_SELF_TEST_CHILD)
        GTEST_SKIP() << "built without the module signature";
#else
        contents_ = zlc::test::read_bytes(ZLC_SIGNED_LIBRARY);
        ASSERT_GT(contents_.size(), 4096u);
        ASSERT_FALSE(scratch_.path().empty());
#endif
    }

    // A copy at `relative` under the scratch directory, with one byte flipped when `flip` is
    // given (counted from the end).
    std::string copy(const std::string& relative, std::size_t flip_from_end = 0) {
        auto bytes = contents_;
        if (flip_from_end != 0) bytes[bytes.size() - flip_from_end] ^= 0x01;
        const fs::path path = scratch_.path() / relative;
        zlc::test::write_bytes(path, bytes);
        return path.string();
    }
    // A name under the scratch directory whose whole path has exactly `length` characters.
    std::string path_of_length(std::size_t length, const std::string& file) {
        const std::size_t fixed = scratch_.path().string().size() + 2 + file.size();
        if (length <= fixed || length - fixed > 255) return {};
        return std::string(length - fixed, 'p') + "/" + file;
    }

    // The byte just before the signature lies in the section headers, which the loader never
    // reads, so the changed copy still loads; a changed last byte alters the signature.
    static constexpr std::size_t kSignedByte = 257;
    static constexpr std::size_t kSignatureByte = 1;

    std::vector<std::uint8_t> contents_;
    zlc::test::ScratchDirectory scratch_;
};

TEST_F(LoadedModules, TheLastMarkedModuleListedIsVerified) {
    const std::string good = copy("libzeltavine_good.so");
    const std::string at_260 = path_of_length(260, "libzeltavine_b.so");
    const std::string at_261 = path_of_length(261, "libzeltavine_b.so");
    ASSERT_FALSE(at_260.empty() || at_261.empty()) << "temporary directory path too long";
    struct Case {
        const char* what;
        std::vector<std::string> libraries;
        const char* expected;
    };
    const Case cases[] = {
        {"a signed copy", {good}, "00000000"},
        {"a byte changed before the signature",
         {copy("libzeltavine_content.so", kSignedByte)},
         "1a010019"},
        {"a changed signature", {copy("libzeltavine_signature.so", kSignatureByte)}, "1a010019"},
        {"good, then bad", {good, copy("libzeltavine_bad.so", kSignedByte)}, "1a010019"},
        {"bad, then good", {copy("libzeltavine_bad.so", kSignedByte), good}, "00000000"},
        // The marker is matched case-sensitively, anywhere in the path.
        {"good, then bad with an upper-case marker",
         {good, copy("libZELTAVINE_bad.so", kSignedByte)},
         "00000000"},
        {"good, then bad in a marked directory",
         {good, copy("zeltavine_dir/libplain.so", kSignedByte)},
         "1a010019"},
        // Paths fit 260 characters; a longer one is skipped, not cut short.
        {"good, then bad at 260 characters", {good, copy(at_260, kSignedByte)}, "1a010019"},
        {"good, then bad at 261 characters", {good, copy(at_261, kSignedByte)}, "00000000"},
    };
    for (const Case& c : cases) {
        const ChildResult run = run_child(c.libraries);
        EXPECT_EQ(run.exit_status, 0) << c.what;
        EXPECT_EQ(run.output, std::string(c.expected) + "\n") << c.what;
    }
}

TEST_F(LoadedModules, NoMarkedModuleIsReported) {
    if (zlc::test::program_path_is_marked()) {
        GTEST_SKIP() << "the build's own path carries the module marker";
    }
    const ChildResult run = run_child({copy("libplain.so"), copy("libZELTAVINE_upper.so")});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.output, "1a010050\n");
}

}  // namespace
