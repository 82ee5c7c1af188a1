// Records, conversions, comparison, word and bit access, and the pool.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/bigint/bigint_support.h"
#include "tests/support/hex.h"
#include "tests/support/library_seams.h"

namespace {

using zlc::test::Big;
using zlc::test::Bytes;
using zlc::test::dec_of;
using zlc::test::from_hex;
using zlc::test::hex_big;
using zlc::test::hex_of;
using zlc::test::new_big;
using zlc::test::new_pool;
using zlc::test::take_text;

TEST(BigintRecord, LifeCycleFlagsAndCopies) {
    Big n = new_big();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->flags, BIGINT_FLAG_HEAP);
    EXPECT_EQ(n->length, 0);
    EXPECT_EQ(n->capacity, 0);
    EXPECT_EQ(n->words, nullptr);

    BIGINT local;
    std::memset(&local, 0xA5, sizeof(local));
    local.flags = BIGINT_FLAG_HEAP;  // a stale record: dropped, not released
    EXPECT_EQ(ZLC_Init_BIGINT(&local), 0u);
    EXPECT_EQ(local.flags, BIGINT_FLAG_INIT);
    EXPECT_EQ(local.words, nullptr);
    EXPECT_EQ(ZLC_Set_BIGINT_Word(&local, 7), 0u);
    EXPECT_EQ(ZLC_Copy_BIGINT(n.get(), &local), 0u);
    EXPECT_EQ(ZLC_Free_BIGINT(&local), 0u);  // only emptied
    EXPECT_EQ(local.flags, BIGINT_FLAG_INIT);
    EXPECT_EQ(local.words, nullptr);

    Big dup(ZLC_Dup_BIGINT(n.get()));
    ASSERT_NE(dup, nullptr);
    EXPECT_EQ(ZLC_Cmp_BIGINT(dup.get(), n.get()), 0);
    Big big = hex_big("123456789ABCDEF0123");
    ZLC_Swap_BIGINT(dup.get(), big.get());
    EXPECT_EQ(hex_of(dup.get()), "0123456789ABCDEF0123");
    EXPECT_EQ(hex_of(big.get()), "07");
    EXPECT_EQ(dup->flags, BIGINT_FLAG_HEAP);

    ZLC_Clear_BIGINT(n.get());
    EXPECT_EQ(n->words, nullptr);
    EXPECT_EQ(n->length, 0);
    EXPECT_EQ(n->capacity, 0);
}

TEST(BigintRecord, NullArgumentsGiveTheirStatuses) {
    EXPECT_EQ(ZLC_Init_BIGINT(nullptr), 0x04010049u);
    EXPECT_EQ(ZLC_Free_BIGINT(nullptr), 0x04020049u);
    EXPECT_EQ(ZLC_Copy_BIGINT(nullptr, ZLC_Value_One_BIGINT()), 0x041F0049u);
    EXPECT_EQ(ZLC_Set_BIGINT_Word(nullptr, 1), 0x04200049u);
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(nullptr, 1), 0x04210049u);
    Big n = new_big();
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), -1), 0x04210049u);
    EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(nullptr, 0), 0);
    EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(ZLC_Value_One_BIGINT(), -1), 0);
    EXPECT_EQ(ZLC_Dup_BIGINT(nullptr), nullptr);
    EXPECT_EQ(ZLC_Binary_To_BIGINT(nullptr, 1, nullptr), nullptr);
    const uint8_t byte = 1;
    EXPECT_EQ(ZLC_Binary_To_BIGINT(&byte, -1, nullptr), nullptr);
    EXPECT_EQ(ZLC_BIGINT_To_Binary(nullptr, nullptr), 0);
    EXPECT_EQ(ZLC_BIGINT_To_HEX(nullptr), nullptr);
    EXPECT_EQ(ZLC_BIGINT_To_DEC(nullptr), nullptr);
    EXPECT_EQ(ZLC_Dump_BIGINT(nullptr), nullptr);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(nullptr), 0);
    EXPECT_EQ(ZLC_Cmp_BIGINT(nullptr, ZLC_Value_Zero_BIGINT()), 1);
    EXPECT_EQ(ZLC_Get_BIGINT_Word(nullptr), 1u);
    ZLC_Clear_BIGINT(nullptr);
    ZLC_Swap_BIGINT(nullptr, n.get());
    ZLC_Print_BIGINT(nullptr);
}

