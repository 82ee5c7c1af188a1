// The pool of scratch integers: blocks of eight records handed out in list order inside nested
// frames; records given back keep their storage, so a warmed-up pool allocates nothing.
#include <cstring>

#include "crypto/bigint/bigint.h"
#include "crypto/core/memory.h"

namespace zlc::bigint {
namespace {

constexpr Status kFreePoolNull = st(op::kFreePool, REASON_NULL_ARGUMENT);
constexpr Status kClearPoolNull = st(op::kClearPool, REASON_NULL_ARGUMENT);
constexpr Status kStartNull = st(op::kStartPool, REASON_NULL_ARGUMENT);
constexpr Status kFinishNull = st(op::kFinishPool, REASON_NULL_ARGUMENT);
constexpr std::int32_t kPerBlock = ZLC_BIGINT_POOL_BLOCK_RECORDS;

BIGINT_POOL_BLOCK* new_block(BIGINT_POOL_BLOCK* previous) {
    auto* block = mem::alloc_record<BIGINT_POOL_BLOCK>();
    if (block == nullptr) return nullptr;
    for (BIGINT& record : block->records) record.flags = BIGINT_FLAG_INIT;
    block->previous = previous;
    return block;
}

BIGINT* take(BIGINT_POOL* pool) {
    BIGINT* record = nullptr;
    if (pool->used == pool->size) {
        BIGINT_POOL_BLOCK* block = new_block(pool->tail);
        if (block == nullptr) return nullptr;
        if (pool->head == nullptr) {
            pool->head = block;
        } else {
            pool->tail->next = block;
        }
        pool->tail = block;
        pool->current = block;
        pool->size += kPerBlock;
        record = &block->records[0];
    } else {
        // After every record went back, `current` may have run off the head of the list.
        if (pool->used == 0) {
            pool->current = pool->head;
        } else if (pool->used % kPerBlock == 0) {
            pool->current = pool->current->next;
        }
        record = &pool->current->records[pool->used % kPerBlock];
        if (record->words != nullptr) (void)set_word(record, 0);
    }
    ++pool->used;
    ++pool->frame_counts[pool->depth];
    return record;
}

void give_back(BIGINT_POOL* pool, std::int32_t count) {
    if (count <= 0) return;
    std::int32_t offset = (pool->used - 1) % kPerBlock;
    pool->used -= count;
    for (std::int32_t i = 0; i < count; ++i) {
        if (offset == 0) {
            pool->current = pool->current->previous;
            offset = kPerBlock - 1;
        } else {
            --offset;
        }
    }
}

}  // namespace

BIGINT_POOL* new_pool() noexcept {
    auto* pool = mem::alloc_record<BIGINT_POOL>();
    if (pool != nullptr) pool->depth = -1;
    return pool;
}

Status start_pool(BIGINT_POOL* pool) noexcept {
    // An 81st frame would index past the frame counts: refused like a missing pool.
    if (pool == nullptr || pool->depth + 1 >= ZLC_BIGINT_POOL_MAX_FRAMES) return kStartNull;
    ++pool->depth;
    pool->frame_counts[pool->depth] = 0;
    return kOk;
}

BIGINT* get_pool(BIGINT_POOL* pool) noexcept {
    if (pool == nullptr || pool->depth < 0) return nullptr;
    return take(pool);
}

Status finish_pool(BIGINT_POOL* pool) noexcept {
    if (pool == nullptr || pool->depth < 0) return kFinishNull;
    give_back(pool, pool->frame_counts[pool->depth]);
    pool->frame_counts[pool->depth] = 0;
    --pool->depth;
    return kOk;
}

Status clear_pool(BIGINT_POOL* pool) noexcept {
    if (pool == nullptr) return kClearPoolNull;
    BIGINT_POOL_BLOCK* block = pool->head;
    while (block != nullptr) {
        for (BIGINT& record : block->records) clear(&record);
        BIGINT_POOL_BLOCK* next = block->next;
        mem::free_record(block);
        block = next;
    }
    // Left as a fresh pool, so a cleared pool is safe to use again.
    std::memset(pool, 0, sizeof(*pool));
    pool->depth = -1;
    return kOk;
}

Status free_pool(BIGINT_POOL* pool) noexcept {
    if (pool == nullptr) return kFreePoolNull;
    (void)clear_pool(pool);
    mem::free_record(pool);
    return kOk;
}

}  // namespace zlc::bigint

using namespace zlc::bigint;

extern "C" {

ZLC_API BIGINT_POOL* ZLC_New_BIGINT_Pool(void) ZLC_NOEXCEPT {
    return new_pool();
}

ZLC_API uint32_t ZLC_Start_BIGINT_Pool(BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return start_pool(pool);
}

ZLC_API BIGINT* ZLC_Get_BIGINT_Pool(BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return get_pool(pool);
}

ZLC_API uint32_t ZLC_Finish_BIGINT_Pool(BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return finish_pool(pool);
}

ZLC_API uint32_t ZLC_Clear_BIGINT_Pool(BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return clear_pool(pool);
}

ZLC_API uint32_t ZLC_Free_BIGINT_Pool(BIGINT_POOL* pool) ZLC_NOEXCEPT {
    return free_pool(pool);
}

}  // extern "C"
