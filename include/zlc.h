/*
 * zlc.h - the exported interface of the zeltavine cryptographic library.
 *
 * Every operation returns a 32-bit status: 0 is success; otherwise bits 31..24 name the
 * reporting module, bits 23..16 the operation within it and bits 15..0 the reason.
 * Lengths are signed 32-bit; outputs are caller-allocated. Units are allocated by the
 * library (New), prepared (Init), used, and wiped (Clean) or wiped and released (Free).
 * Compiles as C99 and as C++.
 */
#ifndef ZLC_H
#define ZLC_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define ZLC_API __attribute__((visibility("default")))
#else
#define ZLC_API
#endif

#ifdef __cplusplus
#define ZLC_NOEXCEPT noexcept
extern "C" {
#else
#define ZLC_NOEXCEPT
#endif

/* ---------------------------------------------------------------------------------------------
 * Module core: memory helpers, module state, version
 * ------------------------------------------------------------------------------------------- */

/* Shared reason values (bits 15..0 of a status). */
#define ZLC_REASON_INVALID_ARGUMENT 0x002Bu
#define ZLC_REASON_ALLOC_FAILED 0x003Au
#define ZLC_REASON_NULL_ARGUMENT 0x0049u
#define ZLC_REASON_NOT_APPROVED 0x00F0u

/* The C allocator; file and line are accepted for the caller's bookkeeping and ignored. */
ZLC_API void *ZLC_Malloc(size_t size, const char *file, int line) ZLC_NOEXCEPT;
ZLC_API void *ZLC_Calloc(size_t count, size_t size, const char *file, int line) ZLC_NOEXCEPT;
ZLC_API void *ZLC_Realloc(void *block, size_t size, const char *file, int line) ZLC_NOEXCEPT;
/* Releases a block (null allowed), including every text the library hands out. */
ZLC_API void ZLC_Free(void *block, const char *file, int line) ZLC_NOEXCEPT;
/* Sets the first `length` bytes to zero, then releases the block. Null does nothing; a negative
 * length releases without wiping. */
ZLC_API void ZLC_Free_Ex(void *block, int32_t length) ZLC_NOEXCEPT;

/* 1 while proven mode is set, else 0. */
ZLC_API uint8_t ZLC_Is_Proven(void) ZLC_NOEXCEPT;
/* Leaves proven mode: 0 while a self-test is pending, otherwise 0x0D0100F1 and no change. */
ZLC_API uint32_t ZLC_Change_Non_Proven_Mode(void) ZLC_NOEXCEPT;
/* Runs the self-test gate: 0, or the status of the self-test it ran. */
ZLC_API uint32_t ZLC_Crypto_Initialize(void) ZLC_NOEXCEPT;
/* "5.2.0"; static, never released. */
ZLC_API const char *ZLC_Get_Crypto_Version(void) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * Digests
 * ------------------------------------------------------------------------------------------- */

#define ZLC_SHA1 0x05000100u
#define ZLC_SHA224 0x05000200u
#define ZLC_SHA256 0x05000300u
#define ZLC_SHA384 0x05000400u
#define ZLC_SHA512 0x05000500u
#define ZLC_MD5 0x06000100u
#define ZLC_HAS160 0x07000100u
#define ZLC_MDC2 0x08000100u

#define ZLC_DIGEST_MAX_LENGTH 64

typedef uint32_t (*ZLC_DIGEST_INIT_ROUTINE)(void *state);
typedef uint32_t (*ZLC_DIGEST_UPDATE_ROUTINE)(void *state, const uint8_t *data, uint32_t length);
typedef uint32_t (*ZLC_DIGEST_FINAL_ROUTINE)(void *state, uint8_t *out);

/* A digest unit. HMAC and other callers may read its fields; only the library writes them. */
typedef struct DIGEST_UNIT {
    uint32_t algorithm_id;   /* identifier of the last Init; 0 when fresh or unknown */
    int32_t block_size;      /* bytes */
    int32_t digest_length;   /* bytes */
    void *state;             /* the algorithm's state record, owned by the unit */
    int32_t state_size;      /* bytes of *state */
    ZLC_DIGEST_INIT_ROUTINE init;
    ZLC_DIGEST_UPDATE_ROUTINE update;
    ZLC_DIGEST_FINAL_ROUTINE final;
    uint32_t initialised;    /* 0xFFFFFFFF once Init has started on the unit */
} DIGEST_UNIT;

/* Status codes of the digest interface. */
#define ZLC_DIGEST_INIT_NULL 0x0A010049u          /* null unit */
#define ZLC_DIGEST_INIT_SELECT 0x0A010059u        /* unknown identifier, or refused in proven mode */
#define ZLC_DIGEST_INIT_ROUTINE_FAILED 0x0A010022u
#define ZLC_DIGEST_INIT_ALLOC 0x0A01003Au         /* the state record could not be allocated */
#define ZLC_DIGEST_UPDATE_NULL 0x0A020049u        /* null unit or data (also for length 0) */
#define ZLC_DIGEST_UPDATE_LENGTH 0x0A02002Bu      /* negative length */
#define ZLC_DIGEST_UPDATE_FAILED 0x0A02005Bu      /* routine failed, or unit not initialised */
#define ZLC_DIGEST_FINAL_NULL 0x0A030049u         /* null unit or output */
#define ZLC_DIGEST_FINAL_FAILED 0x0A030018u       /* routine failed, or unit not initialised */
#define ZLC_DIGEST_ONESHOT_NULL 0x0A050049u
#define ZLC_DIGEST_ONESHOT_ALLOC 0x0A05003Au
#define ZLC_DIGEST_ONESHOT_INIT 0x0A050022u
#define ZLC_DIGEST_ONESHOT_UPDATE 0x0A05005Bu
#define ZLC_DIGEST_ONESHOT_FINAL 0x0A050018u

/* A zero-filled unit, or null. */
ZLC_API DIGEST_UNIT *ZLC_New_DIGEST_Unit(void) ZLC_NOEXCEPT;
/* Wipes and releases the state of an initialised unit and zeroes the unit; null does nothing. */
ZLC_API void ZLC_Clean_DIGEST_Unit(DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/* Cleans and releases the unit; null does nothing. */
ZLC_API void ZLC_Free_DIGEST_Unit(DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/* Prepares the unit for one algorithm (cleaning it first). */
ZLC_API uint32_t ZLC_Init_DIGEST(DIGEST_UNIT *unit, uint32_t algorithm_id) ZLC_NOEXCEPT;
ZLC_API uint32_t ZLC_Update_DIGEST(DIGEST_UNIT *unit, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/* Writes digest_length bytes to out (and the length through out_length when given); the unit
 * is then ready for the next message. */
ZLC_API uint32_t ZLC_Final_DIGEST(DIGEST_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/* The whole digest in one call. */
ZLC_API uint32_t ZLC_DIGEST(uint32_t algorithm_id, const uint8_t *data, int32_t length, uint8_t *out,
                            int32_t *out_length) ZLC_NOEXCEPT;
ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID(const DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/* Static name text ("SHA256", ...), or null. */
ZLC_API const char *ZLC_Get_DIGEST_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
/* Exact, case-insensitive ("sha256" -> 0x05000300); 0 when unknown. */
ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID_By_Name(const char *name) ZLC_NOEXCEPT;
ZLC_API int32_t ZLC_Get_DIGEST_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * HMAC
 * ------------------------------------------------------------------------------------------- */

/* An HMAC identifier is a digest identifier with bit 28 set (0x15000300: HMAC with SHA-256). */
#define ZLC_HMAC_FLAG 0x10000000u
#define ZLC_HMAC_KEY_BLOCK_SIZE 128

/* An HMAC unit (RFC 2104, FIPS 198-1). Callers may read its fields; only the library writes them. */
typedef struct HMAC_UNIT {
    uint32_t hmac_id;          /* digest identifier | ZLC_HMAC_FLAG */
    DIGEST_UNIT *digest;       /* owned by the unit */
    void *inner_state;         /* digest state after the inner padded key block, state_size bytes */
    void *outer_state;         /* digest state after the outer padded key block, state_size bytes */
    int32_t state_size;        /* bytes of each saved state */
    uint8_t key_block[ZLC_HMAC_KEY_BLOCK_SIZE]; /* the key, or its digest, zero-padded to the block */
    int32_t key_length;        /* key bytes in key_block before padding */
    int32_t phase;             /* 1 after Init, 2 after Update, 3 after Final; 0 until an Init completes */
    uint32_t initialised;      /* 0xFFFFFFFF once Init has started on the unit */
} HMAC_UNIT;

/* Status codes of HMAC. */
#define ZLC_HMAC_INIT_NULL 0x0F010049u           /* null unit or key */
#define ZLC_HMAC_INIT_DIGEST 0x0F010022u         /* the digest could not be initialised (unknown, refused) */
#define ZLC_HMAC_INIT_ALLOC 0x0F01003Bu          /* a saved state could not be allocated */
#define ZLC_HMAC_INIT_RANGE 0x0F010059u          /* key length negative, or block size above 128 */
#define ZLC_HMAC_INIT_UPDATE 0x0F01005Bu         /* absorbing the key or a padded key block failed */
#define ZLC_HMAC_INIT_FINAL 0x0F010018u          /* digesting a key longer than the block failed */
#define ZLC_HMAC_UPDATE_NULL 0x0F020049u         /* null unit */
#define ZLC_HMAC_UPDATE_LENGTH 0x0F02002Bu       /* length 0 or negative */
#define ZLC_HMAC_UPDATE_FAILED 0x0F02005Bu       /* null data, unit not initialised, or digest failed */
#define ZLC_HMAC_FINAL_NULL 0x0F030049u          /* null unit */
#define ZLC_HMAC_FINAL_FAILED 0x0F030018u        /* null output, unit not initialised, or digest failed */
#define ZLC_HMAC_FINAL_UPDATE 0x0F03005Bu        /* absorbing the inner digest failed */
#define ZLC_HMAC_ONESHOT_ALLOC 0x0F04003Bu
#define ZLC_HMAC_ONESHOT_INIT 0x0F040023u
#define ZLC_HMAC_ONESHOT_UPDATE 0x0F04005Cu      /* also for an empty message */
#define ZLC_HMAC_ONESHOT_FINAL 0x0F040019u

/* A zero-filled unit, or null. */
ZLC_API HMAC_UNIT *ZLC_New_HMAC_Unit(void) ZLC_NOEXCEPT;
/* Wipes and releases the digest unit and the saved states of an initialised unit, then zeroes the
 * unit (key_block included); null or a never-initialised unit is left alone. */
ZLC_API void ZLC_Clean_HMAC_Unit(HMAC_UNIT *unit) ZLC_NOEXCEPT;
/* Cleans and releases the unit; null does nothing. */
ZLC_API void ZLC_Free_HMAC_Unit(HMAC_UNIT *unit) ZLC_NOEXCEPT;
/* Keys the unit for the plain digest identifier (cleaning it first). Keys longer than the digest's
 * block are digested first; a key of length 0 is allowed, a null key is not. May return the
 * self-test status of the gate. */
ZLC_API uint32_t ZLC_Init_HMAC(HMAC_UNIT *unit, uint32_t digest_id, const uint8_t *key,
                               int32_t key_length) ZLC_NOEXCEPT;
/* Feeds message bytes (length above 0). After a Final, the first Update starts a new message
 * under the same key. */
ZLC_API uint32_t ZLC_Update_HMAC(HMAC_UNIT *unit, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/* Writes the MAC (the digest length, at most ZLC_DIGEST_MAX_LENGTH bytes) and its length through
 * out_length when given. A failure leaves the message so far in place when the output is null. */
ZLC_API uint32_t ZLC_Final_HMAC(HMAC_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/* The whole MAC in one call; the message must not be empty. */
ZLC_API uint32_t ZLC_HMAC(uint32_t digest_id, const uint8_t *key, int32_t key_length, const uint8_t *data,
                          int32_t length, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/* "HMAC_" and the digest name for an HMAC identifier ("HMAC_SHA256" for 0x15000300), or null.
 * The caller releases the text with ZLC_Free. */
ZLC_API char *ZLC_Get_HMAC_Name(uint32_t hmac_id) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * Block ciphers
 * ------------------------------------------------------------------------------------------- */

/* ---------------------------------------------------------------------------------------------
 * RC4
 * ------------------------------------------------------------------------------------------- */

/* ---------------------------------------------------------------------------------------------
 * Big integers
 * ------------------------------------------------------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* ZLC_H */
