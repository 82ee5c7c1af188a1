// Constant time checked by Valgrind's memcheck: with the exponent's words marked undefined,
// memcheck reports every conditional jump and every memory address computed from them. The
// constant-time exponentiation must draw no report, on the processor's kernels and on the portable
// ones
// (`consttime`); the sliding-window exponentiation run the same way must draw some (`control`),
// or the check would prove nothing. Each mode also compares its results with the other function.
// Run outside Valgrind (the sanitizer build) the program reports a skip.
#include <valgrind/memcheck.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "crypto/bigint/modular.h"
#include "crypto/bigint/words.h"
#include "crypto/platform/cpu.h"
#include "tests/bigint/bigint_support.h"

namespace {

using zlc::test::Big;

constexpr int kSkip = 77;

Big random_big(std::mt19937_64& rng, int words) {
    std::vector<uint8_t> bytes(static_cast<size_t>(words) * 4);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    bytes[0] |= 0x80;
    return Big(ZLC_Binary_To_BIGINT(bytes.data(), static_cast<int32_t>(bytes.size()), nullptr));
}

void mark_secret(const BIGINT* e) {
    VALGRIND_MAKE_MEM_UNDEFINED(e->words, static_cast<size_t>(e->length) * 4);
}

void declassify(const BIGINT* n) {
    VALGRIND_MAKE_MEM_DEFINED(&n->length, sizeof n->length);
    VALGRIND_MAKE_MEM_DEFINED(n->words, static_cast<size_t>(n->capacity) * 4);
}

// Errors memcheck reports while `run` executes with e's words undefined; the result is checked
// against `reference`, run with e defined.
template <class Run, class Reference>
unsigned errors_while_secret(const BIGINT* e, Run run, Reference reference, bool& same) {
    Big r(ZLC_New_BIGINT()), want(ZLC_New_BIGINT());
    const unsigned before = VALGRIND_COUNT_ERRORS;
    mark_secret(e);
    uint32_t status = run(r.get());
    VALGRIND_MAKE_MEM_DEFINED(e->words, static_cast<size_t>(e->length) * 4);
    // The status must not depend on the exponent: checking it counts as a report if it does.
    (void)VALGRIND_CHECK_VALUE_IS_DEFINED(status);
    declassify(r.get());
    const unsigned errors = VALGRIND_COUNT_ERRORS - before;
    VALGRIND_MAKE_MEM_DEFINED(&status, sizeof status);
    same = status == 0 && reference(want.get()) == 0 && ZLC_Cmp_BIGINT(r.get(), want.get()) == 0;
    return errors;
}

}  // namespace

int main(int argc, char** argv) {
    if (!RUNNING_ON_VALGRIND) {
        std::puts("not running under Valgrind: skipped");
        return kSkip;
    }
    const bool control = argc > 1 && std::strcmp(argv[1], "control") == 0;
    std::mt19937_64 rng(20240612);
    BIGINT_POOL* pool = ZLC_New_BIGINT_Pool();
    bool ok = true;
    // Word counts: one word, odd (padded), a whole four-limb group, limbs beside groups, 1024 bits.
    const int sizes[] = {1, 5, 8, 10, 32};
    // Every kernel path the machine has.
    for (const auto& path : zlc::bigint::words::word_kernel_paths().paths()) {
        if ((path.needs & ~zlc::platform::detected_features()) != 0) continue;
        zlc::platform::permit_features(path.needs);
        for (int words :
             control ? std::vector<int>{8} : std::vector<int>(std::begin(sizes), std::end(sizes))) {
            Big m = random_big(rng, words), a = random_big(rng, words), e = random_big(rng, words);
            m->words[0] |= 1;
            const int32_t bits = ZLC_Get_BIGINT_Bits_Length(m.get());
            auto consttime = [&](BIGINT* r) {
                return zlc::bigint::mod_exp_mont_consttime(r, a.get(), e.get(), bits, m.get(),
                                                           pool);
            };
            auto sliding = [&](BIGINT* r) {
                return ZLC_Mod_Exp_Mont_BIGINT(r, a.get(), e.get(), m.get(), pool);
            };
            bool same = false;
            const unsigned errors = control
                                        ? errors_while_secret(e.get(), sliding, consttime, same)
                                        : errors_while_secret(e.get(), consttime, sliding, same);
            std::printf("%s, %d words, %s kernels: %u reports, %s\n",
                        control ? "sliding window" : "constant time", words, path.name, errors,
                        same ? "same result" : "RESULTS DIFFER");
            ok = ok && same && (control ? errors > 0 : errors == 0);
        }
    }
    zlc::platform::permit_features(zlc::platform::kEveryFeature);
    ZLC_Free_BIGINT_Pool(pool);
    return ok ? 0 : 1;
}
