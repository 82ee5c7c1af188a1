// rand, prime, selftest and version.
#include <zlc.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "io.h"

namespace zlc_cli {
namespace {

struct RandOptions {
    std::int64_t count = 0;
    bool hex = false;
};

int run_rand(const RandOptions& options) {
    Output output("");
    std::uint8_t block[4096];
    for (std::int64_t left = options.count; left > 0;) {
        const auto length = static_cast<std::int32_t>(std::min<std::int64_t>(left, sizeof block));
        if (const std::uint32_t status = ZLC_Rand_Bytes(block, length); status != 0) {
            throw Failure("the random generator failed: status " + status_text(status));
        }
        if (options.hex) {
            const std::string hex = to_hex(block, static_cast<std::size_t>(length));
            output.write(reinterpret_cast<const std::uint8_t*>(hex.data()), hex.size());
        } else {
            output.write(block, static_cast<std::size_t>(length));
        }
        left -= length;
    }
    if (options.hex) output.write(reinterpret_cast<const std::uint8_t*>("\n"), 1);
    return 0;
}

struct PrimeOptions {
    std::int32_t bits = 0;
    bool hex = false;
};

struct BigintDeleter {
    void operator()(BIGINT* n) const { ZLC_Free_BIGINT(n); }
};
struct TextDeleter {
    void operator()(char* text) const { ZLC_Free(text, __FILE__, __LINE__); }
};

int run_prime(const PrimeOptions& options) {
    std::unique_ptr<BIGINT, BigintDeleter> prime(ZLC_New_BIGINT());
    if (!prime) throw Failure("out of memory");
    if (const std::uint32_t status =
            ZLC_Generate_BIGINT_Prime_Ex(prime.get(), options.bits, nullptr);
        status != 0) {
        throw Failure("prime generation failed: status " + status_text(status));
    }
    std::unique_ptr<char, TextDeleter> text(options.hex ? ZLC_BIGINT_To_HEX(prime.get())
                                                        : ZLC_BIGINT_To_DEC(prime.get()));
    if (!text) throw Failure("out of memory");
    std::printf("%s\n", text.get());
    return 0;
}

}  // namespace

void add_misc_commands(CLI::App& app, std::vector<Command>& commands) {
    auto rand_options = std::make_shared<RandOptions>();
    CLI::App* rand = app.add_subcommand(
        "rand", "Write N random bytes from the library's DRBG to standard output.");
    const CLI::Option* count =
        rand->add_option("N", rand_options->count, "Number of bytes (required)")
            ->check(CLI::Range(std::int64_t{0}, std::numeric_limits<std::int64_t>::max()));
    rand->add_flag("--hex", rand_options->hex,
                   "Lower-case hexadecimal and a newline instead of raw bytes");
    commands.push_back({rand,
                        [rand_options, count] {
                            require(count, "N");
                            return run_rand(*rand_options);
                        },
                        {"hex"}});

    auto prime_options = std::make_shared<PrimeOptions>();
    CLI::App* prime =
        app.add_subcommand("prime", "Print a random prime of exactly BITS bits, in decimal.");
    const CLI::Option* bits =
        prime->add_option("BITS", prime_options->bits, "Size in bits (required)")
            ->check(CLI::Range(16, 16384));
    prime->add_flag("--hex", prime_options->hex,
                    "Upper-case hexadecimal (whole bytes) instead of decimal");
    commands.push_back({prime,
                        [prime_options, bits] {
                            require(bits, "BITS");
                            return run_prime(*prime_options);
                        },
                        {"hex"}});

    CLI::App* selftest =
        app.add_subcommand("selftest", "Run the library's self-test and print its status.");
    selftest->footer("Prints the status as 0x%08X; exit status 0 only when it is 0x00000000.\n");
    commands.push_back({selftest,
                        [] {
                            const std::uint32_t status = ZLC_Crypto_Self_Test();
                            std::printf("%s\n", status_text(status).c_str());
                            return status == 0 ? 0 : 1;
                        },
                        {}});

    CLI::App* version = app.add_subcommand("version", "Print the library's version.");
    commands.push_back({version,
                        [] {
                            std::printf("%s\n", ZLC_Get_Crypto_Version());
                            return 0;
                        },
                        {}});
}

}  // namespace zlc_cli
