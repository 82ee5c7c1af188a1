// Signs the library's module file: appends an RSASSA-PSS signature (RFC 8017 8.1; SHA-256,
// MGF1-SHA-256, 20-byte salt) over the whole file, as the library's integrity test expects it.
//
//   sign_module --key KEY.pem [--public-key-header HEADER] FILE
//       Signs FILE in place with the RSA-2048 (e = 65537) private key in KEY.pem. With HEADER,
//       refuses unless HEADER is exactly what --emit-public-key writes for KEY.pem, so a library
//       never carries a public key other than the one that signed it. A FILE that already ends
//       with a signature by KEY.pem over the rest is left as it is.
//   sign_module --emit-public-key KEY.pem
//       Writes the header with the key's modulus and public exponent to standard output
//       (crypto/selftest/module_key.h).
//
// Exit status 0 on success, 1 on any failure (with a message on standard error).
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kModulusBytes = 256;
constexpr std::size_t kExponentBytes = 3;
constexpr int kSaltLength = 20;

using Bytes = std::vector<std::uint8_t>;

struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
};
struct BnFree {
    void operator()(BIGNUM* p) const { BN_free(p); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using Bn = std::unique_ptr<BIGNUM, BnFree>;

int fail(const std::string& message) {
    std::cerr << "sign_module: " << message << "\n";
    ERR_print_errors_fp(stderr);
    return 1;
}

std::optional<Bytes> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return data;
}

struct PublicKey {
    std::uint8_t modulus[kModulusBytes];
    std::uint8_t exponent[kExponentBytes];
};

// The private key, accepted only as RSA-2048 with e = 65537: the library embeds exactly a
// 256-byte modulus and a 3-byte exponent.
Pkey load_key(const std::string& path, PublicKey* public_key, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = "cannot open key " + path;
        return nullptr;
    }
    Pkey key(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
    std::fclose(file);
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) {
        *error = path + " holds no RSA private key";
        return nullptr;
    }
    BIGNUM* n_raw = nullptr;
    BIGNUM* e_raw = nullptr;
    const bool got = EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_N, &n_raw) == 1 &&
                     EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_E, &e_raw) == 1;
    Bn n(n_raw), e(e_raw);
    if (!got || BN_num_bits(n.get()) != 2048 || !BN_is_word(e.get(), 65537)) {
        *error = path + " is not an RSA-2048 key with public exponent 65537";
        return nullptr;
    }
    if (BN_bn2binpad(n.get(), public_key->modulus, kModulusBytes) != int{kModulusBytes} ||
        BN_bn2binpad(e.get(), public_key->exponent, kExponentBytes) != int{kExponentBytes}) {
        *error = "cannot encode the public key of " + path;
        return nullptr;
    }
    return key;
}

std::string header_text(const PublicKey& key) {
    std::ostringstream out;
    auto bytes = [&out](const std::uint8_t* data, std::size_t n) {
        char hex[8];
        for (std::size_t i = 0; i < n; ++i) {
            std::snprintf(hex, sizeof(hex), "0x%02x,", data[i]);
            out << (i % 12 == 0 ? "\n    " : " ") << hex;
        }
        out << "\n";
    };
    out << "#pragma once\n"
           "// The public half of the module key, whose private half signs the shared library's\n"
           "// file (RSASSA-PSS, SHA-256, MGF1-SHA-256, 20-byte salt, appended as its last 256\n"
           "// bytes). Written by `sign_module --emit-public-key KEY`: regenerate it whenever the\n"
           "// signing key changes.\n"
           "#include <cstdint>\n"
           "\n"
           "namespace zlc::selftest {\n"
           "\n"
           "// clang-format off\n"
           "// Big-endian.\n"
           "inline constexpr std::uint8_t kModuleKeyModulus[256] = {";
    bytes(key.modulus, kModulusBytes);
    out << "};\n"
           "inline constexpr std::uint8_t kModuleKeyExponent[3] = {";
    bytes(key.exponent, kExponentBytes);
    out << "};\n"
           "// clang-format on\n"
           "\n"
           "}  // namespace zlc::selftest\n";
    return out.str();
}

