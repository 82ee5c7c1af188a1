// The zlc tool run as a user runs it, beside coreutils' sha*sum and the openssl command as
// oracles: output bytes, messages on standard error, exit statuses, and the files left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string random_bytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

// "0001..." of the given length in bytes, as hex.
std::string pattern_hex(std::size_t bytes, unsigned start) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned value = (start + 7 * i) & 0xFF;
        hex += kDigits[value >> 4];
        hex += kDigits[value & 15];
    }
    return hex;
}

// "-aes-128-cbc": the cipher as an option of `openssl enc`.
std::string openssl_cipher_option(const char* name) {
    std::string option = "-";
    option += name;
    return option;
}

std::string to_lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Replaces every "tool:" at a line start by "zlc:", so coreutils' messages can be compared.
std::string as_zlc_messages(const std::string& text, const std::string& tool) {
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(tool + ":", 0) == 0) line = "zlc:" + line.substr(tool.size() + 1);
        out += line + "\n";
    }
    return out;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zlc_cli_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(const std::string& name) const { return dir_ / name; }
    void put(const std::string& name, const std::string& bytes) const {
        write_file(path(name), bytes);
    }
    std::string get(const std::string& name) const { return read_file(path(name)); }

    // Runs a program (found on PATH unless the name holds a slash) in the test's folder, with
    // `input` on standard input.
    Result run(const std::vector<std::string>& argv, const std::string& input = "",
               const fs::path& stdout_path = {}) const {
        const fs::path in = dir_ / ".stdin", err = dir_ / ".stderr";
        const fs::path out = stdout_path.empty() ? dir_ / ".stdout" : stdout_path;
        write_file(in, input);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        pid_t pid = 0;
        Result result;
        const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << argv[0];
        if (spawned != 0) return result;
        int wait_status = 0;
        waitpid(pid, &wait_status, 0);
        result.status =
            WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
        result.err = read_file(err);
        fs::remove(in);
        fs::remove(err);
        if (stdout_path.empty()) {
            result.out = read_file(out);
            fs::remove(out);
        }
        return result;
    }

    Result zlc(std::vector<std::string> args, const std::string& input = "",
               const fs::path& stdout_path = {}) const {
        args.insert(args.begin(), ZLC_CLI_PATH);
        return run(args, input, stdout_path);
    }

    std::set<std::string> listing() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir_;
};

// Names coreutils escapes in its output (backslash, newline, carriage return) beside plain ones.
const std::vector<std::pair<std::string, std::string>> kDigestFiles = {
    {"empty", ""},        {"abc", "abc"},     {"three chunks", random_bytes((3u << 20) + 7, 1)},
    {"back\\slash", "x"}, {"new\nline", "y"}, {"carriage\rreturn", "z"},
};

TEST_F(CliTest, DgstPrintsWhatCoreutilsPrints) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : kDigestFiles) {
        put(name, bytes);
        names.push_back(name);
    }
    const std::pair<const char*, const char*> kAlgorithms[] = {
        {"sha256", "sha256sum"}, {"sha1", "sha1sum"},     {"sha224", "sha224sum"},
        {"sha384", "sha384sum"}, {"sha512", "sha512sum"}, {"md5", "md5sum"},
    };
    for (const auto& [algorithm, tool] : kAlgorithms) {
        SCOPED_TRACE(algorithm);
        for (const bool tagged : {false, true}) {
            std::vector<std::string> ours = {"dgst", "-a", algorithm};
            std::vector<std::string> theirs = {tool};
            if (tagged) {
                ours.push_back("--tag");
                theirs.push_back("--tag");
            }
            ours.insert(ours.end(), names.begin(), names.end());
            theirs.insert(theirs.end(), names.begin(), names.end());
            const Result expected = run(theirs);
            const Result actual = zlc(ours);
            EXPECT_EQ(actual.status, 0);
            EXPECT_EQ(actual.out, expected.out);
            EXPECT_EQ(actual.err, "");
        }
        // Standard input, implied and as "-".
        const Result expected = run({tool}, "abc");
        EXPECT_EQ(zlc({"dgst", "-a", algorithm}, "abc").out, expected.out);
        EXPECT_EQ(zlc({"dgst", "-a", algorithm, "-"}, "abc").out, expected.out);
    }
    EXPECT_EQ(zlc({"dgst", "abc"}).out, run({"sha256sum", "abc"}).out);  // sha256 by default
    const Result openssl = run({"openssl", "dgst", "-sha256", "-r", "three chunks"});
    EXPECT_EQ(zlc({"dgst", "three chunks"}).out.substr(0, 64), openssl.out.substr(0, 64));
}