TEST(BigintRecord, GrowthBeyondTheLimitOrOfAConstantFails) {
    Big n = new_big();
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), 32 * 0xFFFFFF), 0x04210016u);  // needs 0x1000000 words
    EXPECT_EQ(n->length, 0);
    EXPECT_EQ(n->capacity, 0);

    BIGINT zero_copy = *ZLC_Value_Zero_BIGINT();  // the static flag forbids growth
    EXPECT_EQ(ZLC_Set_BIGINT_Word(&zero_copy, 5), 0x04200016u);
    EXPECT_EQ(ZLC_Copy_BIGINT(&zero_copy, ZLC_Value_One_BIGINT()), 0x041F0016u);
}

// A static record is refused as a result like a record that cannot grow, and left as it was.
TEST(BigintRecord, StaticResultRecordsAreRefusedAndUnchanged) {
    Big seven = hex_big("07");
    Big zero = new_big();
    zlc::test::Pool pool = new_pool();
    struct Case {
        const char* name;
        uint32_t expected;
        uint32_t (*run)(BIGINT* r, const BIGINT* seven, const BIGINT* zero, BIGINT_POOL* pool);
    };
    const Case cases[] = {
        {"Set_Bit", 0x04210016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Set_BIGINT_Bit(r, 1);
         }},
        {"Set_Bit inside", 0x04210016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Set_BIGINT_Bit(r, 0);
         }},
        {"Mtp_Word", 0x04050016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Mtp_BIGINT_Word(r, 3);
         }},
        {"Mtp_Word by zero", 0x04050016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Mtp_BIGINT_Word(r, 0);
         }},
        {"Sub_Word below", 0x04040016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Sub_BIGINT_Word(r, 5);
         }},
        {"Sub_Word", 0x04040016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Sub_BIGINT_Word(r, 1);
         }},
        {"Add_Word", 0x04030016u,
         [](BIGINT* r, const BIGINT*, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Add_BIGINT_Word(r, 1);
         }},
        {"Sqr of zero", 0x04110016u,
         [](BIGINT* r, const BIGINT*, const BIGINT* z, BIGINT_POOL* p) {
             return ZLC_Sqr_BIGINT(r, z, p);
         }},
        {"Div quotient", 0x0410003Au,
         [](BIGINT* r, const BIGINT* s, const BIGINT*, BIGINT_POOL* p) {
             return ZLC_Div_BIGINT(r, nullptr, s, s, p);
         }},
        {"Div remainder", 0x0410003Au,
         [](BIGINT* r, const BIGINT* s, const BIGINT* z, BIGINT_POOL* p) {
             return ZLC_Div_BIGINT(nullptr, r, z, s, p);
         }},
        {"Copy", 0x041F0016u,
         [](BIGINT* r, const BIGINT* s, const BIGINT*, BIGINT_POOL*) {
             return ZLC_Copy_BIGINT(r, s);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t word = 1;
        BIGINT one{&word, 1, 1, BIGINT_FLAG_STATIC};
        EXPECT_EQ(c.run(&one, seven.get(), zero.get(), pool.get()), c.expected);
        EXPECT_EQ(word, 1u);
        EXPECT_EQ(one.length, 1);
        EXPECT_EQ(one.words, &word);
    }

    // The shared constant itself: a 3 here would break every later inverse.
    auto* shared = const_cast<BIGINT*>(ZLC_Value_One_BIGINT());
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(shared, 1), 0x04210016u);
    EXPECT_EQ(ZLC_Mtp_BIGINT_Word(shared, 3), 0x04050016u);
    EXPECT_EQ(ZLC_Sub_BIGINT_Word(shared, 5), 0x04040016u);
    // Life-cycle calls leave both constants as they are.
    EXPECT_EQ(ZLC_Init_BIGINT(shared), 0u);
    ZLC_Clear_BIGINT(shared);
    EXPECT_EQ(ZLC_Free_BIGINT(shared), 0u);
    Big two = hex_big("02");
    ZLC_Swap_BIGINT(shared, two.get());
    auto* shared_zero = const_cast<BIGINT*>(ZLC_Value_Zero_BIGINT());
    ZLC_Clear_BIGINT(shared_zero);
    EXPECT_EQ(ZLC_Free_BIGINT(shared_zero), 0u);
    EXPECT_EQ(hex_of(two.get()), "02");
    EXPECT_EQ(ZLC_Get_BIGINT_Word(ZLC_Value_One_BIGINT()), 1u);
    EXPECT_EQ(ZLC_Value_One_BIGINT()->flags, BIGINT_FLAG_STATIC);
    EXPECT_EQ(ZLC_Value_Zero_BIGINT()->flags, BIGINT_FLAG_STATIC);
    Big r = new_big();
    Big three = hex_big("03");
    ASSERT_EQ(ZLC_Mod_Inverse_BIGINT(r.get(), three.get(), seven.get(), pool.get()), 0u);
    EXPECT_EQ(hex_of(r.get()), "05");
}