bool set_pss(EVP_PKEY_CTX* pctx) {
    return EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PSS_PADDING) == 1 &&
           EVP_PKEY_CTX_set_rsa_pss_saltlen(pctx, kSaltLength) == 1 &&
           EVP_PKEY_CTX_set_rsa_mgf1_md(pctx, EVP_sha256()) == 1;
}

std::optional<Bytes> sign(EVP_PKEY* key, const Bytes& content) {
    MdCtx ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    if (!ctx || EVP_DigestSignInit(ctx.get(), &pctx, EVP_sha256(), nullptr, key) != 1 ||
        !set_pss(pctx)) {
        return std::nullopt;
    }
    Bytes signature(kModulusBytes);
    std::size_t length = signature.size();
    if (EVP_DigestSign(ctx.get(), signature.data(), &length, content.data(), content.size()) != 1 ||
        length != kModulusBytes) {
        return std::nullopt;
    }
    return signature;
}

// True when the last 256 bytes of data are a signature by key over everything before them.
bool ends_with_signature(EVP_PKEY* key, const Bytes& data) {
    if (data.size() <= kModulusBytes) return false;
    const std::size_t content = data.size() - kModulusBytes;
    MdCtx ctx(EVP_MD_CTX_new());
    EVP_PKEY_CTX* pctx = nullptr;
    const bool ok =
        ctx && EVP_DigestVerifyInit(ctx.get(), &pctx, EVP_sha256(), nullptr, key) == 1 &&
        set_pss(pctx) &&
        EVP_DigestVerify(ctx.get(), data.data() + content, kModulusBytes, data.data(), content) ==
            1;
    ERR_clear_error();
    return ok;
}

// Writes the signed file beside the original and renames it over it, so an interrupted run
// never leaves a half-signed file; the original's permissions are kept.
bool replace_file(const std::string& path, const Bytes& data, const Bytes& signature) {
    struct stat original {};
    if (stat(path.c_str(), &original) != 0) return false;
    const std::string temporary = path + ".signing";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
        out.write(reinterpret_cast<const char*>(signature.data()),
                  static_cast<std::streamsize>(signature.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (chmod(temporary.c_str(), original.st_mode & 07777) != 0 ||
        std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

int usage() {
    std::cerr << "usage: sign_module --key KEY.pem [--public-key-header HEADER] FILE\n"
                 "       sign_module --emit-public-key KEY.pem\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    PublicKey public_key{};

    if (args.size() == 2 && args[0] == "--emit-public-key") {
        if (!load_key(args[1], &public_key, &error)) return fail(error);
        std::cout << header_text(public_key);
        return std::cout.flush() ? 0 : fail("cannot write the header");
    }

    std::string key_path, header_path, file_path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size()) {
            key_path = args[++i];
        } else if (args[i] == "--public-key-header" && i + 1 < args.size()) {
            header_path = args[++i];
        } else if (file_path.empty() && args[i].rfind("--", 0) != 0) {
            file_path = args[i];
        } else {
            return usage();
        }
    }
    if (key_path.empty() || file_path.empty()) return usage();

    Pkey key = load_key(key_path, &public_key, &error);
    if (!key) return fail(error);
    if (!header_path.empty()) {
        const auto header = read_file(header_path);
        if (!header) return fail("cannot read " + header_path);
        const std::string expected = header_text(public_key);
        if (std::string(header->begin(), header->end()) != expected) {
            return fail(header_path + " does not hold the public half of " + key_path +
                        ": regenerate it with sign_module --emit-public-key " + key_path);
        }
    }
    const auto data = read_file(file_path);
    if (!data) return fail("cannot read " + file_path);
    if (ends_with_signature(key.get(), *data)) {
        std::cout << file_path << " already carries its signature\n";
        return 0;
    }
    const auto signature = sign(key.get(), *data);
    if (!signature) return fail("signing failed");
    if (!replace_file(file_path, *data, *signature)) return fail("cannot write " + file_path);
    return 0;
}