TEST_F(CliTest, DgstHas160AndMdc2MatchPublishedDigests) {
    // tests/vectors/digest/has160_ttas_ko_12_0011.txt ("abc") and tests/vectors/mdc2/mdc2_des.txt.
    put("abc", "abc");
    put("fox", "The quick brown fox jumps over the lazy dog");
    EXPECT_EQ(zlc({"dgst", "-a", "has160", "abc"}).out,
              "975e810488cf2a3d49838478124afce4b1c78804  abc\n");
    EXPECT_EQ(zlc({"dgst", "-a", "mdc2", "--tag", "fox"}).out,
              "MDC2 (fox) = 000ed54e093d61679aefbeae05bfe33a\n");
    EXPECT_EQ(zlc({"dgst", "-a", "has160", "--tag"}, "abc").out,
              "HAS160 (-) = 975e810488cf2a3d49838478124afce4b1c78804\n");
}

TEST_F(CliTest, DgstMissingFileReportedLikeCoreutils) {
    put("abc", "abc");
    const Result expected = run({"sha256sum", "abc", "missing", "abc"});
    const Result actual = zlc({"dgst", "abc", "missing", "abc"});
    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(actual.status, 1);
    EXPECT_EQ(actual.out, expected.out);
    EXPECT_EQ(actual.err, as_zlc_messages(expected.err, "sha256sum"));
}

// The same list checked by zlc and by coreutils: every line, message and the exit status agree.
TEST_F(CliTest, DgstCheckAgreesWithCoreutils) {
    for (const auto& [name, bytes] : kDigestFiles) put(name, bytes);
    std::string all_good =
        run({"sha256sum", "abc", "empty", "back\\slash", "new\nline", "carriage\rreturn"}).out;
    all_good += run({"sha256sum", "--tag", "three chunks", "new\nline"}).out;
    const std::string abc = run({"sha256sum", "abc"}).out.substr(0, 64);
    std::string upper = abc;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    const std::string mixed = all_good + "# a comment\n\n" + abc + "  empty\n" +  // mismatch
                              abc + "  missing\n" + "not a checksum line\n" +
                              "MD5 (abc) = " + run({"md5sum", "abc"}).out.substr(0, 32) + "\n" +
                              upper + " *abc\r\n" + "   " + abc + "  abc\n" +
                              "SHA256(abc)= " + abc + "\n" + abc + "  nope\n";
    const std::string garbage = "one\ntwo\n";
    put("good.sha256", all_good);
    put("mixed.sha256", mixed);
    put("garbage.sha256", garbage);
    const std::vector<std::vector<std::string>> kLists = {
        {"good.sha256"},
        {"mixed.sha256"},
        {"garbage.sha256"},
        {"absent.sha256"},
        {"good.sha256", "mixed.sha256"},
    };
    for (const auto& lists : kLists) {
        SCOPED_TRACE(lists[0]);
        std::vector<std::string> ours = {"dgst", "-c"};
        std::vector<std::string> theirs = {"sha256sum", "-c"};
        ours.insert(ours.end(), lists.begin(), lists.end());
        theirs.insert(theirs.end(), lists.begin(), lists.end());
        const Result expected = run(theirs);
        const Result actual = zlc(ours);
        EXPECT_EQ(actual.status, expected.status);
        EXPECT_EQ(actual.out, expected.out);
        EXPECT_EQ(actual.err, as_zlc_messages(expected.err, "sha256sum"));
    }
    EXPECT_EQ(zlc({"dgst", "-c", "good.sha256"}).status, 0);
    EXPECT_EQ(zlc({"dgst", "-c", "mixed.sha256"}).status, 1);
    // The list on standard input.
    const Result expected = run({"sha256sum", "-c"}, garbage);
    const Result actual = zlc({"dgst", "-c"}, garbage);
    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(actual.err, as_zlc_messages(expected.err, "sha256sum"));
    // Another algorithm's list.
    put("list.md5",
        run({"md5sum", "abc", "empty"}).out + "00000000000000000000000000000000  abc\n");
    EXPECT_EQ(zlc({"dgst", "-a", "md5", "-c", "list.md5"}).out,
              run({"md5sum", "-c", "list.md5"}).out);
}