TEST(BigintRecord, AllocationFailuresLeaveNothingBehind) {
    Big n = hex_big("1234");
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_New_BIGINT(), nullptr);
        EXPECT_EQ(ZLC_Dup_BIGINT(n.get()), nullptr);
        EXPECT_EQ(ZLC_HEX_To_BIGINT("12"), nullptr);
        EXPECT_EQ(ZLC_BIGINT_To_HEX(n.get()), nullptr);
        EXPECT_EQ(ZLC_BIGINT_To_DEC(n.get()), nullptr);
        EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), 64), 0x04210016u);
        EXPECT_EQ(hex_of(nullptr), "<null>");
    }
    {
        zlc::test::FailAllocationsScope fail(1);  // the record, not its words
        const uint8_t bytes[] = {1, 2, 3, 4, 5};
        EXPECT_EQ(ZLC_Binary_To_BIGINT(bytes, 5, nullptr), nullptr);
        EXPECT_EQ(ZLC_Dup_BIGINT(n.get()), nullptr);
    }
    EXPECT_EQ(hex_of(n.get()), "1234");
}

TEST(BigintConversion, ByteStrings) {
    struct Case {
        const char* in;
        int32_t length;
        const char* signed_form;
        const char* unsigned_form;
    };
    const Case cases[] = {
        {"0000000001", 1, "01", "01"},
        {"", 0, "", ""},
        {"80", 1, "0080", "80"},
        {"7F", 1, "7F", "7F"},
        {"00000000", 0, "", ""},
        {"FFFFFFFF", 1, "00FFFFFFFF", "FFFFFFFF"},
        {"0100000000", 2, "0100000000", "0100000000"},
        {"123456789ABCDEF01122", 3, "123456789ABCDEF01122", "123456789ABCDEF01122"},
    };
    for (const Case& c : cases) {
        Bytes in = from_hex(c.in);
        in.reserve(1);  // a valid pointer also for the empty string
        Big n(ZLC_Binary_To_BIGINT(in.data(), static_cast<int32_t>(in.size()), nullptr));
        ASSERT_NE(n, nullptr) << c.in;
        EXPECT_EQ(n->length, c.length) << c.in;
        EXPECT_EQ(n->flags, BIGINT_FLAG_HEAP);
        uint8_t out[32];
        int32_t w = ZLC_BIGINT_To_Binary(n.get(), out);
        EXPECT_EQ(zlc::test::to_hex(out, static_cast<size_t>(w)),
                  zlc::test::to_hex(from_hex(c.signed_form)))
            << c.in;
        w = ZLC_BIGINT_To_Binary_Unsigned(n.get(), out);
        EXPECT_EQ(zlc::test::to_hex(out, static_cast<size_t>(w)),
                  zlc::test::to_hex(from_hex(c.unsigned_form)))
            << c.in;
    }
    // Into a caller's record, which is reused.
    Big target = hex_big("FFFFFFFFFFFFFFFFFFFF");
    const uint8_t two = 2;
    EXPECT_EQ(ZLC_Binary_To_BIGINT(&two, 1, target.get()), target.get());
    EXPECT_EQ(hex_of(target.get()), "02");
}

