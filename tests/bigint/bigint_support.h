#pragma once
// Owning handles over the C records, so tests read as arithmetic and leak nothing.
#include <cstdlib>
#include <memory>
#include <string>

#include "zlc.h"

namespace zlc::test {

struct BigintFree {
    void operator()(BIGINT* n) const { ZLC_Free_BIGINT(n); }
};
struct PoolFree {
    void operator()(BIGINT_POOL* p) const { ZLC_Free_BIGINT_Pool(p); }
};
using Big = std::unique_ptr<BIGINT, BigintFree>;
using Pool = std::unique_ptr<BIGINT_POOL, PoolFree>;

inline Big hex_big(const char* text) { return Big(ZLC_HEX_To_BIGINT(text)); }
inline Big new_big() { return Big(ZLC_New_BIGINT()); }
inline Pool new_pool() { return Pool(ZLC_New_BIGINT_Pool()); }

inline std::string take_text(char* text) {
    std::string s = text != nullptr ? text : "<null>";
    ZLC_Free(text, nullptr, 0);
    return s;
}
inline std::string hex_of(const BIGINT* n) { return take_text(ZLC_BIGINT_To_HEX(n)); }
inline std::string dec_of(const BIGINT* n) { return take_text(ZLC_BIGINT_To_DEC(n)); }

}  // namespace zlc::test