TEST_F(CliTest, HmacMatchesOpenssl) {
    put("empty", "");
    put("data", random_bytes(100000, 2));
    const std::pair<const char*, const char*> kAlgorithms[] = {
        {"sha256", "SHA256"}, {"sha1", "SHA1"},     {"sha224", "SHA224"},
        {"sha384", "SHA384"}, {"sha512", "SHA512"}, {"md5", "MD5"},
    };
    // A short key and one longer than every block, which is digested first.
    for (const std::string& key : {pattern_hex(20, 3), pattern_hex(200, 9)}) {
        for (const auto& [algorithm, openssl_name] : kAlgorithms) {
            for (const std::string file : {"empty", "data"}) {
                SCOPED_TRACE(std::string(algorithm) + " " + file + " key " +
                             std::to_string(key.size() / 2));
                const Result expected = run({"openssl", "mac", "-digest", openssl_name, "-macopt",
                                             "hexkey:" + key, "-in", file, "HMAC"});
                ASSERT_EQ(expected.status, 0) << expected.err;
                const Result actual = zlc({"hmac", "-a", algorithm, "-k", key, file});
                EXPECT_EQ(actual.status, 0) << actual.err;
                EXPECT_EQ(actual.out, to_lower(expected.out.substr(0, expected.out.size() - 1)) +
                                          "  " + file + "\n");
            }
        }
    }
    EXPECT_EQ(zlc({"hmac", "-k", "6b6579"}, "abc").out,
              run({"openssl", "dgst", "-sha256", "-hmac", "key", "-r"}, "abc").out.substr(0, 64) +
                  "  -\n");
}

struct SharedCipher {
    const char* name;
    std::size_t key_bytes;
    std::size_t block_bytes;
};

// Every cipher and mode zlc shares with OpenSSL, under OpenSSL's name.
std::vector<SharedCipher> shared_ciphers() {
    std::vector<SharedCipher> ciphers;
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names;
        for (const char* family :
             {"aes-128", "aes-192", "aes-256", "aria-128", "aria-192", "aria-256"}) {
            for (const char* mode : {"ecb", "cbc", "cfb", "ofb", "ctr"})
                names.push_back(std::string(family) + "-" + mode);
        }
        for (const char* family : {"seed", "des", "des-ede", "des-ede3", "bf", "rc2"}) {
            for (const char* mode : {"ecb", "cbc", "cfb", "ofb"})
                names.push_back(std::string(family) + "-" + mode);
        }
        names.push_back("rc2-40-cbc");
        names.push_back("rc2-64-cbc");
        return names;
    }();
    for (const auto& name : kNames) {
        std::size_t key = 16, block = 16;
        if (name.rfind("aes-192", 0) == 0 || name.rfind("aria-192", 0) == 0 ||
            name.rfind("des-ede3", 0) == 0)
            key = 24;
        if (name.rfind("aes-256", 0) == 0 || name.rfind("aria-256", 0) == 0) key = 32;
        if (name.rfind("des-", 0) == 0 && name.rfind("des-ede", 0) != 0) key = 8;
        if (name.rfind("rc2-40", 0) == 0) key = 5;
        if (name.rfind("rc2-64", 0) == 0) key = 8;
        if (name.rfind("des", 0) == 0 || name.rfind("bf", 0) == 0 || name.rfind("rc2", 0) == 0)
            block = 8;
        ciphers.push_back({name.c_str(), key, block});
    }
    return ciphers;
}

