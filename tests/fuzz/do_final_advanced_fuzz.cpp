// libFuzzer target: ZLC_DoFinal_Advanced_BLOCK_CIPHER over state records it cannot trust.
//
// Byte 0 chooses how the record is made:
//   odd:  the next 876 bytes are the record as they stand (zero-filled when the input is shorter);
//   even: a genuine record from ZLC_Init_Advanced_BLOCK_CIPHER (algorithm, mode, padding and
//         direction from bytes 1-3, key and IV from the next 48 bytes), then up to 15 patches of
//         1 to 4 bytes each at offsets the input gives, so that the fuzzer reaches the schedule
//         and the engine behind the header checks.
// The rest of the input is the message. Whatever DoFinal answers, it must stay inside its buffers
// (the record and the output are heap blocks of exactly their sizes), leave the record untouched
// and give the same answer twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "zlc.h"

namespace {

constexpr std::size_t kRecord = ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH;

constexpr std::uint32_t kAlgorithms[] = {
    ZLC_AES_128,   ZLC_AES_192,       ZLC_AES_256,  ZLC_DES,      ZLC_TDES_3KEY,
    ZLC_TDES_2KEY, ZLC_TDES_3KEY_ALT, ZLC_ARIA_128, ZLC_ARIA_192, ZLC_ARIA_256,
    ZLC_SEED_128,  ZLC_SEED_256,      ZLC_RC5,      ZLC_RC2_128,  ZLC_RC2_40,
    ZLC_RC2_64,    ZLC_LEA_128,       ZLC_LEA_192,  ZLC_LEA_256};
constexpr std::uint32_t kModes[] = {ZLC_MODE_ECB,    ZLC_MODE_CBC, ZLC_MODE_CFB, ZLC_MODE_CFB64,
                                    ZLC_MODE_CFB128, ZLC_MODE_OFB, ZLC_MODE_CTR};

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Copies up to n bytes into out, zero-filling what the input lacks.
    void bytes(std::uint8_t* out, std::size_t n) {
        const std::size_t take = n < size_ - at_ ? n : size_ - at_;
        std::memcpy(out, data_ + at_, take);
        std::memset(out + take, 0, n - take);
        at_ += take;
    }
    const std::uint8_t* rest() const { return data_ + at_; }
    std::size_t rest_size() const { return size_ - at_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A genuine record, then the patches. False when Init refuses the combination.
bool derived_record(Input& input, std::uint8_t* record) {
    const std::uint32_t algorithm = kAlgorithms[input.byte() % std::size(kAlgorithms)];
    const std::uint8_t mode_byte = input.byte();
    const std::uint32_t id =
        algorithm + kModes[(mode_byte >> 1) % std::size(kModes)] + (mode_byte & 1u);
    const std::uint32_t encrypt = input.byte() & 1u;
    std::uint8_t key[32];
    std::uint8_t iv[16];
    input.bytes(key, sizeof(key));
    input.bytes(iv, sizeof(iv));
    std::int32_t length = static_cast<std::int32_t>(kRecord);
    if (ZLC_Init_Advanced_BLOCK_CIPHER(id, key, iv, encrypt, record, &length) != 0) return false;
    for (unsigned patches = input.byte() % 16; patches > 0; --patches) {
        const std::size_t offset = ((std::size_t{input.byte()} << 8) | input.byte()) % kRecord;
        const std::size_t width = 1 + input.byte() % 4;
        input.bytes(record + offset, offset + width <= kRecord ? width : kRecord - offset);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const auto record = std::make_unique<std::uint8_t[]>(kRecord);
    if ((input.byte() & 1u) != 0) {
        input.bytes(record.get(), kRecord);
    } else if (!derived_record(input, record.get())) {
        return 0;
    }
    const std::vector<std::uint8_t> original(record.get(), record.get() + kRecord);

    // Update may write the input length plus one block, Final at most one more.
    const std::size_t n = input.rest_size() < 4096 ? input.rest_size() : 4096;
    const std::vector<std::uint8_t> message(input.rest(), input.rest() + n);
    const std::size_t capacity = n + 32;
    const auto first = std::make_unique<std::uint8_t[]>(capacity);
    const auto second = std::make_unique<std::uint8_t[]>(capacity);
    std::int32_t first_length = -1;
    std::int32_t second_length = -1;
    const std::uint32_t a = ZLC_DoFinal_Advanced_BLOCK_CIPHER(
        record.get(), 0, message.data(), static_cast<std::int32_t>(n), first.get(), &first_length);
    const std::uint32_t b = ZLC_DoFinal_Advanced_BLOCK_CIPHER(record.get(), 0, message.data(),
                                                              static_cast<std::int32_t>(n),
                                                              second.get(), &second_length);

    if (std::memcmp(record.get(), original.data(), kRecord) != 0) std::abort();
    if (a != b) std::abort();
    if (a == 0) {
        if (first_length < 0 || static_cast<std::size_t>(first_length) > n + 16) std::abort();
        if (first_length != second_length) std::abort();
        if (std::memcmp(first.get(), second.get(), static_cast<std::size_t>(first_length)) != 0)
            std::abort();
    }
    return 0;
}