TEST(BigintConversion, Text) {
    struct Case {
        const char* in;
        int32_t length;
        const char* hex;
        const char* dec;
    };
    const Case cases[] = {
        {"0", 0, "0", "0"},
        {"x12", 0, "0", "0"},
        {"0x12", 0, "0", "0"},
        {"F", 1, "0F", "15"},
        {"100", 1, "0100", "256"},
        {"3B9ACA00", 1, "3B9ACA00", "1000000000"},
        {"aBcDeF0123", 2, "ABCDEF0123", "737894400291"},
        {"00000000FF", 1, "FF", "255"},
        {"12345g678", 1, "012345", "74565"},
        {"DE0B6B3A7640000", 2, "0DE0B6B3A7640000", "1000000000000000000"},
        {"FFFFFFFFFFFFFFFFFFFFFFFF", 3, "FFFFFFFFFFFFFFFFFFFFFFFF",
         "79228162514264337593543950335"},
    };
    for (const Case& c : cases) {
        Big n = hex_big(c.in);
        ASSERT_NE(n, nullptr) << c.in;
        EXPECT_EQ(n->length, c.length) << c.in;
        EXPECT_EQ(hex_of(n.get()), c.hex) << c.in;
        EXPECT_EQ(dec_of(n.get()), c.dec) << c.in;
    }
    EXPECT_EQ(ZLC_HEX_To_BIGINT(""), nullptr);
    EXPECT_EQ(ZLC_HEX_To_BIGINT(nullptr), nullptr);
    Big ten = hex_big("123456789A");
    EXPECT_EQ(ten->words[0], 0x3456789Au);
    EXPECT_EQ(ten->words[1], 0x12u);
    EXPECT_EQ(take_text(ZLC_Dump_BIGINT(ZLC_Value_Zero_BIGINT())), "0x0");
    EXPECT_EQ(take_text(ZLC_Dump_BIGINT(ten.get())), "0x123456789A");
}

TEST(BigintConversion, PrintWritesPrefixAndText) {
    Big n = hex_big("ABC");
    testing::internal::CaptureStdout();
    ZLC_Print_BIGINT(n.get());
    ZLC_Print_BIGINT(ZLC_Value_Zero_BIGINT());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0x0ABC\n0x0\n");
}

TEST(BigintInspection, BitsWordsAndComparison) {
    Big two_words = hex_big("100000000");
    Big one_word = hex_big("FFFFFFFF");
    EXPECT_EQ(ZLC_Get_BIGINT_Word(two_words.get()), 0xFFFFFFFFu);
    EXPECT_EQ(ZLC_Get_BIGINT_Word(one_word.get()), 0xFFFFFFFFu);
    EXPECT_EQ(ZLC_Get_BIGINT_Word(ZLC_Value_Zero_BIGINT()), 0u);
    EXPECT_EQ(ZLC_Cmp_BIGINT(two_words.get(), one_word.get()), 1);
    EXPECT_EQ(ZLC_Cmp_BIGINT(one_word.get(), two_words.get()), -1);
    EXPECT_EQ(ZLC_Cmp_BIGINT(one_word.get(), one_word.get()), 0);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(two_words.get()), 33);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(ZLC_Value_One_BIGINT()), 1);
    EXPECT_EQ(ZLC_Get_BIGINT_Bits_Length(ZLC_Value_Zero_BIGINT()), 0);

    Big n = new_big();
    EXPECT_EQ(ZLC_Set_BIGINT_Bit(n.get(), 100), 0u);
    EXPECT_EQ(n->length, 4);
    EXPECT_EQ(hex_of(n.get()), "10000000000000000000000000");
    EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(n.get(), 100), 1);
    EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(n.get(), 99), 0);
    EXPECT_EQ(ZLC_Is_BIGINT_Bit_Set(n.get(), 128), 0);
    EXPECT_EQ(ZLC_Set_BIGINT_Word(n.get(), 0), 0u);
    EXPECT_EQ(n->length, 0);

    const BIGINT* one = ZLC_Value_One_BIGINT();
    EXPECT_EQ(one->length, 1);
    EXPECT_EQ(one->capacity, 1);
    EXPECT_EQ(one->words[0], 1u);
    EXPECT_EQ(one->flags, BIGINT_FLAG_STATIC);
    EXPECT_EQ(ZLC_Value_Zero_BIGINT()->length, 0);
}

