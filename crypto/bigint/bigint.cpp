// Integer records: storage, conversions to and from bytes and text, comparison, word and bit
// access.
#include "crypto/bigint/bigint.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "crypto/core/memory.h"
#include "crypto/platform/secure_zero.h"

namespace zlc::bigint {
namespace {

constexpr Status kInitNull = st(op::kInit, REASON_NULL_ARGUMENT);
constexpr Status kFreeNull = st(op::kFree, REASON_NULL_ARGUMENT);
constexpr Status kCopyNull = st(op::kCopy, REASON_NULL_ARGUMENT);
constexpr Status kCopyGrowth = st(op::kCopy, REASON_GROWTH_FAILED);
constexpr Status kSetWordNull = st(op::kSetWord, REASON_NULL_ARGUMENT);
constexpr Status kSetWordGrowth = st(op::kSetWord, REASON_GROWTH_FAILED);
constexpr Status kSetBitNull = st(op::kSetBit, REASON_NULL_ARGUMENT);
constexpr Status kSetBitGrowth = st(op::kSetBit, REASON_GROWTH_FAILED);

constexpr std::array<std::uint8_t, 256> kByteBits = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 1; i < 256; ++i) t[i] = static_cast<std::uint8_t>(t[i / 2] + 1);
    return t;
}();
static_assert(kByteBits[0] == 0 && kByteBits[1] == 1 && kByteBits[0x80] == 8 &&
              kByteBits[0x7F] == 7);

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::uint32_t g_one_word = 1;
BIGINT g_one{&g_one_word, 1, 1, BIGINT_FLAG_STATIC};
BIGINT g_zero{nullptr, 0, 0, BIGINT_FLAG_STATIC};

// The process-wide constants stay as they are whatever a caller passes them to.
bool shared_constant(const BIGINT* n) {
    return n == &g_one || n == &g_zero;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Releases storage the record owns; words of a static record belong to someone else.
void drop_storage(BIGINT* n) {
    if (n->words != nullptr && (n->flags & BIGINT_FLAG_STATIC) == 0) {
        mem::free_wiped(n->words, static_cast<std::size_t>(n->capacity) * sizeof(std::uint32_t));
    }
    n->words = nullptr;
    n->flags &= ~BIGINT_FLAG_STATIC;
}

char* alloc_text(std::size_t bytes) {
    return static_cast<char*>(mem::alloc_zeroed(bytes));
}

}  // namespace

bool grow(BIGINT* n, std::int64_t words) noexcept {
    if (words <= n->capacity) return writable(n);
    if (!writable(n) || words > kMaxWords) return false;
    auto* fresh =
        static_cast<std::uint32_t*>(mem::alloc_zeroed(static_cast<std::size_t>(words) * 4));
    if (fresh == nullptr) return false;
    if (n->length > 0) std::memcpy(fresh, n->words, static_cast<std::size_t>(n->length) * 4);
    // The old words may hold key material: wipe them before they go back to the allocator.
    mem::free_wiped(n->words, static_cast<std::size_t>(n->capacity) * 4);
    n->words = fresh;
    n->capacity = static_cast<std::int32_t>(words);
    return true;
}

void normalise(BIGINT* n) noexcept {
    std::int32_t len = n->length;
    while (len > 0 && n->words[len - 1] == 0) --len;
    n->length = len;
}

std::int32_t word_bits(std::uint32_t w) noexcept {
    if (w >> 24) return 24 + kByteBits[w >> 24];
    if (w >> 16) return 16 + kByteBits[w >> 16];
    if (w >> 8) return 8 + kByteBits[w >> 8];
    return kByteBits[w];
}

BIGINT* new_bigint() noexcept {
    auto* n = mem::alloc_record<BIGINT>();
    if (n != nullptr) n->flags = BIGINT_FLAG_HEAP;
    return n;
}

Status init(BIGINT* n) noexcept {
    if (n == nullptr) return kInitNull;
    if (shared_constant(n)) return kOk;
    if ((n->flags & (BIGINT_FLAG_HEAP | BIGINT_FLAG_STATIC | BIGINT_FLAG_INIT)) != 0)
        std::memset(n, 0, sizeof(*n));
    n->flags |= BIGINT_FLAG_INIT;
    return kOk;
}

void clear(BIGINT* n) noexcept {
    if (n == nullptr || shared_constant(n)) return;
    drop_storage(n);
    n->length = 0;
    n->capacity = 0;
}