bool is_block_mode(const std::string& name) {
    return name.find("-ecb") != std::string::npos || name.find("-cbc") != std::string::npos;
}

TEST_F(CliTest, EncAndDecMatchOpensslForEverySharedCipher) {
    put("empty", "");
    put("odd", random_bytes(1001, 3));
    put("whole", random_bytes(4096, 4));
    for (const auto& cipher : shared_ciphers()) {
        const std::string key = pattern_hex(cipher.key_bytes, 0x10);
        const std::string iv = pattern_hex(cipher.block_bytes, 0xA0);
        const bool block_mode = is_block_mode(cipher.name);
        // Padding for ecb and cbc; -nopad on whole blocks only. Stream modes take any length.
        const std::vector<std::pair<std::string, bool>> inputs = {
            {"empty", false}, {"odd", false}, {"whole", false}, {"whole", true}};
        for (const auto& [input, no_padding] : inputs) {
            if (no_padding && !block_mode) continue;
            SCOPED_TRACE(std::string(cipher.name) + " " + input + (no_padding ? " -nopad" : ""));
            std::vector<std::string> ours = {"-c", cipher.name, "-K", key};
            std::vector<std::string> theirs = {
                "openssl", "enc",       openssl_cipher_option(cipher.name),
                "-K",      key,         "-provider",
                "legacy",  "-provider", "default"};
            if (std::string(cipher.name).find("-ecb") == std::string::npos) {
                ours.insert(ours.end(), {"-iv", iv});
                theirs.insert(theirs.end(), {"-iv", iv});
            }
            if (no_padding) {
                ours.push_back("-nopad");
                theirs.push_back("-nopad");
            }
            std::vector<std::string> encrypt = {"enc", "-in", input, "-out", "ours.enc"};
            encrypt.insert(encrypt.end(), ours.begin(), ours.end());
            theirs.insert(theirs.end(), {"-e", "-in", input, "-out", "theirs.enc"});
            const Result expected = run(theirs);
            ASSERT_EQ(expected.status, 0) << expected.err;
            const Result actual = zlc(encrypt);
            ASSERT_EQ(actual.status, 0) << actual.err;
            EXPECT_EQ(get("ours.enc"), get("theirs.enc"));

            std::vector<std::string> decrypt = {"dec", "-in", "theirs.enc", "-out", "ours.dec"};
            decrypt.insert(decrypt.end(), ours.begin(), ours.end());
            const Result decrypted = zlc(decrypt);
            ASSERT_EQ(decrypted.status, 0) << decrypted.err;
            EXPECT_EQ(get("ours.dec"), get(input));
        }
    }
}

