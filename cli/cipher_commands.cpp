// enc and dec: every block cipher and mode of the library, streamed through one unit in chunks,
// with the names and the output of `openssl enc -K ... -iv ...` where OpenSSL has the cipher.
#include <zlc.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "io.h"

namespace zlc_cli {
namespace {

struct CipherFamily {
    const char* prefix;  // OpenSSL's spelling where it has the cipher
    std::uint32_t algorithm;
    bool counter_mode;  // RC2 has no CTR
};

constexpr CipherFamily kFamilies[] = {
    {"aes-128", ZLC_AES_128, true},   {"aes-192", ZLC_AES_192, true},
    {"aes-256", ZLC_AES_256, true},   {"aria-128", ZLC_ARIA_128, true},
    {"aria-192", ZLC_ARIA_192, true}, {"aria-256", ZLC_ARIA_256, true},
    {"lea-128", ZLC_LEA_128, true},   {"lea-192", ZLC_LEA_192, true},
    {"lea-256", ZLC_LEA_256, true},   {"seed", ZLC_SEED_128, true},
    {"seed256", ZLC_SEED_256, true},  {"des", ZLC_DES, true},
    {"des-ede", ZLC_TDES_2KEY, true}, {"des-ede3", ZLC_TDES_3KEY, true},
    {"bf", ZLC_BLOWFISH, true},       {"rc2", ZLC_RC2_128, false},
    {"rc2-40", ZLC_RC2_40, false},    {"rc2-64", ZLC_RC2_64, false},
    {"rc5", ZLC_RC5, true},
};

struct ModeName {
    const char* suffix;
    std::uint32_t mode;
    bool stream;  // no padding; any length
};

// "cfb" feeds back the whole block, as OpenSSL's aes-128-cfb (CFB128) and des-cfb (CFB64) do.
constexpr ModeName kModes[] = {
    {"ecb", ZLC_MODE_ECB, false}, {"cbc", ZLC_MODE_CBC, false}, {"cfb", ZLC_MODE_CFB, true},
    {"ofb", ZLC_MODE_OFB, true},  {"ctr", ZLC_MODE_CTR, true},
};

struct Cipher {
    std::string name;
    std::uint32_t algorithm;
    ModeName mode;
};

std::vector<Cipher> all_ciphers() {
    std::vector<Cipher> ciphers;
    for (const auto& family : kFamilies) {
        for (const auto& mode : kModes) {
            if (mode.mode == ZLC_MODE_CTR && !family.counter_mode) continue;
            ciphers.push_back(
                {std::string(family.prefix) + "-" + mode.suffix, family.algorithm, mode});
        }
    }
    return ciphers;
}

std::string cipher_list() {
    std::string text = "Ciphers (key bytes, block and IV bytes):\n";
    const std::vector<Cipher> ciphers = all_ciphers();
    for (std::size_t i = 0; i < ciphers.size();) {
        const std::uint32_t algorithm = ciphers[i].algorithm;
        std::string line = "  ";
        for (; i < ciphers.size() && ciphers[i].algorithm == algorithm; ++i) {
            line += ciphers[i].name;
            line.resize(line.size() + 14 - ciphers[i].name.size(), ' ');
        }
        line.resize(2 + 5 * 14, ' ');
        char lengths[48];
        std::snprintf(lengths, sizeof lengths, " key %d, block %d\n", ZLC_Get_Key_Length(algorithm),
                      ZLC_Get_Block_Length(algorithm));
        text += line + lengths;
    }
    text +=
        "cfb feeds back the whole block (OpenSSL's aes-128-cfb, des-cfb). ecb and cbc pad with\n"
        "PKCS #7 unless -nopad is given; cfb, ofb and ctr take any length. Every mode but ecb\n"
        "needs -iv. The OpenSSL spellings -in, -out, -iv and -nopad are accepted.\n";
    return text;
}

std::string bytes_text(std::size_t bytes) {
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string bytes_and_digits(std::size_t bytes) {
    return bytes_text(bytes) + " (" + std::to_string(2 * bytes) + " hex digits)";
}

struct CipherUnitDeleter {
    void operator()(BLOCK_CIPHER_UNIT* unit) const { ZLC_Free_BLOCK_CIPHER_Unit(unit); }
};

struct CipherOptions {
    std::string cipher;
    std::string key;
    std::string iv;
    bool iv_given = false;
    bool no_padding = false;
    std::string in = "-";
    std::string out;
};

int run_cipher(const CipherOptions& options, bool encrypt) {
    const std::vector<Cipher> ciphers = all_ciphers();
    const Cipher* cipher = nullptr;
    for (const auto& candidate : ciphers) {
        if (candidate.name == options.cipher) cipher = &candidate;
    }
    if (cipher == nullptr)
        throw Failure("unknown cipher '" + options.cipher + "' (zlc enc --help lists them)");
    const std::string& name = cipher->name;
    const bool padded = !cipher->mode.stream && !options.no_padding;
    const std::uint32_t id = cipher->algorithm + cipher->mode.mode + (padded ? 0 : ZLC_NO_PADDING);
    const auto key_length = static_cast<std::size_t>(ZLC_Get_Key_Length(id));
    const auto block_length = static_cast<std::size_t>(ZLC_Get_Block_Length(id));
    // The table knows every cipher listed here: zero means the library refuses to serve.
    if (key_length == 0 || block_length == 0)
        throw Failure(name + " is not available (the self-test failed)");

    const SecretBytes key = parse_hex_option("-K", options.key);
    if (key.size() != key_length) {
        throw Failure("-K: " + name + " takes a key of " + bytes_and_digits(key_length) + ", not " +
                      bytes_text(key.size()));
    }
    SecretBytes iv;
    if (cipher->mode.mode == ZLC_MODE_ECB) {
        if (options.iv_given) throw Failure("-iv: " + name + " takes no IV");
    } else {
        if (!options.iv_given)
            throw Failure("-iv: " + name + " needs an IV of " + bytes_and_digits(block_length));
        iv = parse_hex_option("-iv", options.iv);
        if (iv.size() != block_length) {
            throw Failure("-iv: " + name + " takes an IV of " + bytes_and_digits(block_length) +
                          ", not " + bytes_text(iv.size()));
        }
    }

    std::unique_ptr<BLOCK_CIPHER_UNIT, CipherUnitDeleter> unit(ZLC_New_BLOCK_CIPHER_Unit());
    if (!unit) throw Failure("out of memory");
    if (const std::uint32_t status = ZLC_Init_BLOCK_CIPHER(
            unit.get(), id, key.data(), iv.empty() ? nullptr : iv.data(), encrypt ? 1 : 0);
        status != 0) {
        throw Failure(name + " is not available: status " + status_text(status));
    }

    Output output(options.out);
    std::uint64_t total = 0;
    const auto error = read_chunks(options.in, [&](std::uint8_t* data, std::size_t length) {
        std::int32_t produced = 0;
        // In place: the chunk buffer has a spare block for the one block Update may add.
        const std::uint32_t status = ZLC_Update_BLOCK_CIPHER(unit.get(), data, &produced, data,
                                                             static_cast<std::int32_t>(length));
        if (status != 0) throw Failure(name + " failed: status " + status_text(status));
        output.write(data, static_cast<std::size_t>(produced));
        total += length;
    });
    if (error) throw Failure(quote_name(options.in) + ": " + *error);

    std::uint8_t last[32];
    std::int32_t produced = 0;
    const std::uint32_t status = ZLC_Final_BLOCK_CIPHER(unit.get(), last, &produced);
    if (status != 0 && !cipher->mode.stream && total % block_length != 0) {
        throw Failure("the input (" + bytes_text(total) + ") is not a whole number of " +
                      std::to_string(block_length) + "-byte blocks" + (padded ? "" : " (-nopad)"));
    }
    if (status == ZLC_BLOCK_FINAL_DECRYPT) {
        throw Failure(
            "bad decrypt: the padding is wrong (wrong key or IV, or the data is not padded)");
    }
    if (status != 0) throw Failure(name + " failed: status " + status_text(status));
    output.write(last, static_cast<std::size_t>(produced));
    output.commit();
    return 0;
}

void add_cipher_command(CLI::App& app, std::vector<Command>& commands, bool encrypt) {
    auto options = std::make_shared<CipherOptions>();
    CLI::App* command = app.add_subcommand(encrypt ? "enc" : "dec",
                                           encrypt ? "Encrypt a file." : "Decrypt a file.");
    const CLI::Option* cipher = command->add_option(
        "-c,--cipher", options->cipher, "Cipher and mode, e.g. aria-128-cbc (required)");
    const CLI::Option* key =
        command->add_option("-K,--key", options->key, "Key in hexadecimal (required)");
    const CLI::Option* iv = command->add_option(
        "--iv", options->iv, "IV in hexadecimal (the first counter block for ctr)");
    command->add_flag("--nopad", options->no_padding,
                      "ecb and cbc: no PKCS #7 padding; whole blocks only");
    command->add_option("--in", options->in, "Input file; - or none: standard input");
    command->add_option("--out", options->out,
                        "Output file, written only when complete; none: standard output");
    command->footer(cipher_list());
    commands.push_back({command,
                        [options, cipher, key, iv, encrypt] {
                            require(cipher, "-c");
                            require(key, "-K");
                            options->iv_given = iv->count() > 0;
                            return run_cipher(*options, encrypt);
                        },
                        {"in", "out", "iv", "nopad"}});
}

}  // namespace

void add_cipher_commands(CLI::App& app, std::vector<Command>& commands) {
    add_cipher_command(app, commands, true);
    add_cipher_command(app, commands, false);
}

}  // namespace zlc_cli