Status free(BIGINT* n) noexcept {
    if (n == nullptr) return kFreeNull;
    if (shared_constant(n)) return kOk;
    clear(n);
    if ((n->flags & BIGINT_FLAG_HEAP) != 0) mem::free_record(n);
    return kOk;
}

Status copy(BIGINT* dst, const BIGINT* src) noexcept {
    if (dst == nullptr || src == nullptr) return kCopyNull;
    if (dst == src) return kOk;
    if (!grow(dst, src->length)) return kCopyGrowth;
    if (src->length > 0)
        std::memcpy(dst->words, src->words, static_cast<std::size_t>(src->length) * 4);
    dst->length = src->length;
    return kOk;
}

BIGINT* dup(const BIGINT* src) noexcept {
    if (src == nullptr) return nullptr;
    BIGINT* n = new_bigint();
    if (n == nullptr) return nullptr;
    if (copy(n, src) != kOk) {
        (void)free(n);
        return nullptr;
    }
    return n;
}

void swap(BIGINT* a, BIGINT* b) noexcept {
    if (a == nullptr || b == nullptr || shared_constant(a) || shared_constant(b)) return;
    const BIGINT t = *a;
    a->words = b->words;
    a->length = b->length;
    a->capacity = b->capacity;
    b->words = t.words;
    b->length = t.length;
    b->capacity = t.capacity;
    const std::uint32_t a_static = a->flags & BIGINT_FLAG_STATIC;
    a->flags = (a->flags & ~BIGINT_FLAG_STATIC) | (b->flags & BIGINT_FLAG_STATIC);
    b->flags = (b->flags & ~BIGINT_FLAG_STATIC) | a_static;
}

BIGINT* binary_to(const std::uint8_t* bytes, std::int32_t count, BIGINT* target) noexcept {
    if (bytes == nullptr || count < 0) return nullptr;
    BIGINT* n = target != nullptr ? target : new_bigint();
    if (n == nullptr) return nullptr;
    const std::int32_t words =
        static_cast<std::int32_t>((static_cast<std::int64_t>(count) + 3) / 4);
    if (!grow(n, words)) {
        if (target == nullptr) (void)free(n);
        return nullptr;
    }
    for (std::int32_t i = 0; i < words; ++i) {
        std::uint32_t w = 0;
        // Word i holds bytes count-4i-4 .. count-4i-1 (big-endian), the first word possibly short.
        for (std::int32_t k = 3; k >= 0; --k) {
            const std::int64_t pos =
                static_cast<std::int64_t>(count) - 4 * static_cast<std::int64_t>(i) - 1 - k;
            w = (w << 8) | (pos >= 0 ? bytes[pos] : 0u);
        }
        n->words[i] = w;
    }
    n->length = words;
    normalise(n);
    return n;
}

std::int32_t to_binary_unsigned(const BIGINT* n, std::uint8_t* out) noexcept {
    if (n == nullptr || out == nullptr) return 0;
    const std::int32_t bytes = (get_bits_length(n) + 7) / 8;
    for (std::int32_t i = 0; i < bytes; ++i) {
        const std::int32_t k = bytes - 1 - i;  // byte significance
        out[i] = static_cast<std::uint8_t>(n->words[k / 4] >> (8 * (k % 4)));
    }
    return bytes;
}

std::int32_t to_binary(const BIGINT* n, std::uint8_t* out) noexcept {
    if (n == nullptr || out == nullptr || is_zero(n)) return 0;
    const std::int32_t bits = get_bits_length(n);
    if (bits % 8 != 0) return to_binary_unsigned(n, out);
    // A top bit that is set gets a 00 in front, the form of a positive two's-complement integer.
    out[0] = 0;
    return 1 + to_binary_unsigned(n, out + 1);
}

BIGINT* hex_to(const char* text) noexcept {
    if (text == nullptr || text[0] == '\0') return nullptr;
    std::size_t digits = 0;
    while (hex_value(text[digits]) >= 0) ++digits;
    BIGINT* n = new_bigint();
    if (n == nullptr) return nullptr;
    const std::size_t words = (digits + 7) / 8;
    if (words > static_cast<std::size_t>(kMaxWords) || !grow(n, static_cast<std::int64_t>(words))) {
        (void)free(n);
        return nullptr;
    }
    for (std::size_t i = 0; i < digits; ++i) {
        const std::size_t k = digits - 1 - i;  // digit significance
        n->words[k / 8] |= static_cast<std::uint32_t>(hex_value(text[i])) << (4 * (k % 8));
    }
    n->length = static_cast<std::int32_t>(words);
    normalise(n);
    return n;
}