TEST_F(CliTest, CiphersWithoutOpensslPeerRoundTrip) {
    put("odd", random_bytes(1001, 5));
    std::vector<std::string> names;
    for (const char* family : {"lea-128", "lea-192", "lea-256", "seed256", "rc5"}) {
        for (const char* mode : {"ecb", "cbc", "cfb", "ofb", "ctr"})
            names.push_back(std::string(family) + "-" + mode);
    }
    for (const char* name :
         {"seed-ctr", "des-ctr", "des-ede-ctr", "des-ede3-ctr", "bf-ctr", "rc2-40-ecb",
          "rc2-40-cfb", "rc2-40-ofb", "rc2-64-ecb", "rc2-64-cfb", "rc2-64-ofb"}) {
        names.push_back(name);
    }
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        std::size_t key_bytes = 16, block_bytes = 16;
        if (name.rfind("lea-192", 0) == 0 || name.rfind("des-ede3", 0) == 0) key_bytes = 24;
        if (name.rfind("lea-256", 0) == 0 || name.rfind("seed256", 0) == 0) key_bytes = 32;
        if (name == "des-ctr" || name.rfind("rc2-64", 0) == 0) key_bytes = 8;
        if (name.rfind("rc2-40", 0) == 0) key_bytes = 5;
        if (name.rfind("rc5", 0) == 0 || name.rfind("des", 0) == 0 || name.rfind("bf", 0) == 0 ||
            name.rfind("rc2", 0) == 0) {
            block_bytes = 8;
        }
        std::vector<std::string> common = {"-c", name, "-K", pattern_hex(key_bytes, 0x20)};
        if (name.find("-ecb") == std::string::npos)
            common.insert(common.end(), {"-iv", pattern_hex(block_bytes, 0x30)});
        std::vector<std::string> encrypt = {"enc", "-in", "odd", "-out", "odd.enc"};
        encrypt.insert(encrypt.end(), common.begin(), common.end());
        ASSERT_EQ(zlc(encrypt).status, 0);
        const std::string ciphertext = get("odd.enc");
        const std::size_t expected_size =
            is_block_mode(name) ? (1001 / block_bytes + 1) * block_bytes : 1001;
        EXPECT_EQ(ciphertext.size(), expected_size);
        EXPECT_NE(ciphertext.substr(0, 1001), get("odd"));
        std::vector<std::string> decrypt = {"dec"};
        decrypt.insert(decrypt.end(), common.begin(), common.end());
        const Result decrypted = zlc(decrypt, ciphertext);
        EXPECT_EQ(decrypted.status, 0) << decrypted.err;
        EXPECT_EQ(decrypted.out, get("odd"));
    }
}