TEST(BigintPool, NinthRecordComesFromASecondBlockAndRecordsAreReused) {
    auto pool = new_pool();
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->depth, -1);
    EXPECT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0u);
    std::vector<BIGINT*> taken;
    for (int i = 0; i < 9; ++i) taken.push_back(ZLC_Get_BIGINT_Pool(pool.get()));
    EXPECT_EQ(pool->size, 16);
    EXPECT_EQ(pool->used, 9);
    EXPECT_EQ(taken[0], &pool->head->records[0]);
    EXPECT_EQ(taken[8], &pool->tail->records[0]);
    EXPECT_EQ(pool->head->next, pool->tail);
    EXPECT_EQ(pool->tail->previous, pool->head);
    EXPECT_EQ(pool->frame_counts[0], 9);
    EXPECT_EQ(ZLC_Set_BIGINT_Word(taken[0], 77), 0u);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(pool->used, 0);
    EXPECT_EQ(pool->depth, -1);

    EXPECT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0u);
    BIGINT* again = ZLC_Get_BIGINT_Pool(pool.get());
    EXPECT_EQ(again, taken[0]);
    EXPECT_EQ(again->length, 0);
    EXPECT_NE(again->words, nullptr);  // storage kept
    EXPECT_EQ(again->flags, BIGINT_FLAG_INIT);
    // Nested frames give back only their own records.
    EXPECT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0u);
    for (int i = 0; i < 8; ++i) ZLC_Get_BIGINT_Pool(pool.get());
    EXPECT_EQ(pool->used, 9);
    EXPECT_EQ(pool->current, pool->tail);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(pool->used, 1);
    EXPECT_EQ(pool->current, pool->head);
    EXPECT_EQ(ZLC_Get_BIGINT_Pool(pool.get()), taken[1]);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(pool->size, 16);

    EXPECT_EQ(ZLC_Clear_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(pool->head, nullptr);
}

TEST(BigintPool, CallerErrorsAreRefused) {
    auto pool = new_pool();
    EXPECT_EQ(ZLC_Get_BIGINT_Pool(pool.get()), nullptr);  // no frame open
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0x041C0049u);
    for (int i = 0; i < ZLC_BIGINT_POOL_MAX_FRAMES; ++i)
        ASSERT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0x041B0049u);
    EXPECT_EQ(pool->depth, ZLC_BIGINT_POOL_MAX_FRAMES - 1);
    for (int i = 0; i < ZLC_BIGINT_POOL_MAX_FRAMES; ++i)
        ASSERT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0u);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0x041C0049u);

    EXPECT_EQ(ZLC_Start_BIGINT_Pool(nullptr), 0x041B0049u);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(nullptr), 0x041C0049u);
    EXPECT_EQ(ZLC_Clear_BIGINT_Pool(nullptr), 0x041A0049u);
    EXPECT_EQ(ZLC_Free_BIGINT_Pool(nullptr), 0x04190049u);
    EXPECT_EQ(ZLC_Get_BIGINT_Pool(nullptr), nullptr);
}

TEST(BigintPool, FailedBlockAllocationLeavesThePoolUnchanged) {
    auto pool = new_pool();
    ASSERT_EQ(ZLC_Start_BIGINT_Pool(pool.get()), 0u);
    {
        zlc::test::FailAllocationsScope fail(0);
        EXPECT_EQ(ZLC_Get_BIGINT_Pool(pool.get()), nullptr);
    }
    EXPECT_EQ(pool->size, 0);
    EXPECT_EQ(pool->used, 0);
    EXPECT_EQ(pool->frame_counts[0], 0);
    EXPECT_NE(ZLC_Get_BIGINT_Pool(pool.get()), nullptr);
    EXPECT_EQ(ZLC_Finish_BIGINT_Pool(pool.get()), 0u);
}

}  // namespace