char* to_hex(const BIGINT* n) noexcept {
    if (n == nullptr) return nullptr;
    char* text = alloc_text(static_cast<std::size_t>(n->length) * 8 + 2);
    if (text == nullptr) return nullptr;
    if (is_zero(n)) {
        text[0] = '0';
        return text;
    }
    std::size_t pos = 0;
    bool leading = true;
    for (std::int32_t i = n->length - 1; i >= 0; --i) {
        for (int b = 3; b >= 0; --b) {
            const unsigned byte = (n->words[i] >> (8 * b)) & 0xFF;
            if (leading && byte == 0) continue;
            leading = false;
            text[pos++] = kHexDigits[byte >> 4];
            text[pos++] = kHexDigits[byte & 0xF];
        }
    }
    return text;
}

char* to_dec(const BIGINT* n) noexcept {
    if (n == nullptr) return nullptr;
    const std::int64_t bits = get_bits_length(n);
    const std::int64_t num = bits * 3 / 10 + bits * 3 / 1000 + 2;
    char* text = alloc_text(static_cast<std::size_t>(num) + 3);
    if (text == nullptr) return nullptr;
    const std::size_t chunk_capacity = static_cast<std::size_t>(num / 9 + 1);
    auto* chunks = static_cast<std::uint32_t*>(mem::alloc_zeroed(chunk_capacity * 4));
    BIGINT* copy = dup(n);
    mem::ScopeExit release([&] {
        mem::free_wiped(chunks, chunk_capacity * 4);
        (void)free(copy);
    });
    if (chunks == nullptr || copy == nullptr) {
        mem::free_wiped(text, static_cast<std::size_t>(num) + 3);
        return nullptr;
    }
    if (is_zero(copy)) {
        text[0] = '0';
        return text;
    }
    std::size_t count = 0;
    while (!is_zero(copy)) {
        const std::uint32_t r = div_word(copy, 1000000000u);
        // 0xFFFFFFFF is never a remainder modulo 10^9: the division failed and copy is unchanged.
        if (r == 0xFFFFFFFFu || count == chunk_capacity) {
            mem::free_wiped(text, static_cast<std::size_t>(num) + 3);
            return nullptr;
        }
        chunks[count++] = r;
    }
    const std::size_t room = static_cast<std::size_t>(num) + 3;
    int pos = std::snprintf(text, room, "%lu", static_cast<unsigned long>(chunks[count - 1]));
    for (std::size_t i = count - 1; i-- > 0;) {
        pos += std::snprintf(text + pos, room - static_cast<std::size_t>(pos), "%09lu",
                             static_cast<unsigned long>(chunks[i]));
    }
    return text;
}

void print(const BIGINT* n) noexcept {
    if (n == nullptr) return;
    std::fputs("0x", stdout);
    char* text = to_hex(n);
    if (text == nullptr) return;
    std::printf("%s\n", text);
    mem::free_wiped(text, std::strlen(text) + 1);
}

char* dump(const BIGINT* n) noexcept {
    if (n == nullptr) return nullptr;
    char* hex = to_hex(n);
    if (hex == nullptr) return nullptr;
    const std::size_t room = std::strlen(hex) + 3;
    char* text = alloc_text(room);
    if (text != nullptr) std::snprintf(text, room, "0x%s", hex);
    mem::free_wiped(hex, room - 2);
    return text;
}

std::int32_t get_bits_length(const BIGINT* n) noexcept {
    if (n == nullptr || is_zero(n)) return 0;
    return 32 * (n->length - 1) + word_bits(n->words[n->length - 1]);
}

std::int32_t cmp(const BIGINT* a, const BIGINT* b) noexcept {
    if (a == nullptr || b == nullptr) return 1;
    if (a->length != b->length) return a->length > b->length ? 1 : -1;
    for (std::int32_t i = a->length - 1; i >= 0; --i) {
        if (a->words[i] != b->words[i]) return a->words[i] > b->words[i] ? 1 : -1;
    }
    return 0;
}

std::uint32_t get_word(const BIGINT* n) noexcept {
    if (n == nullptr) return 1;
    if (n->length > 1) return 0xFFFFFFFFu;
    return n->length == 0 ? 0 : n->words[0];
}

Status set_word(BIGINT* n, std::uint32_t w) noexcept {
    if (n == nullptr) return kSetWordNull;
    if (!grow(n, 1)) return kSetWordGrowth;
    n->words[0] = w;
    n->length = w != 0 ? 1 : 0;
    return kOk;
}