TEST_F(CliTest, LeaAndRc5MatchPublishedBlocks) {
    // tests/vectors/lea/lea_standard_examples.txt (first) and
    // tests/vectors/rc5/rc5_32_12_16_rivest.txt (first).
    const auto block = [](const std::string& hex) {
        std::string bytes;
        for (std::size_t i = 0; i < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    };
    EXPECT_EQ(zlc({"enc", "-c", "lea-128-ecb", "-nopad", "-K", "0f1e2d3c4b5a69788796a5b4c3d2e1f0"},
                  block("101112131415161718191a1b1c1d1e1f"))
                  .out,
              block("9fc84e3528c6c6185532c7a704648bfd"));
    EXPECT_EQ(zlc({"enc", "-c", "rc5-ecb", "-nopad", "-K", "00000000000000000000000000000000"},
                  block("0000000000000000"))
                  .out,
              block("21a5dbee154b8f6d"));
}

// Five chunks and a bit: the padding held back across chunk boundaries, the counter carried on,
// from a file to a file and from a pipe to a pipe.
TEST_F(CliTest, StreamsFilesLongerThanItsBuffer) {
    const std::string data = random_bytes((5u << 20) + 3, 6);
    put("large", data);
    const std::string key = pattern_hex(16, 1), iv = pattern_hex(16, 2);
    for (const char* name : {"aria-128-cbc", "aria-128-ctr", "aes-128-cfb"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(run({"openssl", "enc", openssl_cipher_option(name), "-K", key, "-iv", iv, "-in",
                       "large", "-out", "large.openssl"})
                      .status,
                  0);
        ASSERT_EQ(
            zlc({"enc", "-c", name, "-K", key, "-iv", iv, "-in", "large", "-out", "large.enc"})
                .status,
            0);
        EXPECT_TRUE(get("large.enc") == get("large.openssl"));
        const Result piped = zlc({"dec", "-c", name, "-K", key, "-iv", iv}, get("large.enc"));
        EXPECT_EQ(piped.status, 0);
        EXPECT_TRUE(piped.out == data);
    }
    const Result digest = zlc({"dgst", "-"}, data);
    EXPECT_EQ(digest.out, run({"sha256sum"}, data).out);
}

// A regular file is read ahead on a second thread: a failure while writing the first chunk must
// still end the command cleanly, the reader stopped, with one message.
TEST_F(CliTest, WriteFailureWhileReadingAheadEndsCleanly) {
    put("large", random_bytes((5u << 20) + 3, 7));
    const Result result = zlc({"enc", "-c", "aria-128-ctr", "-K", pattern_hex(16, 1), "-iv",
                               pattern_hex(16, 2), "-in", "large"},
                              "", "/dev/full");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("No space left on device"), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

// Each failure: one line on standard error naming the problem, a non-zero status, and the output
// file as it was before (here: an older file that must survive), with no temporary left beside it.
TEST_F(CliTest, FailuresLeaveNothingHalfWritten) {
    const std::string key = pattern_hex(16, 1), iv = pattern_hex(16, 2),
                      other_key = pattern_hex(16, 3);
    put("plain", random_bytes((2u << 20) + 5, 7));
    ASSERT_EQ(
        zlc({"enc", "-c", "aes-128-cbc", "-K", key, "-iv", iv, "-in", "plain", "-out", "cipher"})
            .status,
        0);
    put("truncated", get("cipher").substr(0, 1000));
    struct Case {
        std::vector<std::string> args;
        std::string message;
        int status;
    };
    const std::vector<std::string> io = {"-in", "cipher", "-out", "out"};
    const auto with_io = [&](std::vector<std::string> args, const std::vector<std::string>& files) {
        args.insert(args.end(), files.begin(), files.end());
        return args;
    };
    const std::vector<Case> kCases = {
        {with_io({"dec", "--bogus", "-c", "aes-128-cbc", "-K", key, "-iv", iv}, io), "--bogus", 2},
        {with_io({"dec", "-K", key, "-iv", iv}, io), "-c is required", 2},
        {with_io({"dec", "-c", "aes-512-cbc", "-K", key, "-iv", iv}, io),
         "unknown cipher 'aes-512-cbc'", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key.substr(2), "-iv", iv}, io),
         "-K: aes-128-cbc takes a key of 16 bytes (32 hex digits), not 15 bytes", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", "zz" + key.substr(2), "-iv", iv}, io),
         "-K: not a hexadecimal", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key, "-iv", iv + "00"}, io),
         "-iv: aes-128-cbc takes an IV of 16 bytes (32 hex digits), not 17 bytes", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key, "-iv", "0x" + iv.substr(2)}, io),
         "-iv: not a hexadecimal", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key}, io),
         "-iv: aes-128-cbc needs an IV of 16 bytes", 1},
        {with_io({"dec", "-c", "aes-128-ecb", "-K", key, "-iv", iv}, io),
         "-iv: aes-128-ecb takes no IV", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key, "-iv", iv},
                 {"-in", "absent", "-out", "out"}),
         "absent: No such file or directory", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", other_key, "-iv", iv}, io), "bad decrypt", 1},
        {with_io({"dec", "-c", "aes-128-cbc", "-K", key, "-iv", iv},
                 {"-in", "truncated", "-out", "out"}),
         "the input (1000 bytes) is not a whole number of 16-byte blocks", 1},
        {with_io({"enc", "-nopad", "-c", "aes-128-cbc", "-K", key, "-iv", iv},
                 {"-in", "plain", "-out", "out"}),
         "is not a whole number of 16-byte blocks (-nopad)", 1},
        {with_io({"enc", "-c", "aes-128-cbc", "-K", key, "-iv", iv}, {"-in", ".", "-out", "out"}),
         ".: Is a directory", 1},
        {{"hmac", "-k", "abc", "plain"}, "-k: not a hexadecimal", 1},
        {{"hmac", "plain"}, "-k is required", 2},
        {{"dgst", "-a", "sha3", "plain"}, "sha3", 2},
        {{"dgst", "-c", "--tag", "plain"},
         "the --tag option is meaningless when verifying checksums",
         2},
        {{"rand", "-5"}, "N: Value -5 not in range", 2},
        {{"prime", "8"}, "BITS: Value 8 not in range 16 to 16384", 2},
        {{"version", "extra"}, "extra", 2},
        {{}, "A subcommand is required", 2},
    };
    put("out", "older");
    const std::set<std::string> before = listing();
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(no arguments)") : c.args[0] + " " + c.message);
        const Result result = zlc(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.err.rfind("zlc: ", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(get("out"), "older");
        EXPECT_EQ(listing(), before);
    }
}

