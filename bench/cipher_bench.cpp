// Cipher cost through the C interface beside OpenSSL's EVP (Crypto++ for RC5), same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cryptopp/algparam.h>
#include <cryptopp/argnames.h>
#include <cryptopp/modes.h>
#include <cryptopp/lea.h>
#include <cryptopp/rc5.h>

#include <type_traits>
#include <vector>

#include "zlc.h"

namespace {

// SEED, Blowfish, RC2, RC4 and single DES sit in OpenSSL's legacy provider; loading it by name
// unloads nothing of the default one.
EVP_CIPHER* fetch_openssl_cipher(const char* name) {
    static OSSL_PROVIDER* default_provider = OSSL_PROVIDER_load(nullptr, "default");
    static OSSL_PROVIDER* legacy_provider = OSSL_PROVIDER_load(nullptr, "legacy");
    benchmark::DoNotOptimize(default_provider);
    benchmark::DoNotOptimize(legacy_provider);
    return EVP_CIPHER_fetch(nullptr, name, nullptr);
}

// One whole 64-byte message per call, key setup included: ZLC_BLOCK_CIPHER beside the same work
// through EVP (context, init with key and IV, update, final, free).
constexpr int kMessage = 64;

void ZlcOneShot(benchmark::State& state, uint32_t id) {
    std::vector<uint8_t> msg(kMessage, 0x5A), out(kMessage + 16);
    const uint8_t key[32] = {7, 1, 2, 3}, iv[16] = {9};
    int32_t length = 0;
    for (auto _ : state) {
        ZLC_BLOCK_CIPHER(id, 1, key, iv, msg.data(), kMessage, out.data(), &length);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void OpenSslOneShot(benchmark::State& state, const char* name) {
    EVP_CIPHER* cipher = fetch_openssl_cipher(name);
    if (cipher == nullptr) {
        state.SkipWithError("cipher not available in this OpenSSL");
        return;
    }
    std::vector<uint8_t> msg(kMessage, 0x5A), out(kMessage + 16);
    const uint8_t key[32] = {7, 1, 2, 3}, iv[16] = {9};
    for (auto _ : state) {
        EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
        int n = 0, m = 0;
        EVP_EncryptInit_ex2(ctx, cipher, key, iv, nullptr);
        EVP_EncryptUpdate(ctx, out.data(), &n, msg.data(), kMessage);
        EVP_EncryptFinal_ex(ctx, out.data() + n, &m);
        EVP_CIPHER_CTX_free(ctx);
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_free(cipher);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

// Throughput: 16 KiB per Update on a keyed unit beside EVP_EncryptUpdate on a keyed context.
constexpr int kBuffer = 16384;

void ZlcUpdate(benchmark::State& state, uint32_t id, int encrypt = 1) {
    std::vector<uint8_t> buf(kBuffer + 32, 0xA5);
    const uint8_t key[32] = {7, 1, 2, 3}, iv[16] = {9};
    BLOCK_CIPHER_UNIT* unit = ZLC_New_BLOCK_CIPHER_Unit();
    if (ZLC_Init_BLOCK_CIPHER(unit, id, key, iv, encrypt) != 0) state.SkipWithError("Init failed");
    int32_t written = 0;
    for (auto _ : state) {
        ZLC_Update_BLOCK_CIPHER(unit, buf.data(), &written, buf.data(), kBuffer);
        benchmark::DoNotOptimize(buf.data());
    }
    ZLC_Free_BLOCK_CIPHER_Unit(unit);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffer);
}

void OpenSslUpdate(benchmark::State& state, const char* name, int encrypt = 1) {
    EVP_CIPHER* cipher = fetch_openssl_cipher(name);
    if (cipher == nullptr) {
        state.SkipWithError("cipher not available in this OpenSSL");
        return;
    }
    std::vector<uint8_t> buf(kBuffer + 32, 0xA5);
    const uint8_t key[32] = {7, 1, 2, 3}, iv[16] = {9};
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex2(ctx, cipher, key, iv, encrypt, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    int written = 0;
    for (auto _ : state) {
        EVP_CipherUpdate(ctx, buf.data(), &written, buf.data(), kBuffer);
        benchmark::DoNotOptimize(buf.data());
    }
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffer);
}

BENCHMARK_CAPTURE(ZlcUpdate, aria128_cbc_encrypt, ZLC_ARIA_128 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, aria128_cbc_encrypt, "ARIA-128-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, aria128_ctr, ZLC_ARIA_128 + ZLC_MODE_CTR);
BENCHMARK_CAPTURE(OpenSslUpdate, aria128_ctr, "ARIA-128-CTR");
BENCHMARK_CAPTURE(ZlcUpdate, seed_cbc_encrypt, ZLC_SEED_128 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, seed_cbc_encrypt, "SEED-CBC");
// OpenSSL has no SEED-CTR: its SEED-ECB encryption is the peer.
BENCHMARK_CAPTURE(ZlcUpdate, seed_ctr, ZLC_SEED_128 + ZLC_MODE_CTR);
BENCHMARK_CAPTURE(OpenSslUpdate, seed_ecb_encrypt, "SEED-ECB");
BENCHMARK_CAPTURE(ZlcUpdate, seed256_ctr, ZLC_SEED_256 + ZLC_MODE_CTR);

BENCHMARK_CAPTURE(ZlcOneShot, aria128_cbc, ZLC_ARIA_128 + ZLC_MODE_CBC);
BENCHMARK_CAPTURE(OpenSslOneShot, aria128_cbc, "ARIA-128-CBC");
BENCHMARK_CAPTURE(ZlcOneShot, aria128_ctr, ZLC_ARIA_128 + ZLC_MODE_CTR);
BENCHMARK_CAPTURE(OpenSslOneShot, aria128_ctr, "ARIA-128-CTR");
BENCHMARK_CAPTURE(ZlcOneShot, seed_cbc, ZLC_SEED_128 + ZLC_MODE_CBC);
BENCHMARK_CAPTURE(OpenSslOneShot, seed_cbc, "SEED-CBC");
BENCHMARK_CAPTURE(ZlcOneShot, aes128_cbc, ZLC_AES_128 + ZLC_MODE_CBC);
BENCHMARK_CAPTURE(OpenSslOneShot, aes128_cbc, "AES-128-CBC");

// Crypto++ is the one peer here with RC5 (OpenSSL in this distribution is built without it).
void CryptoppRc5Cbc(benchmark::State& state) {
    std::vector<uint8_t> buf(kBuffer, 0xA5);
    const uint8_t key[16] = {7, 1, 2, 3}, iv[8] = {9};
    CryptoPP::CBC_Mode<CryptoPP::RC5>::Encryption cbc;  // Crypto++ defaults to 16 rounds; RC5-32/12/16 has 12
    cbc.SetKey(key, sizeof(key),
               CryptoPP::MakeParameters(CryptoPP::Name::Rounds(), 12)(CryptoPP::Name::IV(),
                                                                     CryptoPP::ConstByteArrayParameter(iv, 8)));
    for (auto _ : state) {
        cbc.ProcessData(buf.data(), buf.data(), kBuffer);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffer);
}

void ZlcRc4(benchmark::State& state) {
    std::vector<uint8_t> buf(kBuffer, 0xA5);
    const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    RC4_UNIT* unit = ZLC_New_RC4_Unit();
    ZLC_Init_RC4(unit, key, sizeof(key));
    for (auto _ : state) {
        ZLC_Do_RC4(unit, buf.data(), kBuffer, buf.data());
        benchmark::DoNotOptimize(buf.data());
    }
    ZLC_Free_RC4_Unit(unit);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffer);
}

BENCHMARK_CAPTURE(ZlcUpdate, des_ede3_cbc_encrypt, ZLC_TDES_3KEY + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, des_ede3_cbc_encrypt, "DES-EDE3-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, des_cbc_encrypt, ZLC_DES + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, des_cbc_encrypt, "DES-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, blowfish_cbc_encrypt, ZLC_BLOWFISH + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, blowfish_cbc_encrypt, "BF-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, rc2_128_cbc_encrypt, ZLC_RC2_128 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, rc2_128_cbc_encrypt, "RC2-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, rc5_cbc_encrypt, ZLC_RC5 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK(CryptoppRc5Cbc);
BENCHMARK(ZlcRc4);
BENCHMARK_CAPTURE(OpenSslUpdate, rc4, "RC4");

}  // namespace

BENCHMARK_CAPTURE(ZlcUpdate, aes128_cbc_encrypt, ZLC_AES_128 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, aes128_cbc_encrypt, "AES-128-CBC");
BENCHMARK_CAPTURE(ZlcUpdate, aes128_cbc_decrypt, ZLC_AES_128 + ZLC_MODE_CBC + ZLC_NO_PADDING, 0);
BENCHMARK_CAPTURE(OpenSslUpdate, aes128_cbc_decrypt, "AES-128-CBC", 0);
BENCHMARK_CAPTURE(ZlcUpdate, aes128_ecb_encrypt, ZLC_AES_128 + ZLC_MODE_ECB + ZLC_NO_PADDING);
BENCHMARK_CAPTURE(OpenSslUpdate, aes128_ecb_encrypt, "AES-128-ECB");
BENCHMARK_CAPTURE(ZlcUpdate, aes128_ecb_decrypt, ZLC_AES_128 + ZLC_MODE_ECB + ZLC_NO_PADDING, 0);
BENCHMARK_CAPTURE(OpenSslUpdate, aes128_ecb_decrypt, "AES-128-ECB", 0);
BENCHMARK_CAPTURE(ZlcUpdate, aes128_ctr, ZLC_AES_128 + ZLC_MODE_CTR);
BENCHMARK_CAPTURE(OpenSslUpdate, aes128_ctr, "AES-128-CTR");

// Crypto++ is the one peer here with LEA.
template <class Mode>
void CryptoppLea(benchmark::State& state) {
    std::vector<uint8_t> buf(kBuffer, 0xA5);
    const uint8_t key[16] = {7, 1, 2, 3}, iv[16] = {9};
    Mode mode;
    if constexpr (std::is_same_v<Mode, CryptoPP::ECB_Mode<CryptoPP::LEA>::Encryption>) {
        mode.SetKey(key, sizeof(key));
    } else {
        mode.SetKeyWithIV(key, sizeof(key), iv);
    }
    for (auto _ : state) {
        mode.ProcessData(buf.data(), buf.data(), kBuffer);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBuffer);
}

BENCHMARK_CAPTURE(ZlcUpdate, lea128_ctr, ZLC_LEA_128 + ZLC_MODE_CTR);
BENCHMARK_TEMPLATE(CryptoppLea, CryptoPP::CTR_Mode<CryptoPP::LEA>::Encryption);
BENCHMARK_CAPTURE(ZlcUpdate, lea128_ecb_encrypt, ZLC_LEA_128 + ZLC_MODE_ECB + ZLC_NO_PADDING);
BENCHMARK_TEMPLATE(CryptoppLea, CryptoPP::ECB_Mode<CryptoPP::LEA>::Encryption);
BENCHMARK_CAPTURE(ZlcUpdate, lea128_cbc_encrypt, ZLC_LEA_128 + ZLC_MODE_CBC + ZLC_NO_PADDING);
BENCHMARK_TEMPLATE(CryptoppLea, CryptoPP::CBC_Mode<CryptoPP::LEA>::Encryption);

BENCHMARK_MAIN();