Status set_bit(BIGINT* n, std::int32_t i) noexcept {
    if (n == nullptr || i < 0) return kSetBitNull;
    const std::int32_t word = i / 32;
    if (!grow(n, static_cast<std::int64_t>(word) + 1)) return kSetBitGrowth;
    if (word >= n->length) {
        std::memset(n->words + n->length, 0, static_cast<std::size_t>(word + 1 - n->length) * 4);
        n->length = word + 1;
    }
    n->words[word] |= 1u << (i % 32);
    return kOk;
}

std::int32_t is_bit_set(const BIGINT* n, std::int32_t i) noexcept {
    if (n == nullptr || i < 0 || i / 32 >= n->length) return 0;
    return static_cast<int32_t>((n->words[i / 32] >> (i % 32)) & 1u);
}

const BIGINT* value_one() noexcept {
    return &g_one;
}

const BIGINT* value_zero() noexcept {
    return &g_zero;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API BIGINT* ZLC_New_BIGINT(void) ZLC_NOEXCEPT {
    return new_bigint();
}

ZLC_API uint32_t ZLC_Init_BIGINT(BIGINT* n) ZLC_NOEXCEPT {
    return init(n);
}

ZLC_API void ZLC_Clear_BIGINT(BIGINT* n) ZLC_NOEXCEPT {
    clear(n);
}

ZLC_API uint32_t ZLC_Free_BIGINT(BIGINT* n) ZLC_NOEXCEPT {
    return free(n);
}

ZLC_API uint32_t ZLC_Copy_BIGINT(BIGINT* dst, const BIGINT* src) ZLC_NOEXCEPT {
    return copy(dst, src);
}

ZLC_API BIGINT* ZLC_Dup_BIGINT(const BIGINT* src) ZLC_NOEXCEPT {
    return dup(src);
}

ZLC_API void ZLC_Swap_BIGINT(BIGINT* a, BIGINT* b) ZLC_NOEXCEPT {
    swap(a, b);
}

ZLC_API BIGINT* ZLC_Binary_To_BIGINT(const uint8_t* bytes, int32_t count,
                                     BIGINT* target) ZLC_NOEXCEPT {
    return binary_to(bytes, count, target);
}

ZLC_API int32_t ZLC_BIGINT_To_Binary_Unsigned(const BIGINT* n, uint8_t* out) ZLC_NOEXCEPT {
    return to_binary_unsigned(n, out);
}

ZLC_API int32_t ZLC_BIGINT_To_Binary(const BIGINT* n, uint8_t* out) ZLC_NOEXCEPT {
    return to_binary(n, out);
}

ZLC_API BIGINT* ZLC_HEX_To_BIGINT(const char* text) ZLC_NOEXCEPT {
    return hex_to(text);
}

ZLC_API char* ZLC_BIGINT_To_HEX(const BIGINT* n) ZLC_NOEXCEPT {
    return to_hex(n);
}

ZLC_API char* ZLC_BIGINT_To_DEC(const BIGINT* n) ZLC_NOEXCEPT {
    return to_dec(n);
}

ZLC_API void ZLC_Print_BIGINT(const BIGINT* n) ZLC_NOEXCEPT {
    print(n);
}

ZLC_API char* ZLC_Dump_BIGINT(const BIGINT* n) ZLC_NOEXCEPT {
    return dump(n);
}

ZLC_API int32_t ZLC_Get_BIGINT_Bits_Length(const BIGINT* n) ZLC_NOEXCEPT {
    return get_bits_length(n);
}

ZLC_API int32_t ZLC_Cmp_BIGINT(const BIGINT* a, const BIGINT* b) ZLC_NOEXCEPT {
    return cmp(a, b);
}

ZLC_API uint32_t ZLC_Get_BIGINT_Word(const BIGINT* n) ZLC_NOEXCEPT {
    return get_word(n);
}

ZLC_API uint32_t ZLC_Set_BIGINT_Word(BIGINT* n, uint32_t w) ZLC_NOEXCEPT {
    return set_word(n, w);
}

ZLC_API uint32_t ZLC_Set_BIGINT_Bit(BIGINT* n, int32_t i) ZLC_NOEXCEPT {
    return set_bit(n, i);
}

ZLC_API int32_t ZLC_Is_BIGINT_Bit_Set(const BIGINT* n, int32_t i) ZLC_NOEXCEPT {
    return is_bit_set(n, i);
}

ZLC_API const BIGINT* ZLC_Value_One_BIGINT(void) ZLC_NOEXCEPT {
    return value_one();
}

ZLC_API const BIGINT* ZLC_Value_Zero_BIGINT(void) ZLC_NOEXCEPT {
    return value_zero();
}

}  // extern "C"