TEST_F(CliTest, CompareGivesTheDialogsVerdicts) {
    put("one", "same bytes");
    put("two", "same bytes");
    put("three", "other bytes");
    const Result identical = zlc({"compare", "one", "two"});
    EXPECT_EQ(identical.status, 0);
    EXPECT_EQ(identical.out, "두 개의 파일이 동일합니다. (Hash 값 동일)\n");
    const Result different = zlc({"compare", "one", "three"});
    EXPECT_EQ(different.status, 1);
    EXPECT_EQ(different.out, "두 개의 파일이 동일하지 않습니다. (Hash 값 다름)\n");
    const Result missing = zlc({"compare", "one", "absent"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "zlc: absent: No such file or directory\n");
    EXPECT_EQ(zlc({"compare", "one"}).status, 2);
}

// An unsigned value of up to 128 bits from decimal or hexadecimal text.
unsigned __int128 parse_number(const std::string& text, int base) {
    unsigned __int128 value = 0;
    for (char c : text)
        value = value * base + static_cast<unsigned>(std::stoi(std::string(1, c), nullptr, base));
    return value;
}

int bit_length(unsigned __int128 value) {
    int bits = 0;
    for (; value != 0; value >>= 1) ++bits;
    return bits;
}

TEST_F(CliTest, RandAndPrime) {
    const Result raw = zlc({"rand", "10000"});
    EXPECT_EQ(raw.status, 0);
    EXPECT_EQ(raw.out.size(), 10000u);
    const Result hex = zlc({"rand", "-hex", "16"});
    EXPECT_EQ(hex.status, 0);
    ASSERT_EQ(hex.out.size(), 33u);
    EXPECT_EQ(hex.out.find_first_not_of("0123456789abcdef"), 32u);
    EXPECT_NE(hex.out, zlc({"rand", "-hex", "16"}).out);
    EXPECT_EQ(zlc({"rand", "0"}).out, "");

    const Result decimal = zlc({"prime", "100"});
    ASSERT_EQ(decimal.status, 0);
    const std::string digits = decimal.out.substr(0, decimal.out.size() - 1);
    EXPECT_EQ(bit_length(parse_number(digits, 10)), 100);
    EXPECT_NE(run({"openssl", "prime", digits}).out.find("is prime"), std::string::npos);
    const Result upper_hex = zlc({"prime", "-hex", "72"});
    ASSERT_EQ(upper_hex.status, 0);
    const std::string hex_digits = upper_hex.out.substr(0, upper_hex.out.size() - 1);
    EXPECT_EQ(hex_digits.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(bit_length(parse_number(hex_digits, 16)), 72);
    EXPECT_NE(run({"openssl", "prime", "-hex", hex_digits}).out.find("is prime"),
              std::string::npos);
}

TEST_F(CliTest, SelftestVersionAndHelp) {
    const Result selftest = zlc({"selftest"});
    EXPECT_EQ(selftest.out, "0x00000000\n");
    EXPECT_EQ(selftest.status, 0);
    EXPECT_EQ(zlc({"version"}).out, "5.2.0\n");
    for (const char* command :
         {"dgst", "hmac", "enc", "dec", "rand", "prime", "compare", "selftest", "version"}) {
        const Result help = zlc({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find(std::string("Usage: zlc ") + command), std::string::npos)
            << command;
    }
    const std::string list = zlc({"enc", "--help"}).out;
    for (const char* name : {"aria-128-cbc", "seed-cbc", "lea-256-ctr", "aes-192-ofb",
                             "des-ede3-cbc", "bf-cbc", "rc2-40-cbc", "rc5-ctr", "seed256-cfb"}) {
        EXPECT_NE(list.find(name), std::string::npos) << name;
    }
}

}  // namespace
