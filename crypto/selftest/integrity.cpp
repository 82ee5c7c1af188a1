#include "crypto/selftest/integrity.h"

#include <atomic>
#include <cstring>
#include <limits>

#include "crypto/bigint/bigint.h"
#include "crypto/core/memory.h"
#include "crypto/pk/rsa.h"
#include "crypto/platform/module_file.h"
#include "crypto/selftest/module_key.h"
#include "zlc.h"

namespace zlc::selftest {
namespace {

constexpr std::uint8_t kOpIntegrity = 0x01;
constexpr std::uint16_t kReasonNoModule = 0x0050;
constexpr Status kNotAllocated = make_status(Module::SelfTest, kOpIntegrity, REASON_ALLOC_FAILED_B);
constexpr Status kNoModule = make_status(Module::SelfTest, kOpIntegrity, kReasonNoModule);
constexpr Status kInitFailed = make_status(Module::SelfTest, kOpIntegrity, REASON_INIT_FAILED);
constexpr Status kUpdateFailed = make_status(Module::SelfTest, kOpIntegrity, REASON_UPDATE_FAILED);
constexpr Status kNotVerified = make_status(Module::SelfTest, kOpIntegrity, REASON_FINAL_FAILED);

// At least one signed byte before the signature.
constexpr std::int64_t kMinimumModuleSize = kModuleSignatureLength + 1;

std::atomic<const char*> g_module_path{nullptr};

struct Search {
    char* path;
    int result;
};

void consider(const char* candidate, void* context) {
    auto* search = static_cast<Search*>(context);
    const std::size_t length = std::strlen(candidate);
    if (length > kMaxModulePath || std::strstr(candidate, kModuleMarker) == nullptr) return;
    std::memset(search->path, 0, kModulePathBuffer);
    std::memcpy(search->path, candidate, length);
    search->result = 0;
}

}  // namespace

int FindModuleFile(char* path) noexcept {
    Search search{path, 1};
    if (const char* replacement = g_module_path.load(); replacement != nullptr) {
        consider(replacement, &search);
        return search.result;
    }
    // Every match overwrites the last, so the module listed last wins.
    platform::list_loaded_modules(consider, &search);
    return search.result;
}

std::int32_t ReadModuleFile(const char* path, std::uint8_t** contents) noexcept {
    if (contents == nullptr) return -1;
    *contents = nullptr;
    if (path == nullptr) return -1;
    platform::FileReader file(path);
    if (!file.is_open()) return -1;
    const std::int64_t size = file.size();
    if (size < kMinimumModuleSize || size > std::numeric_limits<std::int32_t>::max()) return -1;
    const auto bytes = static_cast<std::size_t>(size);
    auto* block = static_cast<std::uint8_t*>(mem::alloc_zeroed(bytes));
    if (block == nullptr) return -1;
    if (!file.read_exact(block, bytes)) {
        mem::free_wiped(block, bytes);
        return -1;
    }
    *contents = block;
    return static_cast<std::int32_t>(size);
}

const char* replace_module_path(const char* path) noexcept {
    return g_module_path.exchange(path);
}

Status IntegrityTest() noexcept {
    rsa::RSA* key = rsa::new_rsa();
    if (key == nullptr) return kNotAllocated;
    mem::ScopeExit release_key([key] { rsa::free_rsa(key); });
    key->e = bigint::binary_to(kModuleKeyExponent, sizeof(kModuleKeyExponent), nullptr);
    key->n = bigint::binary_to(kModuleKeyModulus, sizeof(kModuleKeyModulus), nullptr);
    if (key->e == nullptr || key->n == nullptr) return kNotAllocated;
    key->parts = ZLC_RSA_PART_N | ZLC_RSA_PART_E;

    auto* path = static_cast<char*>(mem::alloc_zeroed(kModulePathBuffer));
    if (path == nullptr) return kNotAllocated;
    mem::ScopeExit release_path([path] { mem::free_wiped(path, kModulePathBuffer); });
    if (FindModuleFile(path) != 0) return kNoModule;

    std::uint8_t* contents = nullptr;
    const std::int32_t size = ReadModuleFile(path, &contents);
    if (size < 0) return kNotVerified;
    mem::ScopeExit release_contents(
        [contents, size] { mem::free_wiped(contents, static_cast<std::size_t>(size)); });
    const std::int32_t signed_length = size - kModuleSignatureLength;

    if (rsa::init_rsassa(key, ZLC_SHA256, ZLC_RSASSA_PSS, 0) != kOk) return kInitFailed;
    if (rsa::update_rsassa(key, contents, signed_length) != kOk) return kUpdateFailed;
    std::int32_t signature_length = kModuleSignatureLength;
    if (rsa::final_rsassa(key, contents + signed_length, &signature_length) != kOk)
        return kNotVerified;
    return kOk;
}

}  // namespace zlc::selftest
