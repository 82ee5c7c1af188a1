// dgst, hmac and compare: digests of files in the form and with the messages of coreutils'
// sha256sum, HMACs in the same form, and the comparison tool's verdict on two files.
#include <zlc.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "io.h"

namespace zlc_cli {
namespace {

struct DigestAlgorithm {
    const char* option;  // -a value; upper-cased it is the tag of the tagged form
    std::uint32_t id;
};

constexpr DigestAlgorithm kDigests[] = {
    {"sha256", ZLC_SHA256}, {"sha1", ZLC_SHA1}, {"sha224", ZLC_SHA224}, {"sha384", ZLC_SHA384},
    {"sha512", ZLC_SHA512}, {"md5", ZLC_MD5},   {"has160", ZLC_HAS160}, {"mdc2", ZLC_MDC2},
};

// The comparison tool's two verdicts.
constexpr const char* kIdentical = "두 개의 파일이 동일합니다. (Hash 값 동일)";
constexpr const char* kDifferent = "두 개의 파일이 동일하지 않습니다. (Hash 값 다름)";

std::vector<std::string> digest_names() {
    std::vector<std::string> names;
    for (const auto& digest : kDigests) names.emplace_back(digest.option);
    return names;
}

const DigestAlgorithm& find_digest(const std::string& option) {
    for (const auto& digest : kDigests) {
        if (option == digest.option) return digest;
    }
    throw Failure("unknown digest '" + option + "'", 2);  // the parser's IsMember check comes first
}

std::string tag_of(const DigestAlgorithm& digest) {
    std::string tag = digest.option;
    for (char& c : tag) c = static_cast<char>(c - ('a' <= c && c <= 'z' ? 'a' - 'A' : 0));
    return tag;
}

struct DigestUnitDeleter {
    void operator()(DIGEST_UNIT* unit) const { ZLC_Free_DIGEST_Unit(unit); }
};
struct HmacUnitDeleter {
    void operator()(HMAC_UNIT* unit) const { ZLC_Free_HMAC_Unit(unit); }
};

using Digest = std::vector<std::uint8_t>;

// The file's digest, or the system's error text when it cannot be read. A failure of the library
// ends the command.
struct FileDigest {
    Digest value;
    std::optional<std::string> error;
};

FileDigest digest_file(const DigestAlgorithm& digest, const std::string& path) {
    std::unique_ptr<DIGEST_UNIT, DigestUnitDeleter> unit(ZLC_New_DIGEST_Unit());
    if (!unit) throw Failure("out of memory");
    const std::string tag = tag_of(digest);
    if (const std::uint32_t status = ZLC_Init_DIGEST(unit.get(), digest.id); status != 0) {
        throw Failure(tag + " is not available: status " + status_text(status));
    }
    FileDigest result;
    result.error = read_chunks(path, [&](std::uint8_t* data, std::size_t length) {
        const std::uint32_t status =
            ZLC_Update_DIGEST(unit.get(), data, static_cast<std::int32_t>(length));
        if (status != 0) throw Failure(tag + " failed: status " + status_text(status));
    });
    if (result.error) return result;
    result.value.resize(ZLC_DIGEST_MAX_LENGTH);
    std::int32_t length = 0;
    if (const std::uint32_t status = ZLC_Final_DIGEST(unit.get(), result.value.data(), &length);
        status != 0) {
        throw Failure(tag + " failed: status " + status_text(status));
    }
    result.value.resize(static_cast<std::size_t>(length));
    return result;
}

// coreutils escapes backslash, newline and carriage return in a name and marks such a line with
// a leading backslash.
std::string escape_name(const std::string& name) {
    std::string out;
    for (char c : name) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

bool needs_escape(const std::string& name) {
    return name.find_first_of("\\\n\r") != std::string::npos;
}

void print_digest_line(const std::string& tag, const std::string& hex, const std::string& name,
                       bool tagged) {
    const bool escaped = needs_escape(name);
    const std::string shown = escaped ? escape_name(name) : name;
    if (tagged) {
        std::printf("%s%s (%s) = %s\n", escaped ? "\\" : "", tag.c_str(), shown.c_str(),
                    hex.c_str());
    } else {
        std::printf("%s%s  %s\n", escaped ? "\\" : "", hex.c_str(), shown.c_str());
    }
}

void report_unreadable(const std::string& name, const std::string& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "zlc: %s: %s\n", quote_name(name).c_str(), error.c_str());
}

// One line of a checksum list.
enum class LineKind { Skipped, Improper, Entry };
struct ListLine {
    LineKind kind = LineKind::Improper;
    std::string name;
    Digest digest;
};

bool unescape_name(std::string_view text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            name += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\':
                name += '\\';
                break;
            case 'n':
                name += '\n';
                break;
            case 'r':
                name += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

bool is_hex_digit(char c) {
    return std::strchr("0123456789abcdefABCDEF", c) != nullptr && c != '\0';
}

// The two forms sha256sum writes and reads: "<hex>  <name>" (or " *<name>") and the tagged
// "<TAG> (<name>) = <hex>", each with a leading backslash when the name is escaped.
ListLine parse_list_line(std::string_view line, const std::string& tag, std::size_t digest_length) {
    ListLine parsed;
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') {
        parsed.kind = LineKind::Skipped;
        return parsed;
    }
    while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.remove_prefix(1);
    const bool escaped = !line.empty() && line[0] == '\\';
    if (escaped) line.remove_prefix(1);

    std::string_view name;
    std::string_view hex;
    std::string_view rest = line;
    bool tagged = false;
    if (rest.substr(0, tag.size()) == tag) {
        rest.remove_prefix(tag.size());
        if (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
        tagged = !rest.empty() && rest[0] == '(';
    }
    if (tagged) {
        // The name may itself hold ") = ", so the last ')' ends it.
        rest.remove_prefix(1);
        const std::size_t close = rest.rfind(')');
        if (close == std::string_view::npos) return parsed;
        name = rest.substr(0, close);
        rest.remove_prefix(close + 1);
        if (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
        if (rest.empty() || rest[0] != '=') return parsed;
        rest.remove_prefix(1);
        if (!rest.empty() && rest[0] == ' ') rest.remove_prefix(1);
        hex = rest;
    } else {
        std::size_t digits = 0;
        while (digits < line.size() && is_hex_digit(line[digits])) ++digits;
        hex = line.substr(0, digits);
        rest = line.substr(digits);
        if (rest.size() < 3 || (rest[0] != ' ' && rest[0] != '\t') ||
            (rest[1] != ' ' && rest[1] != '*')) {
            return parsed;
        }
        name = rest.substr(2);
    }
    if (hex.size() != 2 * digest_length || name.empty()) return parsed;
    auto digest = from_hex(hex);
    if (!digest) return parsed;
    if (escaped) {
        if (!unescape_name(name, parsed.name)) return parsed;
    } else {
        parsed.name = std::string(name);
    }
    parsed.digest = std::move(*digest);
    parsed.kind = LineKind::Entry;
    return parsed;
}

void warn(std::size_t count, const char* one, const char* many) {
    if (count == 0) return;
    std::fflush(stdout);
    std::fprintf(stderr, "zlc: WARNING: %zu %s\n", count, count == 1 ? one : many);
}

struct ListFileCloser {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};

// Checks every entry of one list; true when each was read and matched.
bool check_list(const DigestAlgorithm& digest, const std::string& list) {
    std::unique_ptr<std::FILE, ListFileCloser> file(list == "-" ? stdin
                                                                : std::fopen(list.c_str(), "r"));
    if (!file) {
        report_unreadable(list, std::strerror(errno));
        return false;
    }
    const std::string tag = tag_of(digest);
    const auto digest_length = static_cast<std::size_t>(ZLC_Get_DIGEST_Length(digest.id));
    std::size_t entries = 0, improper = 0, unreadable = 0, mismatched = 0;
    char* raw = nullptr;
    std::size_t capacity = 0;
    ssize_t got;
    while ((got = getline(&raw, &capacity, file.get())) >= 0) {
        const ListLine line = parse_list_line(std::string_view(raw, static_cast<std::size_t>(got)),
                                              tag, digest_length);
        if (line.kind == LineKind::Skipped) continue;
        if (line.kind == LineKind::Improper) {
            ++improper;
            continue;
        }
        ++entries;
        const FileDigest actual = digest_file(digest, line.name);
        const std::string shown =
            line.name.find('\n') != std::string::npos ? "\\" + escape_name(line.name) : line.name;
        if (actual.error) {
            report_unreadable(line.name, *actual.error);
            std::printf("%s: FAILED open or read\n", shown.c_str());
            ++unreadable;
        } else if (actual.value != line.digest) {
            std::printf("%s: FAILED\n", shown.c_str());
            ++mismatched;
        } else {
            std::printf("%s: OK\n", shown.c_str());
        }
    }
    const bool read_failed = std::ferror(file.get()) != 0;
    const int read_errno = errno;
    std::free(raw);
    if (read_failed) {
        report_unreadable(list, std::strerror(read_errno));
        return false;
    }
    if (entries == 0) {
        std::fflush(stdout);
        std::fprintf(stderr, "zlc: %s: no properly formatted checksum lines found\n",
                     quote_name(list == "-" ? "standard input" : list).c_str());
        return false;
    }
    warn(improper, "line is improperly formatted", "lines are improperly formatted");
    warn(unreadable, "listed file could not be read", "listed files could not be read");
    warn(mismatched, "computed checksum did NOT match", "computed checksums did NOT match");
    return unreadable == 0 && mismatched == 0;
}

struct DgstOptions {
    std::string algorithm = "sha256";
    bool tag = false;
    bool check = false;
    std::vector<std::string> files;
};

int run_dgst(const DgstOptions& options) {
    const DigestAlgorithm& digest = find_digest(options.algorithm);
    if (options.check && options.tag)
        throw Failure("the --tag option is meaningless when verifying checksums", 2);
    const std::vector<std::string> files =
        options.files.empty() ? std::vector<std::string>{"-"} : options.files;
    bool all_ok = true;
    for (const auto& name : files) {
        if (options.check) {
            all_ok = check_list(digest, name) && all_ok;
            continue;
        }
        const FileDigest result = digest_file(digest, name);
        if (result.error) {
            report_unreadable(name, *result.error);
            all_ok = false;
            continue;
        }
        print_digest_line(tag_of(digest), to_hex(result.value.data(), result.value.size()), name,
                          options.tag);
    }
    return all_ok ? 0 : 1;
}

struct HmacOptions {
    std::string algorithm = "sha256";
    std::string key;
    std::vector<std::string> files;
};

int run_hmac(const HmacOptions& options) {
    const DigestAlgorithm& digest = find_digest(options.algorithm);
    const SecretBytes key = parse_hex_option("-k", options.key);
    const std::string tag = tag_of(digest);
    std::unique_ptr<HMAC_UNIT, HmacUnitDeleter> unit(ZLC_New_HMAC_Unit());
    if (!unit) throw Failure("out of memory");
    const std::vector<std::string> files =
        options.files.empty() ? std::vector<std::string>{"-"} : options.files;
    bool all_ok = true;
    for (const auto& name : files) {
        // An empty key still needs a non-null pointer.
        static const std::uint8_t kNoKey = 0;
        const std::uint32_t init =
            ZLC_Init_HMAC(unit.get(), digest.id, key.empty() ? &kNoKey : key.data(),
                          static_cast<std::int32_t>(key.size()));
        if (init != 0)
            throw Failure("HMAC-" + tag + " is not available: status " + status_text(init));
        const auto error = read_chunks(name, [&](std::uint8_t* data, std::size_t length) {
            const std::uint32_t status =
                ZLC_Update_HMAC(unit.get(), data, static_cast<std::int32_t>(length));
            if (status != 0)
                throw Failure("HMAC-" + tag + " failed: status " + status_text(status));
        });
        if (error) {
            report_unreadable(name, *error);
            all_ok = false;
            continue;
        }
        std::uint8_t mac[ZLC_DIGEST_MAX_LENGTH];
        std::int32_t length = 0;
        if (const std::uint32_t status = ZLC_Final_HMAC(unit.get(), mac, &length); status != 0) {
            throw Failure("HMAC-" + tag + " failed: status " + status_text(status));
        }
        print_digest_line(tag, to_hex(mac, static_cast<std::size_t>(length)), name, false);
    }
    return all_ok ? 0 : 1;
}

struct CompareOptions {
    std::vector<std::string> files;
};

int run_compare(const CompareOptions& options) {
    static const DigestAlgorithm& kSha256 = kDigests[0];
    Digest digests[2];
    for (int i = 0; i < 2; ++i) {
        FileDigest result;
        try {
            result = digest_file(kSha256, options.files[i]);
        } catch (const Failure& failure) {
            throw Failure(failure.what(), 2);
        }
        if (result.error) throw Failure(quote_name(options.files[i]) + ": " + *result.error, 2);
        digests[i] = std::move(result.value);
    }
    const bool same = digests[0] == digests[1];
    std::printf("%s\n", same ? kIdentical : kDifferent);
    return same ? 0 : 1;
}

}  // namespace

void add_digest_commands(CLI::App& app, std::vector<Command>& commands) {
    auto dgst_options = std::make_shared<DgstOptions>();
    CLI::App* dgst =
        app.add_subcommand("dgst", "Print or check message digests, as sha256sum does.");
    dgst->add_option("-a,--algorithm", dgst_options->algorithm, "Digest algorithm")
        ->check(CLI::IsMember(digest_names()))
        ->capture_default_str();
    dgst->add_flag("--tag", dgst_options->tag, "Print the tagged form: ALG (NAME) = HEX");
    dgst->add_flag("-c,--check", dgst_options->check,
                   "Read digests from the FILEs (lists) and check them");
    dgst->add_option("FILE", dgst_options->files, "Files to digest; - or none: standard input");
    dgst->footer("Exit status: 0 when every file was read (and, with -c, matched), 1 otherwise.\n");
    commands.push_back({dgst, [dgst_options] { return run_dgst(*dgst_options); }, {}});

    auto hmac_options = std::make_shared<HmacOptions>();
    CLI::App* hmac = app.add_subcommand("hmac", "Print the HMAC of each file as HEX  NAME.");
    hmac->add_option("-a,--algorithm", hmac_options->algorithm, "Digest algorithm")
        ->check(CLI::IsMember(digest_names()))
        ->capture_default_str();
    const CLI::Option* key =
        hmac->add_option("-k,--key", hmac_options->key, "Key in hexadecimal (required)");
    hmac->add_option("FILE", hmac_options->files, "Files; - or none: standard input");
    commands.push_back({hmac,
                        [hmac_options, key] {
                            require(key, "-k");
                            return run_hmac(*hmac_options);
                        },
                        {}});

    auto compare_options = std::make_shared<CompareOptions>();
    CLI::App* compare =
        app.add_subcommand("compare", "Tell whether two files have the same SHA-256 digest.");
    const CLI::Option* files =
        compare->add_option("FILE", compare_options->files, "The two files")->expected(2);
    compare->footer("Exit status: 0 identical, 1 different, 2 error.\n");
    commands.push_back({compare,
                        [compare_options, files] {
                            require(files, "FILE1 FILE2");
                            return run_compare(*compare_options);
                        },
                        {}});
}

}  // namespace zlc_cli
