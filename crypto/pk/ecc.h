#pragma once
// Elliptic-curve containers: the C++ entry points behind the ZLC_ functions of points, curves and
// keys, with the same arguments and results.
#include <cstdint>

#include "zlc.h"

namespace zlc::ecc {

ECPOINT* new_point() noexcept;
void clean_point(ECPOINT* point) noexcept;
void free_point(ECPOINT* point) noexcept;
void zero_point(ECPOINT* point) noexcept;
ECURVE* new_curve() noexcept;
void clean_curve(ECURVE* curve) noexcept;
void free_curve(ECURVE* curve) noexcept;
std::uint32_t set_curve_params(ECURVE* curve, std::int32_t curve_id, const char* name,
                               const BIGINT* p, const BIGINT* a, const BIGINT* b,
                               const ECPOINT* generator, const BIGINT* order) noexcept;
ECC_Key* new_key() noexcept;
void clean_key(ECC_Key* key) noexcept;
void free_key(ECC_Key* key) noexcept;

}  // namespace zlc::ecc
