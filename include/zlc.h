/**
 * @file zlc.h
 * @brief The exported interface of the zeltavine cryptographic library.
 *
 * Every operation returns a 32-bit status: 0 is success; otherwise bits 31..24 name the
 * reporting module, bits 23..16 the operation within it and bits 15..0 the reason.
 * Lengths are signed 32-bit; outputs are caller-allocated. Units are allocated by the
 * library (New), prepared (Init), used, and wiped (Clean) or wiped and released (Free).
 * Compiles as C99 and as C++.
 *
 * A unit passed to an Init function comes from its New function or is a zero-filled record: the
 * digest, HMAC and block cipher Init functions first clean a unit an earlier Init started on,
 * which they recognise by its `initialised` marker. Texts the library allocates for the caller are
 * released with ZLC_Free(); static texts are never released.
 *
 * @par Self-test gate
 * While a self-test is pending, the first call of a gated function (the functions whose statuses
 * below include "a failing self-test's status") runs the power-up self-test sequence of
 * ZLC_Crypto_Self_Test() once. When the sequence fails, the call returns its status (module byte
 * 0x1A) and the self-test stays pending, so the next gated call runs it again; when it passes, the
 * gated functions run without it from then on. ZLC_Crypto_Initialize() passes the gate on request.
 *
 * @par Proven mode
 * While proven mode is set (ZLC_Is_Proven()), the functions refuse the algorithms that mode does
 * not approve: among the digests SHA-1, MD5, HAS-160 and MDC-2, among the block ciphers all but
 * ARIA and 128-bit SEED, and the CTR mode.
 */
/**
 * @mainpage
 * Every exported function of the library is declared in zlc.h, whose description gives the
 * conventions they share: the status layout, the life cycle of units, ownership of returned
 * memory, the self-test gate and proven mode. The Modules page lists the algorithm families, one
 * per section of the header.
 */
#ifndef ZLC_H
#define ZLC_H

#include <stddef.h>
#include <stdint.h>

/**
 * @def ZLC_API
 * @brief Gives an exported function default visibility (GCC and Clang); empty elsewhere.
 */
#if defined(__GNUC__) || defined(__clang__)
#define ZLC_API __attribute__((visibility("default")))
#else
#define ZLC_API
#endif

/**
 * @def ZLC_NOEXCEPT
 * @brief `noexcept` in C++, empty in C: no exported function throws.
 */
#ifdef __cplusplus
#define ZLC_NOEXCEPT noexcept
extern "C" {
#else
#define ZLC_NOEXCEPT
#endif

/* ---------------------------------------------------------------------------------------------
 * Module core: memory helpers, module state, version
 * ------------------------------------------------------------------------------------------- */

/**
 * @defgroup zlc_core Module core
 * @brief Memory helpers, module state (proven mode, self-test gate), version and self-test.
 * @{
 */

/** @name Shared reason values (bits 15..0 of a status)
 * @{ */
#define ZLC_REASON_INVALID_ARGUMENT 0x002Bu /**< an argument is invalid */
#define ZLC_REASON_ALLOC_FAILED 0x003Au     /**< memory could not be allocated */
#define ZLC_REASON_NULL_ARGUMENT 0x0049u    /**< a required pointer is null */
#define ZLC_REASON_NOT_APPROVED 0x00F0u     /**< refused in proven mode */
/** @} */

/**
 * @brief Allocates a block with the C allocator (`malloc`).
 *
 * @param[in] size  bytes to allocate
 * @param[in] file  caller's source file, for the caller's bookkeeping; ignored (may be null)
 * @param[in] line  caller's source line; ignored
 * @return The block, or null when memory runs out. Release it with ZLC_Free() or ZLC_Free_Ex().
 */
ZLC_API void *ZLC_Malloc(size_t size, const char *file, int line) ZLC_NOEXCEPT;
/**
 * @brief Allocates a zero-filled block of `count` records of `size` bytes (`calloc`).
 *
 * @param[in] count  number of records
 * @param[in] size   bytes per record
 * @param[in] file   caller's source file, for the caller's bookkeeping; ignored (may be null)
 * @param[in] line   caller's source line; ignored
 * @return The block, or null when memory runs out. Release it with ZLC_Free() or ZLC_Free_Ex().
 */
ZLC_API void *ZLC_Calloc(size_t count, size_t size, const char *file, int line) ZLC_NOEXCEPT;
/**
 * @brief Resizes a block (`realloc`); a null block allocates a new one.
 *
 * @param[in] block  a block from ZLC_Malloc(), ZLC_Calloc() or ZLC_Realloc(), or null
 * @param[in] size   the new size in bytes
 * @param[in] file   caller's source file, for the caller's bookkeeping; ignored (may be null)
 * @param[in] line   caller's source line; ignored
 * @return The resized block (possibly moved; the old contents are not wiped), or null when memory
 *         runs out, in which case @p block stays valid and allocated.
 */
ZLC_API void *ZLC_Realloc(void *block, size_t size, const char *file, int line) ZLC_NOEXCEPT;
/**
 * @brief Releases a block (`free`), including every text the library hands out.
 *
 * The block is not wiped; use ZLC_Free_Ex() for secrets.
 *
 * @param[in] block  the block to release; null does nothing
 * @param[in] file   caller's source file, for the caller's bookkeeping; ignored (may be null)
 * @param[in] line   caller's source line; ignored
 */
ZLC_API void ZLC_Free(void *block, const char *file, int line) ZLC_NOEXCEPT;
/**
 * @brief Sets the first `length` bytes to zero, then releases the block.
 *
 * @param[in] block   a block from ZLC_Malloc(), ZLC_Calloc(), ZLC_Realloc() or the library's
 *                    allocations; null does nothing
 * @param[in] length  bytes to wipe, at most the block's size; 0 or a negative length releases
 *                    without wiping
 */
ZLC_API void ZLC_Free_Ex(void *block, int32_t length) ZLC_NOEXCEPT;

/**
 * @brief Tells whether proven mode is set.
 * @return 1 while proven mode is set, else 0.
 */
ZLC_API uint8_t ZLC_Is_Proven(void) ZLC_NOEXCEPT;
/**
 * @brief Leaves proven mode.
 *
 * Allowed only while a self-test is pending (the self-test has not yet completed).
 *
 * @return 0 (proven mode is then clear) while a self-test is pending, otherwise 0x0D0100F1 and no
 *         change.
 */
ZLC_API uint32_t ZLC_Change_Non_Proven_Mode(void) ZLC_NOEXCEPT;
/**
 * @brief Runs the self-test gate.
 *
 * While a self-test is pending, runs the self-test sequence (see ZLC_Crypto_Self_Test()); success
 * ends the pending state. Otherwise does nothing.
 *
 * @return 0, or the status of the self-test it ran (the self-test then stays pending).
 */
ZLC_API uint32_t ZLC_Crypto_Initialize(void) ZLC_NOEXCEPT;
/**
 * @brief The library's version text.
 * @return "5.2.0"; static, never released.
 */
ZLC_API const char *ZLC_Get_Crypto_Version(void) ZLC_NOEXCEPT;
/**
 * @brief The power-up self-test.
 *
 * Runs, stopping at the first failure: the module file's signature (integrity test), object
 * creation, (in proven mode only) the entropy source, then the known-answer tests of the DRBG,
 * HMAC, the digests, the block ciphers, RSAES, RSASSA and KCDSA. It changes no module state; the
 * self-test gate decides what a failure means for the module. May be called at any time.
 *
 * The module file is the last module loaded in the process whose path contains "zeltavine_"
 * (normally libzeltavine_crypto.so); its last 256 bytes are an RSASSA-PSS signature (SHA-256,
 * 20-byte salt) over the rest, checked with the public key built into the library. A program that
 * links the library statically loads no such module.
 *
 * @return 0 when every step passes, else the first failing step's status: 0x1A010050 (no module
 *         loaded in the process has "zeltavine_" in its path), 0x1A01003B (memory), 0x1A010023
 *         (signature verification could not start), 0x1A01005C (the file could not be digested),
 *         0x1A010019 (the file is unreadable, too short, or its signature does not verify),
 *         0x1A020059 (object creation), 0x1A040014 (entropy source), 0x1A050059 (DRBG),
 *         0x1A060059 (HMAC), 0x1A070059 (digests), 0x1A090059 (block ciphers), 0x1A0B0059
 *         (RSAES), 0x1A0C0059 (RSASSA), 0x1A0D0059 (KCDSA).
 */
ZLC_API uint32_t ZLC_Crypto_Self_Test(void) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * Digests
 * ------------------------------------------------------------------------------------------- */

/**
 * @defgroup zlc_digest Digests
 * @brief SHA-1 and SHA-2 (FIPS 180-4), MD5 (RFC 1321), HAS-160 and MDC-2 through one unit.
 *
 * New, Init with an identifier, Update any number of times, Final (the unit is then ready for the
 * next message), Clean or Free. ZLC_DIGEST() does all in one call.
 * @{
 */

/** @name Digest identifiers
 * Digest length / block size in bytes. "Refused" means refused in proven mode.
 * @{ */
#define ZLC_SHA1 0x05000100u   /**< SHA-1, 20 / 64; refused */
#define ZLC_SHA224 0x05000200u /**< SHA-224, 28 / 64 */
#define ZLC_SHA256 0x05000300u /**< SHA-256, 32 / 64 */
#define ZLC_SHA384 0x05000400u /**< SHA-384, 48 / 128 */
#define ZLC_SHA512 0x05000500u /**< SHA-512, 64 / 128 */
#define ZLC_MD5 0x06000100u    /**< MD5, 16 / 64; refused */
#define ZLC_HAS160 0x07000100u /**< HAS-160, 20 / 64; refused */
#define ZLC_MDC2 0x08000100u   /**< MDC-2 over DES, 16 / 8; refused */
/** @} */

/** The longest digest in bytes (SHA-512); enough room for any digest or HMAC output. */
#define ZLC_DIGEST_MAX_LENGTH 64

/** An algorithm's init routine: prepares its state record. Returns 0 or a failure status. */
typedef uint32_t (*ZLC_DIGEST_INIT_ROUTINE)(void *state);
/** An algorithm's update routine: absorbs `length` bytes. Returns 0 or a failure status. */
typedef uint32_t (*ZLC_DIGEST_UPDATE_ROUTINE)(void *state, const uint8_t *data, uint32_t length);
/** An algorithm's final routine: writes the digest to `out`. Returns 0 or a failure status. */
typedef uint32_t (*ZLC_DIGEST_FINAL_ROUTINE)(void *state, uint8_t *out);

/** A digest unit. HMAC and other callers may read its fields; only the library writes them. */
typedef struct DIGEST_UNIT {
    uint32_t algorithm_id;   /**< identifier of the last Init; 0 when fresh or unknown */
    int32_t block_size;      /**< bytes */
    int32_t digest_length;   /**< bytes */
    void *state;             /**< the algorithm's state record, owned by the unit */
    int32_t state_size;      /**< bytes of *state */
    ZLC_DIGEST_INIT_ROUTINE init;     /**< bound once Init has succeeded, else null */
    ZLC_DIGEST_UPDATE_ROUTINE update; /**< bound once Init has succeeded, else null */
    ZLC_DIGEST_FINAL_ROUTINE final;   /**< bound once Init has succeeded, else null */
    uint32_t initialised;    /**< 0xFFFFFFFF once Init has started on the unit */
} DIGEST_UNIT;

/** @name Status codes of the digest interface
 * @{ */
#define ZLC_DIGEST_INIT_NULL 0x0A010049u          /**< null unit */
#define ZLC_DIGEST_INIT_SELECT 0x0A010059u        /**< unknown identifier, or refused in proven
                                                       mode */
#define ZLC_DIGEST_INIT_ROUTINE_FAILED 0x0A010022u /**< the algorithm's init routine failed */
#define ZLC_DIGEST_INIT_ALLOC 0x0A01003Au         /**< the state record could not be allocated */
#define ZLC_DIGEST_UPDATE_NULL 0x0A020049u        /**< null unit or data (also for length 0) */
#define ZLC_DIGEST_UPDATE_LENGTH 0x0A02002Bu      /**< negative length */
#define ZLC_DIGEST_UPDATE_FAILED 0x0A02005Bu      /**< routine failed, or unit not initialised */
#define ZLC_DIGEST_FINAL_NULL 0x0A030049u         /**< null unit or output */
#define ZLC_DIGEST_FINAL_FAILED 0x0A030018u       /**< routine failed, or unit not initialised */
#define ZLC_DIGEST_ONESHOT_NULL 0x0A050049u       /**< ZLC_DIGEST(): null data */
#define ZLC_DIGEST_ONESHOT_ALLOC 0x0A05003Au      /**< ZLC_DIGEST(): the unit could not be
                                                       allocated */
#define ZLC_DIGEST_ONESHOT_INIT 0x0A050022u       /**< ZLC_DIGEST(): Init failed */
#define ZLC_DIGEST_ONESHOT_UPDATE 0x0A05005Bu     /**< ZLC_DIGEST(): Update failed */
#define ZLC_DIGEST_ONESHOT_FINAL 0x0A050018u      /**< ZLC_DIGEST(): Final failed */
/** @} */

/**
 * @brief Allocates a digest unit.
 * @return A zero-filled unit, or null when memory runs out. Release it with
 *         ZLC_Free_DIGEST_Unit().
 */
ZLC_API DIGEST_UNIT *ZLC_New_DIGEST_Unit(void) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases the state of an initialised unit and zeroes the unit.
 * @param[in,out] unit  the unit; null, or a unit Init has never started on, is left alone
 */
ZLC_API void ZLC_Clean_DIGEST_Unit(DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the unit.
 * @param[in] unit  a unit from ZLC_New_DIGEST_Unit(); null does nothing
 */
ZLC_API void ZLC_Free_DIGEST_Unit(DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Prepares the unit for one algorithm (cleaning it first).
 *
 * The unit owns the state record it allocates until Clean or Free. A failed Init leaves a unit
 * that Update and Final refuse.
 *
 * @param[in,out] unit          the unit
 * @param[in]     algorithm_id  one of the digest identifiers (ZLC_SHA1 ... ZLC_MDC2)
 * @return 0, or 0x0A010049 (ZLC_DIGEST_INIT_NULL: null unit), a failing self-test's status,
 *         0x0A010059 (ZLC_DIGEST_INIT_SELECT: unknown identifier, or refused in proven mode),
 *         0x0A01003A (ZLC_DIGEST_INIT_ALLOC: no memory for the state), 0x0A010022
 *         (ZLC_DIGEST_INIT_ROUTINE_FAILED: the algorithm's init routine failed).
 */
ZLC_API uint32_t ZLC_Init_DIGEST(DIGEST_UNIT *unit, uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief Absorbs message bytes.
 *
 * @param[in,out] unit    an initialised unit
 * @param[in]     data    `length` bytes; never null, even for length 0
 * @param[in]     length  bytes of data, 0 or more
 * @return 0, or 0x0A020049 (ZLC_DIGEST_UPDATE_NULL: null unit or data), 0x0A02002B
 *         (ZLC_DIGEST_UPDATE_LENGTH: negative length), 0x0A02005B (ZLC_DIGEST_UPDATE_FAILED: the
 *         unit is not initialised, or the algorithm's routine failed).
 */
ZLC_API uint32_t ZLC_Update_DIGEST(DIGEST_UNIT *unit, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief Ends the message and writes its digest.
 *
 * Writes digest_length bytes to out (and the length through out_length when given); the unit
 * is then ready for the next message.
 *
 * @param[in,out] unit        an initialised unit
 * @param[out]    out         room for the digest length (ZLC_Get_DIGEST_Length(), at most
 *                            ZLC_DIGEST_MAX_LENGTH bytes)
 * @param[out]    out_length  receives the digest length; may be null
 * @return 0, or 0x0A030049 (ZLC_DIGEST_FINAL_NULL: null unit or output), 0x0A030018
 *         (ZLC_DIGEST_FINAL_FAILED: the unit is not initialised, or the algorithm's routine
 *         failed).
 */
ZLC_API uint32_t ZLC_Final_DIGEST(DIGEST_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief The whole digest in one call.
 *
 * @param[in]  algorithm_id  one of the digest identifiers
 * @param[in]  data          `length` bytes; never null, even for length 0
 * @param[in]  length        bytes of data, 0 or more
 * @param[out] out           room for the digest length (at most ZLC_DIGEST_MAX_LENGTH bytes)
 * @param[out] out_length    receives the digest length; may be null
 * @return 0, or 0x0A050049 (ZLC_DIGEST_ONESHOT_NULL: null data), 0x0A05003A
 *         (ZLC_DIGEST_ONESHOT_ALLOC: no memory for the unit), 0x0A050022 (ZLC_DIGEST_ONESHOT_INIT:
 *         Init failed: unknown or refused identifier, memory, or a failing self-test), 0x0A05005B
 *         (ZLC_DIGEST_ONESHOT_UPDATE: negative length, or the routine failed), 0x0A050018
 *         (ZLC_DIGEST_ONESHOT_FINAL: null output, or the routine failed).
 */
ZLC_API uint32_t ZLC_DIGEST(uint32_t algorithm_id, const uint8_t *data, int32_t length, uint8_t *out,
                            int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief The identifier the unit was last initialised with.
 * @param[in] unit  the unit
 * @return The identifier of the last Init (also after an Init refused in proven mode); 0 for a
 *         fresh or cleaned unit, after an Init with an unknown identifier, for a null unit, or when
 *         the self-test fails.
 */
ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID(const DIGEST_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief The name of a digest identifier.
 * @param[in] algorithm_id  a digest identifier
 * @return Static name text ("SHA1", "SHA224", "SHA256", "SHA384", "SHA512", "MD5", "HAS160",
 *         "MDC2"), never released; null for an unknown identifier or when the self-test fails.
 */
ZLC_API const char *ZLC_Get_DIGEST_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief The identifier of a digest name.
 *
 * Exact, case-insensitive match against the names ZLC_Get_DIGEST_Alg_Name() gives.
 *
 * @param[in] name  a zero-terminated name, e.g. "sha256"; may be null
 * @return The identifier ("sha256" gives 0x05000300); 0 when unknown, for null, or when the
 *         self-test fails.
 */
ZLC_API uint32_t ZLC_Get_DIGEST_Alg_ID_By_Name(const char *name) ZLC_NOEXCEPT;
/**
 * @brief The digest length of an identifier.
 * @param[in] algorithm_id  a digest identifier
 * @return Bytes (20, 28, 32, 48, 64 or 16); 0 for an unknown identifier or when the self-test
 *         fails.
 */
ZLC_API int32_t ZLC_Get_DIGEST_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * HMAC
 * ------------------------------------------------------------------------------------------- */

/**
 * @defgroup zlc_hmac HMAC
 * @brief HMAC (RFC 2104, FIPS 198-1) over any digest of the library.
 *
 * Init keys the unit once; each message is then Update (one or more times) and Final, and the
 * next Update after a Final starts a new message under the same key.
 * @{
 */

/** An HMAC identifier is a digest identifier with bit 28 set (0x15000300: HMAC with SHA-256). */
#define ZLC_HMAC_FLAG 0x10000000u
/** Bytes of HMAC_UNIT::key_block: the largest digest block. */
#define ZLC_HMAC_KEY_BLOCK_SIZE 128

/** An HMAC unit (RFC 2104, FIPS 198-1). Callers may read its fields; only the library writes
 * them. */
typedef struct HMAC_UNIT {
    uint32_t hmac_id;          /**< digest identifier | ZLC_HMAC_FLAG */
    DIGEST_UNIT *digest;       /**< owned by the unit */
    void *inner_state;         /**< digest state after the inner padded key block, state_size
                                    bytes */
    void *outer_state;         /**< digest state after the outer padded key block, state_size
                                    bytes */
    int32_t state_size;        /**< bytes of each saved state */
    uint8_t key_block[ZLC_HMAC_KEY_BLOCK_SIZE]; /**< the key, or its digest, zero-padded to the
                                                     block */
    int32_t key_length;        /**< key bytes in key_block before padding */
    int32_t phase;             /**< 1 after Init, 2 after Update, 3 after Final; 0 until an Init
                                    completes */
    uint32_t initialised;      /**< 0xFFFFFFFF once Init has started on the unit */
} HMAC_UNIT;

/** @name Status codes of HMAC
 * @{ */
#define ZLC_HMAC_INIT_NULL 0x0F010049u           /**< null unit or key */
#define ZLC_HMAC_INIT_DIGEST 0x0F010022u         /**< the digest could not be initialised
                                                      (unknown, refused) */
#define ZLC_HMAC_INIT_ALLOC 0x0F01003Bu          /**< a saved state could not be allocated */
#define ZLC_HMAC_INIT_RANGE 0x0F010059u          /**< key length negative, or block size above
                                                      128 */
#define ZLC_HMAC_INIT_UPDATE 0x0F01005Bu         /**< absorbing the key or a padded key block
                                                      failed */
#define ZLC_HMAC_INIT_FINAL 0x0F010018u          /**< digesting a key longer than the block
                                                      failed */
#define ZLC_HMAC_UPDATE_NULL 0x0F020049u         /**< null unit */
#define ZLC_HMAC_UPDATE_LENGTH 0x0F02002Bu       /**< length 0 or negative */
#define ZLC_HMAC_UPDATE_FAILED 0x0F02005Bu       /**< null data, unit not initialised, or digest
                                                      failed */
#define ZLC_HMAC_FINAL_NULL 0x0F030049u          /**< null unit */
#define ZLC_HMAC_FINAL_FAILED 0x0F030018u        /**< null output, unit not initialised, or
                                                      digest failed */
#define ZLC_HMAC_FINAL_UPDATE 0x0F03005Bu        /**< absorbing the inner digest failed */
#define ZLC_HMAC_ONESHOT_ALLOC 0x0F04003Bu       /**< ZLC_HMAC(): the unit could not be allocated */
#define ZLC_HMAC_ONESHOT_INIT 0x0F040023u        /**< ZLC_HMAC(): Init failed */
#define ZLC_HMAC_ONESHOT_UPDATE 0x0F04005Cu      /**< ZLC_HMAC(): Update failed; also for an
                                                      empty message */
#define ZLC_HMAC_ONESHOT_FINAL 0x0F040019u       /**< ZLC_HMAC(): Final failed */
/** @} */

/**
 * @brief Allocates an HMAC unit.
 * @return A zero-filled unit, or null when memory runs out. Release it with ZLC_Free_HMAC_Unit().
 */
ZLC_API HMAC_UNIT *ZLC_New_HMAC_Unit(void) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases the unit's digest unit and saved states, then zeroes the unit.
 *
 * Wipes and releases the digest unit and the saved states of an initialised unit, then zeroes the
 * unit (key_block included).
 *
 * @param[in,out] unit  the unit; null or a never-initialised unit is left alone
 */
ZLC_API void ZLC_Clean_HMAC_Unit(HMAC_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the unit.
 * @param[in] unit  a unit from ZLC_New_HMAC_Unit(); null does nothing
 */
ZLC_API void ZLC_Free_HMAC_Unit(HMAC_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Keys the unit for the plain digest identifier (cleaning it first).
 *
 * Keys longer than the digest's block are digested first; a key of length 0 is allowed, a null key
 * is not. The unit owns the digest unit and saved states it allocates until Clean or Free. A failed
 * Init leaves a unit that Update and Final refuse.
 *
 * @param[in,out] unit        the unit
 * @param[in]     digest_id   a digest identifier without ZLC_HMAC_FLAG (ZLC_SHA256, ...)
 * @param[in]     key         `key_length` bytes; not null, even for length 0
 * @param[in]     key_length  key bytes, 0 or more
 * @return 0, or a failing self-test's status (checked first), 0x0F010049 (ZLC_HMAC_INIT_NULL: null
 *         unit or key), 0x0F010022 (ZLC_HMAC_INIT_DIGEST: the digest unit could not be made or
 *         initialised: unknown identifier, refused in proven mode, memory), 0x0F01003B
 *         (ZLC_HMAC_INIT_ALLOC: no memory for a saved state), 0x0F010059 (ZLC_HMAC_INIT_RANGE:
 *         negative key length, or a digest block above 128 bytes), 0x0F01005B
 *         (ZLC_HMAC_INIT_UPDATE: absorbing the key or a padded key block failed), 0x0F010018
 *         (ZLC_HMAC_INIT_FINAL: digesting a long key failed).
 */
ZLC_API uint32_t ZLC_Init_HMAC(HMAC_UNIT *unit, uint32_t digest_id, const uint8_t *key,
                               int32_t key_length) ZLC_NOEXCEPT;
/**
 * @brief Feeds message bytes.
 *
 * After a Final, the first Update starts a new message under the same key.
 *
 * @param[in,out] unit    a keyed unit
 * @param[in]     data    `length` bytes
 * @param[in]     length  bytes of data, above 0
 * @return 0, or 0x0F020049 (ZLC_HMAC_UPDATE_NULL: null unit), 0x0F02002B
 *         (ZLC_HMAC_UPDATE_LENGTH: length 0 or negative), 0x0F02005B (ZLC_HMAC_UPDATE_FAILED: null
 *         data, a unit that is not keyed, or the digest failed).
 */
ZLC_API uint32_t ZLC_Update_HMAC(HMAC_UNIT *unit, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief Ends the message and writes its MAC.
 *
 * Writes the MAC (the digest length, at most ZLC_DIGEST_MAX_LENGTH bytes) and its length through
 * out_length when given. A failure leaves the message so far in place when the output is null.
 * A Final with no Update since the last Init or Final gives the MAC of the empty message.
 *
 * @param[in,out] unit        a keyed unit
 * @param[out]    out         room for the digest length (at most ZLC_DIGEST_MAX_LENGTH bytes)
 * @param[out]    out_length  receives the MAC length; may be null
 * @return 0, or 0x0F030049 (ZLC_HMAC_FINAL_NULL: null unit), 0x0F030018 (ZLC_HMAC_FINAL_FAILED:
 *         null output, a unit that is not keyed, or the digest failed), 0x0F03005B
 *         (ZLC_HMAC_FINAL_UPDATE: absorbing the inner digest failed).
 */
ZLC_API uint32_t ZLC_Final_HMAC(HMAC_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief The whole MAC in one call; the message must not be empty.
 *
 * @param[in]  digest_id   a digest identifier without ZLC_HMAC_FLAG
 * @param[in]  key         `key_length` bytes; not null
 * @param[in]  key_length  key bytes, 0 or more
 * @param[in]  data        `length` bytes
 * @param[in]  length      bytes of data, above 0
 * @param[out] out         room for the digest length (at most ZLC_DIGEST_MAX_LENGTH bytes)
 * @param[out] out_length  receives the MAC length; may be null
 * @return 0, or 0x0F04003B (ZLC_HMAC_ONESHOT_ALLOC: no memory for the unit), 0x0F040023
 *         (ZLC_HMAC_ONESHOT_INIT: any failure of ZLC_Init_HMAC(), a failing self-test included),
 *         0x0F04005C (ZLC_HMAC_ONESHOT_UPDATE: null data, length 0 or negative), 0x0F040019
 *         (ZLC_HMAC_ONESHOT_FINAL: null output, or the digest failed).
 */
ZLC_API uint32_t ZLC_HMAC(uint32_t digest_id, const uint8_t *key, int32_t key_length, const uint8_t *data,
                          int32_t length, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief The name of an HMAC identifier.
 * @param[in] hmac_id  a digest identifier with ZLC_HMAC_FLAG set
 * @return "HMAC_" and the digest name for an HMAC identifier ("HMAC_SHA256" for 0x15000300), or
 *         null when the flag is missing, the digest is unknown, memory runs out or the self-test
 *         fails. The caller releases the text with ZLC_Free().
 */
ZLC_API char *ZLC_Get_HMAC_Name(uint32_t hmac_id) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * Block ciphers
 * ------------------------------------------------------------------------------------------- */

/**
 * @defgroup zlc_block_cipher Block ciphers
 * @brief AES, DES, Triple DES, ARIA, SEED, RC5, Blowfish, RC2 and LEA in ECB, CBC, CFB, OFB and
 * CTR (NIST SP 800-38A), with PKCS \#7 padding for ECB and CBC.
 *
 * An identifier is an algorithm value, plus a mode value, plus ZLC_NO_PADDING:
 * ZLC_ARIA_128 + ZLC_MODE_CBC is ARIA-128-CBC with PKCS \#7 padding (0x03000120).
 * Each algorithm value fixes its key length (ZLC_Get_Key_Length()).
 *
 * New, Init (key, IV, direction), Update any number of times, Final (the unit is then ready for a
 * new message under the same key and IV), Clean or Free. ZLC_BLOCK_CIPHER() does all in one call;
 * ZLC_Init_Advanced_BLOCK_CIPHER() and ZLC_DoFinal_Advanced_BLOCK_CIPHER() key once into a
 * caller-kept record and then run whole messages from it.
 * @{
 */

/** @name Algorithm values
 * Key length / block length in bytes. Only the ARIA values and ZLC_SEED_128 are accepted in
 * proven mode.
 * @{ */
#define ZLC_AES_128 0x01000100u   /**< AES (FIPS 197), 16 / 16 */
#define ZLC_AES_192 0x01000200u   /**< AES, 24 / 16 */
#define ZLC_AES_256 0x01000300u   /**< AES, 32 / 16 */
#define ZLC_DES 0x02000100u       /**< DES, 8 / 8 */
#define ZLC_TDES_3KEY 0x02000200u     /**< Triple DES, 24 / 8: K1 || K2 || K3 */
#define ZLC_TDES_2KEY 0x02001200u     /**< Triple DES, 16 / 8: K1 || K2, K3 = K1 */
#define ZLC_TDES_3KEY_ALT 0x02010200u /**< same cipher as ZLC_TDES_3KEY, reported as itself */
#define ZLC_ARIA_128 0x03000100u  /**< ARIA (RFC 5794), 16 / 16 */
#define ZLC_ARIA_192 0x03000200u  /**< ARIA, 24 / 16 */
#define ZLC_ARIA_256 0x03000300u  /**< ARIA, 32 / 16 */
#define ZLC_SEED_128 0x04000100u  /**< SEED (RFC 4269), 16 / 16 */
#define ZLC_SEED_256 0x04000200u  /**< SEED-256, 32 / 16 */
#define ZLC_RC5 0x05000100u       /**< RC5, 16 / 8 */
#define ZLC_BLOWFISH 0x06000100u  /**< Blowfish, 16 / 8; refused by the Advanced pair */
#define ZLC_RC2_128 0x07000100u /**< RC2 (RFC 2268), effective key bits 128, 16 / 8; no CTR */
#define ZLC_RC2_40 0x07000200u  /**< RC2, effective key bits 40, 5 / 8; no CTR */
#define ZLC_RC2_64 0x07000300u  /**< RC2, effective key bits 64, 8 / 8; no CTR */
#define ZLC_LEA_128 0x08000100u   /**< LEA, 16 / 16 */
#define ZLC_LEA_192 0x08000200u   /**< LEA, 24 / 16 */
#define ZLC_LEA_256 0x08000300u   /**< LEA, 32 / 16 */
/** @} */

/** @name Mode values
 * @{ */
#define ZLC_MODE_ECB 0x00u    /**< electronic codebook */
#define ZLC_MODE_CBC 0x20u    /**< cipher block chaining */
#define ZLC_MODE_CFB 0x40u    /**< full-block feedback */
#define ZLC_MODE_CFB1 0x42u   /**< named, never accepted */
#define ZLC_MODE_CFB8 0x44u   /**< named, never accepted */
#define ZLC_MODE_CFB16 0x46u  /**< named, never accepted */
#define ZLC_MODE_CFB32 0x48u  /**< named, never accepted */
#define ZLC_MODE_CFB64 0x4Au  /**< CFB on an 8-byte-block cipher; stored as ZLC_MODE_CFB */
#define ZLC_MODE_CFB128 0x4Cu /**< CFB on a 16-byte-block cipher; stored as ZLC_MODE_CFB */
#define ZLC_MODE_OFB 0x60u    /**< output feedback */
#define ZLC_MODE_CTR 0x80u    /**< big-endian counter over the whole block; not for RC2 */
/** @} */
/** ECB and CBC: no PKCS \#7 padding, data must be whole blocks. CFB, OFB and CTR: required for
 * decryption, ignored for encryption. */
#define ZLC_NO_PADDING 0x01u

struct BLOCK_CIPHER_UNIT;
/** The key-setup routine Init binds (unit, key, IV, encrypt flag). Returns 0 or a failure
 * status. */
typedef uint32_t (*ZLC_BLOCK_KEY_SETUP_ROUTINE)(struct BLOCK_CIPHER_UNIT *unit, const uint8_t *key,
                                                const uint8_t *iv, uint32_t encrypt);
/** The mode's block routine Init binds, which runs whole blocks (unit, out, in, length); in == out
 * is allowed. Returns 0 or a failure status. */
typedef uint32_t (*ZLC_BLOCK_PROCESS_ROUTINE)(struct BLOCK_CIPHER_UNIT *unit, uint8_t *out, const uint8_t *in,
                                              uint32_t length);

/** A block cipher unit. Callers may read its fields; only the library writes them. */
typedef struct BLOCK_CIPHER_UNIT {
    uint32_t algorithm;        /**< algorithm value (identifier without its low byte); 0 when
                                    fresh */
    uint32_t block_length;     /**< 8 or 16 */
    uint32_t key_length;       /**< key bytes */
    uint32_t iv_length;        /**< equal to block_length */
    uint32_t effective_bits;   /**< RC2 only */
    uint8_t mode;              /**< stored mode value (CFB64 and CFB128 are stored as CFB) */
    uint8_t no_padding;        /**< bit 0 of the identifier */
    ZLC_BLOCK_KEY_SETUP_ROUTINE key_setup; /**< the algorithm's key setup */
    ZLC_BLOCK_PROCESS_ROUTINE process; /**< null until Init has succeeded */
    uint32_t encrypt;          /**< 1 encrypt, 0 decrypt */
    uint8_t saved_iv[16];      /**< the IV of Init; every message starts from it */
    uint8_t chain[16];         /**< CBC/CFB/OFB register or CTR counter block */
    uint8_t pending[32];       /**< partial input block */
    uint8_t keystream[32];     /**< keystream of the stream modes */
    uint32_t pending_count;    /**< bytes in pending */
    uint32_t stream_pos;       /**< position in keystream; 0 between calls */
    void *key_schedule;        /**< owned by the unit, key_schedule_size bytes */
    uint32_t key_schedule_size; /**< bytes of *key_schedule */
    uint32_t held;             /**< 1 while a decrypted block is held back for the padding check */
    uint32_t block_mask;       /**< block_length - 1 */
    uint8_t held_block[32];    /**< the block held back */
    uint32_t initialised;      /**< 0xFFFFFFFF from the start of Init on */
    uint8_t proven_copy;       /**< proven-mode flag at Init */
} BLOCK_CIPHER_UNIT;

/** Size of the record of the Advanced pair. */
#define ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH 876

/** @name Status codes of the block cipher interface
 * @{ */
#define ZLC_BLOCK_INIT_NULL 0x0501002Bu          /**< null unit */
#define ZLC_BLOCK_INIT_REFUSED 0x05010023u       /**< unknown or refused algorithm or mode, null
                                                      key, key setup failed */
#define ZLC_BLOCK_INIT_ALLOC 0x0501003Au         /**< key schedule allocation */
#define ZLC_BLOCK_INIT_NO_IV 0x0501004Au         /**< null IV for CBC, CFB or OFB */
#define ZLC_BLOCK_INIT_NOT_APPROVED 0x050100F0u  /**< CTR in proven mode */
#define ZLC_BLOCK_UPDATE_ARGUMENT 0x0502002Bu    /**< null or unusable unit, null buffer, length
                                                      0 or less, or too long */
#define ZLC_BLOCK_UPDATE_BLOCK_LENGTH 0x0503000Au /**< block length above 32 */
#define ZLC_BLOCK_UPDATE_ROUTINE 0x0503004Cu     /**< the block routine failed */
#define ZLC_BLOCK_UPDATE_HOLD_LENGTH 0x05040009u /**< block length above 32 (decryption with
                                                      padding) */
#define ZLC_BLOCK_UPDATE_HOLD_FAILED 0x0504005Cu /**< the block routine failed (decryption with
                                                      padding) */
#define ZLC_BLOCK_FINAL_ARGUMENT 0x0505002Bu     /**< null or unusable unit, null output or
                                                      output length */
#define ZLC_BLOCK_FINAL_ENCRYPT 0x0505000Au      /**< partial block without padding, routine
                                                      failure */
#define ZLC_BLOCK_FINAL_DECRYPT 0x05050009u      /**< bad padding, partial block, stream mode
                                                      without ZLC_NO_PADDING */
#define ZLC_BLOCK_ONESHOT_ALLOC 0x0508003Bu      /**< ZLC_BLOCK_CIPHER(): the unit could not be
                                                      allocated */
#define ZLC_BLOCK_ONESHOT_INIT 0x05080021u       /**< ZLC_BLOCK_CIPHER(): Init failed */
#define ZLC_BLOCK_ONESHOT_UPDATE 0x0508005Au     /**< ZLC_BLOCK_CIPHER(): Update failed */
#define ZLC_BLOCK_ONESHOT_FINAL 0x05080017u      /**< ZLC_BLOCK_CIPHER(): Final failed */
#define ZLC_BLOCK_ADV_INIT_NULL 0x050A0049u      /**< null key, state or state length */
#define ZLC_BLOCK_ADV_INIT_UNSUPPORTED 0x050A0048u /**< Blowfish: its schedule does not fit */
#define ZLC_BLOCK_ADV_INIT_SHORT 0x050A0006u     /**< state length below 876 */
#define ZLC_BLOCK_ADV_INIT_FAILED 0x050A0021u    /**< Init of the unit failed */
#define ZLC_BLOCK_ADV_FINAL_NULL 0x050B0049u     /**< null state or output */
#define ZLC_BLOCK_ADV_FINAL_STATE 0x050B002Bu    /**< the state record is not one Init Advanced
                                                      produced */
#define ZLC_BLOCK_ADV_FINAL_UPDATE 0x050B005Au   /**< the Update step failed */
#define ZLC_BLOCK_ADV_FINAL_FINAL 0x050B0017u    /**< the Final step failed */
/** @} */

/**
 * @brief Allocates a block cipher unit.
 * @return A zero-filled unit, or null when memory runs out. Release it with
 *         ZLC_Free_BLOCK_CIPHER_Unit().
 */
ZLC_API BLOCK_CIPHER_UNIT *ZLC_New_BLOCK_CIPHER_Unit(void) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases the key schedule and zeroes the unit.
 *
 * For a unit that Init has started on: wipes and releases its key schedule and zeroes the unit.
 * Any other unit (null, fresh) is left untouched.
 *
 * @param[in,out] unit  the unit
 */
ZLC_API void ZLC_Clean_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the unit.
 * @param[in] unit  a unit from ZLC_New_BLOCK_CIPHER_Unit(); null does nothing
 */
ZLC_API void ZLC_Free_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Cleans the unit and keys it for one identifier.
 *
 * The unit owns the key schedule it allocates until Clean or Free. A failed Init leaves a unit
 * that Update and Final refuse until the next successful Init.
 *
 * @param[in,out] unit          the unit
 * @param[in]     algorithm_id  algorithm value + mode value (+ ZLC_NO_PADDING)
 * @param[in]     key           key_length bytes (ZLC_Get_Key_Length()); never null
 * @param[in]     iv            iv_length bytes (ZLC_Get_IV_Length()), required for CBC, CFB and
 *                              OFB, optional for CTR (null = zero counter), ignored for ECB
 * @param[in]     encrypt       0 decrypts, any other value encrypts (stored as 1)
 * @return 0, or 0x0501002B (ZLC_BLOCK_INIT_NULL: null unit), a failing self-test's status,
 *         0x05010023 (ZLC_BLOCK_INIT_REFUSED: unknown algorithm or mode, CFB1 to CFB32, CFB64 or
 *         CFB128 on the other block length, CTR with RC2, an algorithm refused in proven mode, a
 *         null key, or the key setup failed), 0x0501003A (ZLC_BLOCK_INIT_ALLOC: no memory for the
 *         key schedule), 0x0501004A (ZLC_BLOCK_INIT_NO_IV: null IV for CBC, CFB or OFB),
 *         0x050100F0 (ZLC_BLOCK_INIT_NOT_APPROVED: CTR in proven mode).
 */
ZLC_API uint32_t ZLC_Init_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint32_t algorithm_id, const uint8_t *key,
                                       const uint8_t *iv, uint32_t encrypt) ZLC_NOEXCEPT;
/**
 * @brief Encrypts or decrypts the next part of the message.
 *
 * Whole blocks go straight through; a partial block waits in the unit for more input or Final.
 * Decrypting with padding, the last whole block is held back until more input or Final shows
 * whether it carries the padding.
 *
 * @param[in,out] unit        a unit keyed by a successful Init
 * @param[out]    out         room for in_length plus one block; may be the same buffer as in
 * @param[out]    out_length  receives the bytes written (0 or more); not null
 * @param[in]     in          in_length bytes
 * @param[in]     in_length   1 .. 2^31 - 33 bytes
 * @return 0, or 0x0502002B (ZLC_BLOCK_UPDATE_ARGUMENT: null unit, out, out_length or in, length
 *         0, negative or above 2^31 - 33, or a unit no Init has keyed), 0x0503000A
 *         (ZLC_BLOCK_UPDATE_BLOCK_LENGTH) or 0x05040009 (ZLC_BLOCK_UPDATE_HOLD_LENGTH: a block
 *         length above 32), 0x0503004C (ZLC_BLOCK_UPDATE_ROUTINE) or 0x0504005C
 *         (ZLC_BLOCK_UPDATE_HOLD_FAILED, decryption with padding): the block routine failed.
 */
ZLC_API uint32_t ZLC_Update_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint8_t *out, int32_t *out_length,
                                         const uint8_t *in, int32_t in_length) ZLC_NOEXCEPT;
/**
 * @brief Ends the message.
 *
 * Adds or checks and strips the padding, or finishes a partial stream block. Writes at most one
 * block. Success or not, the unit is then ready for a new message under the same key and IV. A
 * padding error writes nothing. Encrypting with padding, an empty message gives one block of
 * padding; decrypting with padding, an empty message is refused.
 *
 * @param[in,out] unit        a unit keyed by a successful Init
 * @param[out]    out         room for one block (ZLC_Get_Block_Length())
 * @param[out]    out_length  receives the bytes written (0 .. one block); not null
 * @return 0, or 0x0505002B (ZLC_BLOCK_FINAL_ARGUMENT: null unit, out or out_length, or a unit no
 *         Init has keyed), 0x0505000A (ZLC_BLOCK_FINAL_ENCRYPT: a partial block for ECB or CBC
 *         with ZLC_NO_PADDING, or the block routine failed), 0x05050009 (ZLC_BLOCK_FINAL_DECRYPT:
 *         bad padding; with padding, a partial block or no block at all; ECB or CBC with
 *         ZLC_NO_PADDING and a partial block; CFB, OFB or CTR without ZLC_NO_PADDING; or the block
 *         routine failed).
 */
ZLC_API uint32_t ZLC_Final_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief Init, Update and Final in one call.
 *
 * An empty input is refused (ZLC_BLOCK_ONESHOT_UPDATE).
 *
 * @param[in]  algorithm_id  algorithm value + mode value (+ ZLC_NO_PADDING)
 * @param[in]  encrypt       0 decrypts, any other value encrypts
 * @param[in]  key           key_length bytes; never null
 * @param[in]  iv            iv_length bytes, as for ZLC_Init_BLOCK_CIPHER()
 * @param[in]  in            in_length bytes
 * @param[in]  in_length     1 .. 2^31 - 33 bytes
 * @param[out] out           room for in_length plus one block
 * @param[out] out_length    receives the bytes written; may be null
 * @return 0, or 0x0508003B (ZLC_BLOCK_ONESHOT_ALLOC: no memory for the unit), 0x05080021
 *         (ZLC_BLOCK_ONESHOT_INIT: any failure of ZLC_Init_BLOCK_CIPHER(), a failing self-test
 *         included), 0x0508005A (ZLC_BLOCK_ONESHOT_UPDATE: any failure of
 *         ZLC_Update_BLOCK_CIPHER(), an empty input or a null buffer included), 0x05080017
 *         (ZLC_BLOCK_ONESHOT_FINAL: any failure of ZLC_Final_BLOCK_CIPHER(), bad padding included).
 */
ZLC_API uint32_t ZLC_BLOCK_CIPHER(uint32_t algorithm_id, uint32_t encrypt, const uint8_t *key, const uint8_t *iv,
                                  const uint8_t *in, int32_t in_length, uint8_t *out,
                                  int32_t *out_length) ZLC_NOEXCEPT;
/**
 * @brief The unit's algorithm value.
 * @param[in] unit  the unit
 * @return The algorithm value the last Init recorded (the identifier without its low byte); 0 for
 *         a null, fresh or cleaned unit, or after an Init that did not know the algorithm or
 *         mode.
 */
ZLC_API uint32_t ZLC_Get_Block_Alg_ID(const BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief The name of an identifier's algorithm (its low byte ignored).
 * @param[in] algorithm_id  an identifier or algorithm value
 * @return Static text, never released: "AES_128", "AES_192", "AES_256", "ZLC_DES", "ZLC_DES_EDE"
 *         (the three Triple DES values), "ARIA_128", "ARIA_192", "ARIA_256", "ZLC_SEED",
 *         "SEED_256", "ZLC_RC5", "BlowFish", "ZLC_RC2_128", "ZLC_RC2_40", "ZLC_RC2_64", "LEA_128",
 *         "LEA_192", "LEA_256"; null for a value not known or when the self-test fails.
 */
ZLC_API const char *ZLC_Get_Block_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief The name of an identifier's mode (its bits 7..1; the algorithm is not examined).
 * @param[in] algorithm_id  an identifier or mode value
 * @return Static text, never released: "ECB", "CBC", "CFB", "CFB1", "CFB8", "CFB16", "CFB32",
 *         "CFB64", "CFB128", "OFB", "CTR"; null for a value not known or when the self-test fails.
 */
ZLC_API const char *ZLC_Get_Mode_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief The block length of an identifier's algorithm.
 * @param[in] algorithm_id  an identifier or algorithm value
 * @return Bytes (8 or 16); 0 for an unknown algorithm or when the self-test fails.
 */
ZLC_API int32_t ZLC_Get_Block_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief The key length of an identifier's algorithm.
 * @param[in] algorithm_id  an identifier or algorithm value
 * @return Bytes; 0 for an unknown algorithm or when the self-test fails.
 */
ZLC_API int32_t ZLC_Get_Key_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief The IV length of an identifier's algorithm.
 * @param[in] algorithm_id  an identifier or algorithm value
 * @return The block length in bytes; 0 for an unknown algorithm; -1 when the self-test fails.
 */
ZLC_API int32_t ZLC_Get_IV_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
/**
 * @brief Keys an identifier once into a caller-kept record.
 *
 * The record (876 bytes) holds the key schedule and is meaningful only inside this process.
 * Blowfish is refused. The record is key material: wipe it when it is no longer needed.
 *
 * @param[in]     algorithm_id  algorithm value + mode value (+ ZLC_NO_PADDING)
 * @param[in]     key           key_length bytes; never null
 * @param[in]     iv            iv_length bytes, as for ZLC_Init_BLOCK_CIPHER()
 * @param[in]     encrypt       0 decrypts, any other value encrypts
 * @param[out]    state         the record, at least ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH (876)
 *                              bytes
 * @param[in,out] state_length  in: the record's size; out: 876
 * @return 0, or 0x050A0049 (ZLC_BLOCK_ADV_INIT_NULL: null key, state or state_length), 0x050A0048
 *         (ZLC_BLOCK_ADV_INIT_UNSUPPORTED: Blowfish), 0x050A0006 (ZLC_BLOCK_ADV_INIT_SHORT: a
 *         record below 876 bytes), 0x050A0021 (ZLC_BLOCK_ADV_INIT_FAILED: any failure of
 *         ZLC_Init_BLOCK_CIPHER(), a failing self-test included).
 */
ZLC_API uint32_t ZLC_Init_Advanced_BLOCK_CIPHER(uint32_t algorithm_id, const uint8_t *key, const uint8_t *iv,
                                                uint32_t encrypt, uint8_t *state,
                                                int32_t *state_length) ZLC_NOEXCEPT;
/**
 * @brief One whole message (Update and Final) under the record.
 *
 * The record is only read: every call starts from the saved IV. Every field of the record is
 * checked before use.
 *
 * @param[in]  state       a record from ZLC_Init_Advanced_BLOCK_CIPHER()
 * @param[in]  reserved    not examined
 * @param[in]  in          in_length bytes
 * @param[in]  in_length   1 .. 2^31 - 33 bytes
 * @param[out] out         room for in_length plus one block
 * @param[out] out_length  receives the bytes written; may be null
 * @return 0, or 0x050B0049 (ZLC_BLOCK_ADV_FINAL_NULL: null state or output), 0x050B002B
 *         (ZLC_BLOCK_ADV_FINAL_STATE: the record is not one ZLC_Init_Advanced_BLOCK_CIPHER()
 *         produced), 0x050B005A (ZLC_BLOCK_ADV_FINAL_UPDATE: the Update step failed, e.g. null
 *         input or a length outside 1 .. 2^31 - 33), 0x050B0017 (ZLC_BLOCK_ADV_FINAL_FINAL: the
 *         Final step failed, e.g. bad padding or a partial block).
 */
ZLC_API uint32_t ZLC_DoFinal_Advanced_BLOCK_CIPHER(const uint8_t *state, uint32_t reserved, const uint8_t *in,
                                                   int32_t in_length, uint8_t *out,
                                                   int32_t *out_length) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * RC4
 * ------------------------------------------------------------------------------------------- */

/**
 * @defgroup zlc_rc4 RC4
 * @brief The RC4 (ARCFOUR) stream cipher.
 * @{
 */

/** An RC4 (ARCFOUR) unit: the generator indices i and j and the permutation S of 0..255, one
 * entry per 32-bit word. Exactly 1032 bytes. */
typedef struct RC4_UNIT {
    uint32_t x;          /**< index i, 0..255 */
    uint32_t y;          /**< index j, 0..255 */
    uint32_t state[256]; /**< the permutation S */
} RC4_UNIT;

/** Every RC4 argument error: a null unit, key, input or output, a key length of 0 or less, a length
 * of 0, or a unit that holds no key (fresh from New, or cleaned). */
#define ZLC_RC4_INVALID_ARGUMENT 0x1600002Bu

/**
 * @brief Allocates an RC4 unit.
 *
 * It must be keyed with ZLC_Init_RC4() first.
 *
 * @return A new zero-filled unit, or null when memory is short. Release it with
 *         ZLC_Free_RC4_Unit().
 */
ZLC_API RC4_UNIT *ZLC_New_RC4_Unit(void) ZLC_NOEXCEPT;
/**
 * @brief Zeroes all 1032 bytes; the unit then holds no key.
 * @param[out] unit  the unit; null does nothing
 */
ZLC_API void ZLC_Clean_RC4_Unit(RC4_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Zeroes all 1032 bytes, then releases the unit.
 * @param[in] unit  a unit from ZLC_New_RC4_Unit(); null does nothing
 */
ZLC_API void ZLC_Free_RC4_Unit(RC4_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Keys the unit and sets the generator to the start of its keystream.
 *
 * A failure changes nothing.
 *
 * @param[out] unit        the unit
 * @param[in]  key         key_length bytes
 * @param[in]  key_length  key bytes, at least 1
 * @return 0, or 0x1600002B (ZLC_RC4_INVALID_ARGUMENT: null unit or key, key length 0 or less).
 */
ZLC_API uint32_t ZLC_Init_RC4(RC4_UNIT *unit, const uint8_t *key, int32_t key_length) ZLC_NOEXCEPT;
/**
 * @brief Encrypts or decrypts: out = in xor the next `length` keystream bytes.
 *
 * Encryption and decryption alike; successive calls continue one keystream; in and out may be the
 * same buffer. A failure changes nothing.
 *
 * @param[in,out] unit    a keyed unit
 * @param[in]     in      `length` bytes
 * @param[in]     length  bytes to process, at least 1
 * @param[out]    out     room for `length` bytes; may be in
 * @return 0, or 0x1600002B (ZLC_RC4_INVALID_ARGUMENT: null unit, input or output, length 0, or a
 *         unit that holds no key).
 */
ZLC_API uint32_t ZLC_Do_RC4(RC4_UNIT *unit, const uint8_t *in, uint32_t length, uint8_t *out) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * Big integers
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_bigint Big integers
 * @brief Non-negative integers of 32-bit words: records, conversions, a pool of scratch
 *        integers, arithmetic, modular arithmetic, random integers and primes.
 *
 * Statuses of this section: module 0x04, bits 23..16 the operation (0x01 Init, 0x02 Free, 0x1F
 * Copy, ...), reason 0x49 for a null record and 0x16 when storage cannot grow.
 *
 * Timing: no function of this section is constant time. Each takes branches, loop counts or table
 * indices from its operands' values and lengths: the normalised length itself, comparisons, the
 * digit corrections of division, the bit scan of the sliding-window exponentiations, the loops of
 * the inverse and the gcd. Their running time and memory accesses can therefore tell an observer
 * on the same machine about the operands, which is acceptable for public values only: moduli,
 * public exponents, and the signatures, ciphertexts and messages of verification and encryption.
 * Secret exponents (private keys, nonces) are not exponentiated with these functions inside the
 * library: its private-key operations use an internal fixed-window Montgomery exponentiation
 * whose branches and memory addresses do not depend on the exponent.
 * @{
 */

#define BIGINT_FLAG_HEAP 1u   /**< Allocated by the library; ZLC_Free_BIGINT releases the record. */
#define BIGINT_FLAG_STATIC 2u /**< The words are not owned (shared constants); never grows. */
#define BIGINT_FLAG_INIT 4u   /**< Prepared in place; ZLC_Free_BIGINT only empties it. */
#define ZLC_BIGINT_MAX_WORDS 0xFFFFFF /**< Capacity requests above this many words fail. */

/**
 * @brief A non-negative integer: 32-bit words, least significant first, always normalised
 *        (`length` 0 for zero, otherwise `words[length - 1] != 0`).
 *
 * Storage is wiped before every release.
 */
typedef struct BIGINT {
    uint32_t *words;  /**< Null while no storage is held. */
    int32_t length;   /**< Words in use. */
    int32_t capacity; /**< Words allocated. */
    uint32_t flags;   /**< BIGINT_FLAG_ bits. */
} BIGINT;

/** Scratch integers are handed out from blocks of this many records. */
#define ZLC_BIGINT_POOL_BLOCK_RECORDS 8
/** Frames of a pool nest at most this deep. */
#define ZLC_BIGINT_POOL_MAX_FRAMES 80

/** @brief One block of pool records, in a doubly linked list. */
typedef struct BIGINT_POOL_BLOCK {
    BIGINT records[ZLC_BIGINT_POOL_BLOCK_RECORDS]; /**< The records handed out. */
    struct BIGINT_POOL_BLOCK *previous;            /**< The block before, or null. */
    struct BIGINT_POOL_BLOCK *next;                /**< The block after, or null. */
} BIGINT_POOL_BLOCK;

/**
 * @brief A pool of scratch integers, handed out from blocks of eight inside nested frames.
 *
 * Made by ZLC_New_BIGINT_Pool; the fields are the library's bookkeeping.
 */
typedef struct BIGINT_POOL {
    BIGINT_POOL_BLOCK *head;    /**< First block, or null. */
    BIGINT_POOL_BLOCK *current; /**< Block of the most recently handed-out record. */
    BIGINT_POOL_BLOCK *tail;    /**< Last block, or null. */
    int32_t used;               /**< Records handed out and not given back. */
    int32_t size;               /**< Records held by all blocks (a multiple of 8). */
    int32_t frame_counts[ZLC_BIGINT_POOL_MAX_FRAMES]; /**< Records taken by each open frame. */
    int32_t depth;              /**< Innermost open frame; -1 when none is open. */
} BIGINT_POOL;

/**
 * @defgroup zlc_bigint_record Records
 * @ingroup zlc_bigint
 * @brief Life cycle of integer records. Statuses: 0x0401xxxx Init, 0x0402xxxx Free, 0x041Fxxxx
 *        Copy; reason 0x49 for a null record, 0x16 when storage cannot grow.
 * @{
 */

/**
 * @brief A new library-allocated record holding zero, without storage.
 *
 * @return The record (flag BIGINT_FLAG_HEAP set), or null when memory runs out. Release it with
 *         ZLC_Free_BIGINT.
 */
ZLC_API BIGINT *ZLC_New_BIGINT(void) ZLC_NOEXCEPT;
/**
 * @brief Prepares a caller-provided record without storage.
 *
 * A record with any flag set is zeroed first: its storage pointer is dropped, not released (call
 * ZLC_Clear_BIGINT before to release it), and a library-allocated record loses
 * BIGINT_FLAG_HEAP, so ZLC_Free_BIGINT then only empties it. The record then holds zero with
 * flag BIGINT_FLAG_INIT. The shared constants (ZLC_Value_One_BIGINT, ZLC_Value_Zero_BIGINT) are
 * left as they are.
 *
 * @param[out] n  the record
 * @return 0, or 0x04010049 (null n).
 */
ZLC_API uint32_t ZLC_Init_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases the storage; the value becomes zero.
 *
 * The words of a static record are not released, only detached (the static flag is dropped).
 * Null and the shared constants are ignored.
 *
 * @param[in,out] n  the record, or null
 */
ZLC_API void ZLC_Clear_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief Clears the record, and releases it when the library allocated it.
 *
 * A record with BIGINT_FLAG_HEAP is released; any other (prepared with ZLC_Init_BIGINT, or a pool
 * record) is only emptied. The shared constants are left as they are (0 is returned).
 *
 * @param[in,out] n  the record
 * @return 0, or 0x04020049 (null n).
 */
ZLC_API uint32_t ZLC_Free_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief dst = src.
 *
 * @param[out] dst  the destination (the same record as src does nothing)
 * @param[in]  src  the value
 * @return 0, or 0x041F0049 (null dst or src), 0x041F0016 (dst cannot grow: no memory, or a static
 *         dst).
 */
ZLC_API uint32_t ZLC_Copy_BIGINT(BIGINT *dst, const BIGINT *src) ZLC_NOEXCEPT;
/**
 * @brief A new record holding a copy of src.
 *
 * @param[in] src  the value
 * @return A library-allocated record (release it with ZLC_Free_BIGINT), or null for a null src or
 *         when memory runs out.
 */
ZLC_API BIGINT *ZLC_Dup_BIGINT(const BIGINT *src) ZLC_NOEXCEPT;
/**
 * @brief Exchanges the values (words, length and capacity) of two records.
 *
 * The static flag travels with the words; the other flags stay. Null, or a shared constant as
 * either record, does nothing.
 *
 * @param[in,out] a  first record
 * @param[in,out] b  second record
 */
ZLC_API void ZLC_Swap_BIGINT(BIGINT *a, BIGINT *b) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_convert Conversions
 * @ingroup zlc_bigint
 * @brief Byte strings (big-endian) and texts. Texts are released with ZLC_Free.
 * @{
 */

/**
 * @brief The value of `count` big-endian bytes, into `target` or into a new record.
 *
 * @param[in]     bytes   `count` bytes
 * @param[in]     count   number of bytes, 0 or more (0 gives zero)
 * @param[in,out] target  the record to receive the value, or null for a new one
 * @return target, or the new record (release it with ZLC_Free_BIGINT); null on a null or negative
 *         input, or when memory runs out or target cannot grow (target then keeps its value).
 */
ZLC_API BIGINT *ZLC_Binary_To_BIGINT(const uint8_t *bytes, int32_t count, BIGINT *target) ZLC_NOEXCEPT;
/**
 * @brief Writes the minimal big-endian form, with a leading 00 when the top bit would be set.
 *
 * @param[in]  n    the value
 * @param[out] out  room for (bits + 8) / 8 bytes, bits being ZLC_Get_BIGINT_Bits_Length(n)
 * @return The number of bytes written, (bits + 8) / 8; zero and null (n or out) write nothing
 *         and give 0.
 */
ZLC_API int32_t ZLC_BIGINT_To_Binary(const BIGINT *n, uint8_t *out) ZLC_NOEXCEPT;
/**
 * @brief Writes the minimal big-endian form.
 *
 * @param[in]  n    the value
 * @param[out] out  room for (bits + 7) / 8 bytes, bits being ZLC_Get_BIGINT_Bits_Length(n)
 * @return The number of bytes written, (bits + 7) / 8; zero and null (n or out) write nothing
 *         and give 0.
 */
ZLC_API int32_t ZLC_BIGINT_To_Binary_Unsigned(const BIGINT *n, uint8_t *out) ZLC_NOEXCEPT;
/**
 * @brief Reads the leading hexadecimal digits of a text into a new record.
 *
 * Digits of either case are read up to the first other character; a text without any gives
 * zero.
 *
 * @param[in] text  zero-terminated text
 * @return A new record (release it with ZLC_Free_BIGINT); null for null or empty text or when
 *         memory runs out.
 */
ZLC_API BIGINT *ZLC_HEX_To_BIGINT(const char *text) ZLC_NOEXCEPT;
/**
 * @brief The value as upper-case hexadecimal text, two digits per byte ("0F", "0100").
 *
 * @param[in] n  the value
 * @return The zero-terminated text ("0" for zero), released with ZLC_Free; null on a null n or
 *         when memory runs out.
 */
ZLC_API char *ZLC_BIGINT_To_HEX(const BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief The value as decimal text without leading zeros.
 *
 * @param[in] n  the value
 * @return The zero-terminated text ("0" for zero), released with ZLC_Free; null on a null n or
 *         when memory runs out.
 */
ZLC_API char *ZLC_BIGINT_To_DEC(const BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief Writes "0x", the text of ZLC_BIGINT_To_HEX and a newline to standard output.
 *
 * Null prints nothing; when memory runs out only "0x" is written.
 *
 * @param[in] n  the value, or null
 */
ZLC_API void ZLC_Print_BIGINT(const BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief "0x" followed by the text of ZLC_BIGINT_To_HEX.
 *
 * @param[in] n  the value
 * @return The zero-terminated text, released with ZLC_Free; null on a null n or when memory runs
 *         out.
 */
ZLC_API char *ZLC_Dump_BIGINT(const BIGINT *n) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_inspect Inspection and single words
 * @ingroup zlc_bigint
 * @brief Bit length, comparison, word and bit access, the shared constants.
 * @{
 */

/**
 * @brief The bit length of a value.
 *
 * @param[in] n  the value
 * @return The number of bits up to the highest set one; 0 for zero or null.
 */
ZLC_API int32_t ZLC_Get_BIGINT_Bits_Length(const BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief Compares two values.
 *
 * @param[in] a  first value
 * @param[in] b  second value
 * @return -1, 0 or 1 as a is below, equal to or above b; 1 when either is null.
 */
ZLC_API int32_t ZLC_Cmp_BIGINT(const BIGINT *a, const BIGINT *b) ZLC_NOEXCEPT;
/**
 * @brief The value as one word.
 *
 * @param[in] n  the value
 * @return The value when it fits one word (0 for zero), 0xFFFFFFFF when it does not, 1 for null.
 */
ZLC_API uint32_t ZLC_Get_BIGINT_Word(const BIGINT *n) ZLC_NOEXCEPT;
/**
 * @brief n = w.
 *
 * @param[out] n  the record
 * @param[in]  w  the value
 * @return 0, or 0x04200049 (null n), 0x04200016 (n cannot grow: no memory, or a static n).
 */
ZLC_API uint32_t ZLC_Set_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief Sets bit i (0 = least significant), growing the value as needed.
 *
 * @param[in,out] n  the record
 * @param[in]     i  bit index, 0 or more
 * @return 0, or 0x04210049 (null n or negative i), 0x04210016 (growth failed, or a static
 *         record).
 */
ZLC_API uint32_t ZLC_Set_BIGINT_Bit(BIGINT *n, int32_t i) ZLC_NOEXCEPT;
/**
 * @brief Tests bit i (0 = least significant).
 *
 * @param[in] n  the value
 * @param[in] i  bit index
 * @return 1 when bit i is set; 0 when it is clear, beyond the value, for negative i or a null
 *         record.
 */
ZLC_API int32_t ZLC_Is_BIGINT_Bit_Set(const BIGINT *n, int32_t i) ZLC_NOEXCEPT;
/**
 * @brief The shared read-only constant 1.
 *
 * An operand only: never written, cleared or freed (Init, Clear, Free and Swap leave it as it
 * is; operations refuse it as a result).
 *
 * @return The process-wide constant; static, never released.
 */
ZLC_API const BIGINT *ZLC_Value_One_BIGINT(void) ZLC_NOEXCEPT;
/**
 * @brief The shared read-only constant 0.
 *
 * An operand only: never written, cleared or freed (Init, Clear, Free and Swap leave it as it
 * is; operations refuse it as a result).
 *
 * @return The process-wide constant; static, never released.
 */
ZLC_API const BIGINT *ZLC_Value_Zero_BIGINT(void) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_pool The pool
 * @ingroup zlc_bigint
 * @brief Scratch integers in nested frames.
 *
 * Open a frame, take records (each reads zero), finish the frame: every record the frame took
 * goes back and keeps its storage for the next taker. At most 80 frames nest. A record given back
 * keeps its storage's contents until it is taken again or the pool is cleared: clear a record
 * that held a secret with ZLC_Clear_BIGINT before finishing its frame.
 * @{
 */

/**
 * @brief A new empty pool with no frame open.
 *
 * @return The pool, or null when memory runs out. Release it with ZLC_Free_BIGINT_Pool.
 */
ZLC_API BIGINT_POOL *ZLC_New_BIGINT_Pool(void) ZLC_NOEXCEPT;
/**
 * @brief Opens a frame inside the innermost one.
 *
 * @param[in,out] pool  the pool
 * @return 0, or 0x041B0049 for a null pool or when 80 frames (ZLC_BIGINT_POOL_MAX_FRAMES) are
 *         already open.
 */
ZLC_API uint32_t ZLC_Start_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief Takes a zero record, counted to the innermost frame.
 *
 * @param[in,out] pool  the pool
 * @return The record, owned by the pool: it goes back with ZLC_Finish_BIGINT_Pool and is never
 *         freed by the caller. Null for a null pool, no open frame, or no memory (the pool then
 *         stays as it was).
 */
ZLC_API BIGINT *ZLC_Get_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief Gives back the innermost frame's records and closes the frame.
 *
 * @param[in,out] pool  the pool
 * @return 0, or 0x041C0049 for a null pool or when no frame is open.
 */
ZLC_API uint32_t ZLC_Finish_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases every pooled record's storage and every block.
 *
 * The pool is left empty with no frame open, ready for use again; records taken from it before
 * are no longer valid.
 *
 * @param[in,out] pool  the pool
 * @return 0, or 0x041A0049 (null pool).
 */
ZLC_API uint32_t ZLC_Clear_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief Clears and releases the pool.
 *
 * @param[in] pool  a pool from ZLC_New_BIGINT_Pool
 * @return 0, or 0x04190049 (null pool).
 */
ZLC_API uint32_t ZLC_Free_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_arith Arithmetic
 * @ingroup zlc_bigint
 * @brief Addition, subtraction, multiplication and division.
 *
 * Results are normalised and may be the same record as an operand; after a failure the result's
 * value is unspecified but the record stays valid. A null record gives reason 0x49. A static
 * record (BIGINT_FLAG_STATIC) is refused as a result, like one that cannot grow, and keeps its
 * value.
 * @{
 */

/**
 * @brief r = a + b.
 *
 * @param[out] r  the sum
 * @param[in]  a  first operand
 * @param[in]  b  second operand
 * @return 0, or 0x040D0049 (null record), 0x040D0028 (r cannot grow).
 */
ZLC_API uint32_t ZLC_Add_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b) ZLC_NOEXCEPT;
/**
 * @brief r = a - b for a >= b.
 *
 * @param[out] r     the difference
 * @param[in]  a     minuend
 * @param[in]  b     subtrahend, at most a
 * @param[in]  pool  not used; may be null
 * @return 0, or 0x040E0049 (null record), 0x040E0028 (b exceeds a, or r cannot grow).
 */
ZLC_API uint32_t ZLC_Sub_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief n = n + w.
 *
 * @param[in,out] n  the record
 * @param[in]     w  the word to add (0 changes nothing)
 * @return 0, or 0x04030049 (null n), 0x04030016 (growth failed, or a static n), 0x04030052
 *         (setting a zero n to w failed).
 */
ZLC_API uint32_t ZLC_Add_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief n = |n - w|.
 *
 * @param[in,out] n  the record
 * @param[in]     w  the word to subtract (0 changes nothing)
 * @return 0, or 0x04040049 (null n), 0x04040052 (setting a zero n to w failed), 0x04040016 (a
 *         static n).
 */
ZLC_API uint32_t ZLC_Sub_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief n = n * w.
 *
 * @param[in,out] n  the record (a zero n stays as it is)
 * @param[in]     w  the factor
 * @return 0, or 0x04050049 (null n), 0x04050016 (growth failed, or a static non-zero n).
 */
ZLC_API uint32_t ZLC_Mtp_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief n = n div w, returning n mod w.
 *
 * @param[in,out] n  the dividend, replaced by the quotient
 * @param[in]     w  the divisor
 * @return n mod w, or 0xFFFFFFFF (n unchanged) for w = 0, a null n, or no memory (a static
 *         non-zero n included).
 */
ZLC_API uint32_t ZLC_Div_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief n mod w.
 *
 * @param[in] n  the dividend
 * @param[in] w  the divisor
 * @return n mod w, or 0xFFFFFFFF for w = 0 or a null n.
 */
ZLC_API uint32_t ZLC_Mod_BIGINT_Word(const BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/**
 * @brief quotient = a div d, remainder = a mod d.
 *
 * @param[out] quotient   the quotient, or null when not wanted
 * @param[out] remainder  the remainder, or null when not wanted
 * @param[in]  a          the dividend
 * @param[in]  d          the divisor, not zero
 * @param[in]  pool       scratch pool, or null (the scratch then comes from the heap)
 * @return 0, or 0x04100049 (null a or d), 0x04100028 (d is zero), 0x04100039 (shift failed),
 *         0x0410003A (scratch or growth failed, or a static output: then neither output is
 *         changed).
 */
ZLC_API uint32_t ZLC_Div_BIGINT(BIGINT *quotient, BIGINT *remainder, const BIGINT *a, const BIGINT *d,
                                BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a * b.
 *
 * @param[out] r     the product
 * @param[in]  a     first factor
 * @param[in]  b     second factor
 * @param[in]  pool  scratch pool (not needed when a factor is zero)
 * @return 0, or 0x04120049 (null a or b, or a null r with non-zero factors), 0x04120052 (a zero
 *         factor with a null or static r), 0x04120057 (no pool), 0x0412003B (scratch), 0x04120016
 *         (growth failed, or a static r), 0x0412000D (copying the result into r, when r is an
 *         operand, failed).
 */
ZLC_API uint32_t ZLC_Mtp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a * a.
 *
 * @param[out] r     the square
 * @param[in]  a     the operand
 * @param[in]  pool  scratch pool (not needed when a is zero)
 * @return 0, or 0x04110049 (null a or r), 0x04110057 (no pool), 0x0411001B (scratch), 0x04110016
 *         (growth failed, or a static r), 0x0411000D (copying the result into r, when r is a,
 *         failed).
 */
ZLC_API uint32_t ZLC_Sqr_BIGINT(BIGINT *r, const BIGINT *a, BIGINT_POOL *pool) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_modular Modular arithmetic
 * @ingroup zlc_bigint
 * @brief Subtraction, multiplication, exponentiation and inverse modulo m.
 *
 * As in the arithmetic: results may be operands, and a failed result's value is unspecified.
 * @{
 */

/**
 * @brief r = (a - b) mod m.
 *
 * @param[out] r     the result
 * @param[in]  a     minuend
 * @param[in]  b     subtrahend
 * @param[in]  m     the modulus
 * @param[in]  pool  not used; may be null
 * @return 0, or 0x040F0049 (null record), 0x040F003A (a temporary could not be made), otherwise
 *         the status of the failed inner step: a division 0x0410xxxx (0x04100028 for a zero m), a
 *         subtraction 0x040Exxxx (0x040E0028 when r cannot take the result), or 0x04200016
 *         (setting a static r to zero).
 */
ZLC_API uint32_t ZLC_Mod_Sub_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a * b mod m (squares when a and b are the same record).
 *
 * @param[out] r     the result
 * @param[in]  a     first factor
 * @param[in]  b     second factor
 * @param[in]  m     the modulus
 * @param[in]  pool  scratch pool
 * @return 0, or 0x04130057 (no pool), 0x04130049 (null record), 0x0413001B (scratch), 0x04130056
 *         (square failed), 0x04130044 (multiply failed), 0x0413003E (reduction failed, a zero m
 *         or a static r included).
 */
ZLC_API uint32_t ZLC_Mod_Mtp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a^e mod m by a sliding window.
 *
 * A null or zero e gives 1. Not constant time: for public exponents only.
 *
 * @param[out] r     the result
 * @param[in]  a     the base
 * @param[in]  e     the exponent, or null
 * @param[in]  m     the modulus
 * @param[in]  pool  scratch pool, or null for a private one
 * @return 0, or 0x04140052 (setting r failed: a null or static r when e is null or zero, or r
 *         cannot take the result), 0x04140049 (null r, a or m), 0x04140057 (the private pool
 *         could not be made), 0x0414001B (scratch), 0x0414003E (reducing a mod m failed, a zero m
 *         included), 0x04140042 (a modular multiplication failed).
 */
ZLC_API uint32_t ZLC_Mod_Exp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *e, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a^e mod m in Montgomery form, for an odd m.
 *
 * A null or zero e gives 1. Not constant time: for public exponents only.
 *
 * @param[out] r     the result
 * @param[in]  a     the base
 * @param[in]  e     the exponent, or null
 * @param[in]  m     the modulus, odd
 * @param[in]  pool  scratch pool, or null for a private one
 * @return 0, or 0x040A0052 (context set-up failed: an even or zero m is refused so), 0x04200049 /
 *         0x04200016 (setting r to 1 or 0 failed: a null or static r), 0x040A0049 (null r, a or
 *         m), 0x040A0057 (the private pool could not be made), 0x040A001B (scratch), 0x040A003A
 *         (the context could not be allocated), 0x040A003E (reducing a mod m failed), 0x040A0004
 *         (conversion into Montgomery form failed), 0x040A0043 (a Montgomery product could not be
 *         prepared), 0x040A0002 (conversion out of Montgomery form, or storing into r, failed).
 */
ZLC_API uint32_t ZLC_Mod_Exp_Mont_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *e, const BIGINT *m,
                                         BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief r = a^-1 mod m (extended Euclidean algorithm).
 *
 * @param[out] r     the inverse
 * @param[in]  a     the value
 * @param[in]  m     the modulus
 * @param[in]  pool  scratch pool
 * @return 0, or 0x04070052 when no inverse exists (gcd(a, m) is not 1, a zero a included),
 *         0x04070057 (no pool), 0x04070049 (null record), 0x0407001B (scratch), 0x0407000D (copy
 *         failed, a static r included), 0x0407003E (reduction failed, a zero m included),
 *         0x04070010 (division step), 0x04070001 (multiplication step), 0x04070044 (addition
 *         step), 0x04070058 (final subtraction).
 */
ZLC_API uint32_t ZLC_Mod_Inverse_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *m, BIGINT_POOL *pool) ZLC_NOEXCEPT;

/** @} */

/** @} */

/* ---------------------------------------------------------------------------------------------
 * Random bytes: Hash_DRBG (NIST SP 800-90A) over SHA-1, HAS-160 or SHA-2
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_drbg Random bytes: Hash_DRBG
 * @brief Hash_DRBG (NIST SP 800-90A) over SHA-1, HAS-160 or SHA-2, one state per process.
 *
 * One generator state per process, kept between requests. Every request takes the lock
 * "ZELTARO_Crypto_Lock", shared by the threads of the process and by every process of the same
 * user, restores the state (or instantiates it from fresh operating-system entropy when there is
 * none for the digest asked for, or when the process is a fork of the one that saved it),
 * generates, saves the state and releases the lock. Each output block is compared with the one
 * before it (continuous test). Nothing is saved by a failed request. When generation itself fails
 * (ZLC_DRBG_GENERATE_FAILED for a failed reseed or generation step, or
 * ZLC_DRBG_CONTINUOUS_TEST_FAILED), the output is all zeros; a request refused before it
 * generates leaves the output as it was.
 * @{
 */

/** The lock could not be created or taken. */
#define ZLC_DRBG_LOCK_FAILED 0x0B050061u
/** The lock could not be released. */
#define ZLC_DRBG_UNLOCK_FAILED 0x0B050062u
/** The reserved argument is not 0. */
#define ZLC_DRBG_RESERVED_NONZERO 0x0B050048u
/** The request's state could not be allocated. */
#define ZLC_DRBG_ALLOC_FAILED 0x0B05003Bu
/** Unknown digest, or refused in proven mode. */
#define ZLC_DRBG_SETUP_FAILED 0x0B050063u
/** No entropy could be collected. */
#define ZLC_DRBG_INSTANTIATE_FAILED 0x0B050064u
/** Length 0 or less, null output, reseed or generation failure. */
#define ZLC_DRBG_GENERATE_FAILED 0x0B050066u
/** An output block equalled the one before it. */
#define ZLC_DRBG_CONTINUOUS_TEST_FAILED 0x0B050067u

/**
 * @brief Fills `out` with `length` random bytes from the SHA-256 generator without prediction
 *        resistance.
 *
 * @param[out] out     room for `length` bytes
 * @param[in]  length  number of bytes, 1 or more
 * @return 0, or a failing self-test's status, ZLC_DRBG_LOCK_FAILED, ZLC_DRBG_ALLOC_FAILED,
 *         ZLC_DRBG_SETUP_FAILED, ZLC_DRBG_INSTANTIATE_FAILED,
 *         ZLC_DRBG_GENERATE_FAILED (also for a length of 0 or less and a null out),
 *         ZLC_DRBG_CONTINUOUS_TEST_FAILED, ZLC_DRBG_UNLOCK_FAILED (reported even when the bytes
 *         were generated). On a failure of generation the `length` bytes of `out` are zeros.
 */
ZLC_API uint32_t ZLC_Rand_Bytes(uint8_t *out, int32_t length) ZLC_NOEXCEPT;

/**
 * @brief As ZLC_Rand_Bytes with a chosen digest and optional prediction resistance.
 *
 * Asking for another digest than the last request replaces the process's state by a new one.
 * With `prediction_resistance` nonzero every request first reseeds from fresh entropy.
 *
 * @param[out] out                    room for `length` bytes
 * @param[in]  length                 number of bytes, 1 or more
 * @param[in]  reserved               must be 0
 * @param[in]  algorithm_id           ZLC_SHA1, ZLC_HAS160, ZLC_SHA224 ... ZLC_SHA512 (only SHA-2
 *                                    in proven mode)
 * @param[in]  prediction_resistance  nonzero to reseed before generating
 * @return As ZLC_Rand_Bytes, and ZLC_DRBG_RESERVED_NONZERO (reserved not 0),
 *         ZLC_DRBG_SETUP_FAILED (a digest other than these, or SHA-1 or HAS-160 in proven mode).
 */
ZLC_API uint32_t ZLC_Rand_Bytes_DRBG(uint8_t *out, int32_t length, uint32_t reserved, uint32_t algorithm_id,
                                     uint32_t prediction_resistance) ZLC_NOEXCEPT;

/**
 * @brief Sets `n` to a random integer below 2^bits, drawn from the SHA-256 generator.
 *
 * (bits + 7) / 8 bytes are drawn, the first shifted right to keep `bits` bits.
 *
 * @param[out] n     the record
 * @param[in]  bits  bit length bound, 1 or more
 * @return 0, or a failing self-test's status, 0x0B060049 (null n), 0x0B06002B (negative bits),
 *         0x0B06001D (the draw or its buffer failed; bits 0 included), 0x0B060005 (n cannot hold
 *         the value: no memory, or a static n).
 */
ZLC_API uint32_t ZLC_Get_Rand_BIGINT_Ex(BIGINT *n, int32_t bits) ZLC_NOEXCEPT;

/**
 * @brief Zeroes the process's generator state; the next request instantiates afresh.
 *
 * Waits for a request in progress to finish (when the lock cannot be taken, no request can be
 * running, and the state is zeroed all the same).
 */
ZLC_API void ZLC_Uninstantiate_DRBG(void) ZLC_NOEXCEPT;

/** @} */

/**
 * @defgroup zlc_bigint_prime Random integers and primes
 * @ingroup zlc_bigint
 * @brief Random integers of a given shape, Miller-Rabin testing and prime generation.
 *
 * The _Ex functions draw from the DRBG (the bytes of ZLC_Rand_Bytes); the others from a PRNG unit
 * made for each draw with G = `digest` (0 selects SHA-1), and are refused in proven mode.
 * @{
 */

/**
 * @brief r = a random integer below 2^bits from the DRBG, shaped at the top and bottom.
 *
 * @param[out] r       the record
 * @param[in]  bits    bit length bound; 0 gives zero
 * @param[in]  top     -1 leaves the high bits random, 0 sets bit bits-1, any other value sets
 *                     bits bits-1 and bits-2
 * @param[in]  bottom  nonzero sets bit 0
 * @param[in]  pool    not used; may be null
 * @return 0, or 0x04170049 (null r), 0x0417002B (negative bits), 0x0417003B (buffer), 0x0417001D
 *         (the DRBG failed, a failing self-test included), 0x04170005 (conversion into r).
 */
ZLC_API uint32_t ZLC_Rand_BIGINT_Ex(BIGINT *r, int32_t bits, int32_t top, int32_t bottom,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Rand_BIGINT_Ex, from a PRNG unit seeded for the call.
 *
 * @param[out] r       the record
 * @param[in]  bits    bit length bound; 0 gives zero
 * @param[in]  top     as in ZLC_Rand_BIGINT_Ex
 * @param[in]  bottom  as in ZLC_Rand_BIGINT_Ex
 * @param[in]  pool    lent to the PRNG unit; null gives the unit a private one
 * @param[in]  digest  the unit's G (an identifier ZLC_Init_PRNG accepts), 0 for SHA-1
 * @return 0, or 0x04180025 (proven mode, a failing self-test, or the unit could not be
 *         initialised), 0x04180049 (null r), 0x0418002B (negative bits), 0x0418003B (unit or
 *         buffer), 0x0418001D (the PRNG failed), 0x04180005 (conversion into r).
 */
ZLC_API uint32_t ZLC_Rand_BIGINT(BIGINT *r, int32_t bits, int32_t top, int32_t bottom, BIGINT_POOL *pool,
                                 uint32_t digest) ZLC_NOEXCEPT;
/**
 * @brief Miller-Rabin with count - 1 rounds (a count below 2 runs one) and random bases from the
 *        DRBG.
 *
 * 2 is prime.
 *
 * @param[in] n      the candidate
 * @param[in] count  one more than the number of rounds
 * @param[in] pool   scratch pool, or null for a private one
 * @return 1 when n passes, -1 when n is composite, 0 when n is null, 0, 1 or even other than 2,
 *         or when a step failed (no verdict).
 */
ZLC_API int32_t ZLC_Is_BIGINT_Prime_Ex(const BIGINT *n, int32_t count, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Is_BIGINT_Prime_Ex with bases from ZLC_Rand_BIGINT using `digest`.
 *
 * @param[in] n       the candidate
 * @param[in] count   one more than the number of rounds
 * @param[in] pool    scratch pool, or null for a private one
 * @param[in] digest  G of the PRNG units, 0 for SHA-1
 * @return As ZLC_Is_BIGINT_Prime_Ex (so 0 in proven mode, where the bases cannot be drawn).
 */
ZLC_API int32_t ZLC_Is_BIGINT_Prime(const BIGINT *n, int32_t count, BIGINT_POOL *pool,
                                    uint32_t digest) ZLC_NOEXCEPT;
/**
 * @brief p = a random prime of exactly `bits` bits whose predecessor has no odd factor up to
 *        17863, from the DRBG.
 *
 * 3 to 38 Miller-Rabin rounds by size (4 at 1024 bits). p is written only on success.
 *
 * @param[out] p     the prime
 * @param[in]  bits  bit length, 16 or more
 * @param[in]  pool  scratch pool, or null for a private one
 * @return 0, or 0x041E0049 (null p), 0x041E004D (bits below 16, a random draw failed, or a
 *         primality test could not decide), 0x041E0057 (the private pool could not be made),
 *         0x041E001B (scratch), 0x041E0001 (adding the sieve offset), or the status of the final
 *         copy into p (0x041F0016 for a static p).
 */
ZLC_API uint32_t ZLC_Generate_BIGINT_Prime_Ex(BIGINT *p, int32_t bits, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Generate_BIGINT_Prime_Ex with candidates and bases from ZLC_Rand_BIGINT using
 *        `digest`.
 *
 * @param[out] p       the prime
 * @param[in]  bits    bit length, 16 or more
 * @param[in]  pool    scratch pool, or null for a private one
 * @param[in]  digest  G of the PRNG units, 0 for SHA-1
 * @return As ZLC_Generate_BIGINT_Prime_Ex (0x041E004D in proven mode, where no draw is allowed).
 */
ZLC_API uint32_t ZLC_Generate_BIGINT_Prime(BIGINT *p, int32_t bits, BIGINT_POOL *pool,
                                           uint32_t digest) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * PRNG: the FIPS 186-2 style generator, XKEY' = (1 + XKEY + G(XKEY + XSEED mod 2^b)) mod 2^b
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_prng PRNG
 * @brief The FIPS 186-2 style generator, XKEY' = (1 + XKEY + G(XKEY + XSEED mod 2^b)) mod 2^b.
 *
 * Not available in proven mode (ZLC_Init_PRNG refuses).
 * @{
 */

/**
 * @brief A generator unit: XKEY, XSEED and the function G.
 *
 * G identifiers: ZLC_SHA1, ZLC_SHA224, ZLC_SHA256, ZLC_SHA384, ZLC_SHA512, ZLC_HAS160 (the
 * digest's compression, chained from step to step; the step output is the digest length), or
 * ZLC_ARIA_128, ZLC_ARIA_192, ZLC_ARIA_256, ZLC_SEED_128 (a 20-byte G over the block cipher; the
 * step output is its first 16 bytes). Made by ZLC_New_PRNG_Unit; only the library writes the
 * fields.
 */
typedef struct PRNG_UNIT {
    BIGINT *xkey;          /**< The secret state XKEY. */
    BIGINT *xseed;         /**< The seed XSEED. */
    uint32_t g_algorithm;  /**< Identifier of G; 0 when unset. */
    void *g_state;         /**< G's digest state or key-schedule area, owned by the unit. */
    int32_t g_state_size;  /**< Bytes of `*g_state`. */
    uint32_t initialised;  /**< 0xFFFFFFFF once ZLC_Init_PRNG has begun on the unit. */
    BIGINT_POOL *pool;     /**< The pool the unit computes in. */
    uint32_t owns_pool;    /**< 1 when the unit made the pool and releases it. */
    int32_t xkey_bits;     /**< b: 8 x the XKEY length in bytes, fixed at initialisation. */
} PRNG_UNIT;

/**
 * @brief A new zero-filled unit.
 *
 * @return The unit, or null when memory runs out. Release it with ZLC_Free_PRNG_Unit.
 */
ZLC_API PRNG_UNIT *ZLC_New_PRNG_Unit(void) ZLC_NOEXCEPT;
/**
 * @brief Cleans (as ZLC_Clean_PRNG_Unit) and releases the unit; null does nothing.
 *
 * @param[in] unit  a unit from ZLC_New_PRNG_Unit, or null
 */
ZLC_API void ZLC_Free_PRNG_Unit(PRNG_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases XKEY, XSEED and G's state of an initialised unit.
 *
 * On an initialised unit it also releases a pool the unit made, and zeroes the unit. Any other
 * unit (and null) is left alone.
 *
 * @param[in,out] unit  the unit, or null
 */
ZLC_API void ZLC_Clean_PRNG_Unit(PRNG_UNIT *unit) ZLC_NOEXCEPT;
/**
 * @brief Binds G and loads XKEY and XSEED, each as a big-endian number.
 *
 * May be repeated, replacing all three. A null XKEY is made from the operating system's random
 * source (20 to 64 bytes); a null XSEED (20 bytes) is stirred out of the process-wide seed pool
 * with XKEY. A failed initialisation leaves the unit without XKEY and XSEED.
 *
 * @param[in,out] unit          the unit
 * @param[in]     g_algorithm   the G identifier (see PRNG_UNIT)
 * @param[in]     xkey          XKEY bytes, or null to generate them
 * @param[in]     xkey_length   20 to 64 bytes (b = 8 x this length); read only with an xkey
 * @param[in]     xseed         XSEED bytes, or null to derive them
 * @param[in]     xseed_length  0 or more bytes; read only with an xseed
 * @param[in]     pool          the pool the unit computes in (the caller keeps it), or null for
 *                              one of the unit's own
 * @return 0, or a failing self-test's status, 0x14010049 (null unit), 0x140100F0 (proven mode),
 *         0x14010023 (XKEY length outside 20..64 - the unit then holds no XKEY -, negative XSEED
 *         length, G not accepted, or a caller XKEY equal to the caller XSEED), 0x1401000F (SHA-1
 *         failed while deriving XSEED), 0x1401001D (the operating system's random source
 *         failed), 0x1401003B (the pool, XKEY or XSEED could not be allocated).
 */
ZLC_API uint32_t ZLC_Init_PRNG(PRNG_UNIT *unit, uint32_t g_algorithm, const uint8_t *xkey, int32_t xkey_length,
                               const uint8_t *xseed, int32_t xseed_length, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/**
 * @brief Writes `length` random bytes from the unit.
 *
 * One reference step, then step outputs, each compared with the one before it (continuous test).
 *
 * @param[in,out] unit    an initialised unit
 * @param[out]    out     room for `length` bytes
 * @param[in]     length  number of bytes, 0 or more
 * @return 0, or 0x14040049 (null unit or output), 0x1404002B (negative length), 0x1404004E (a
 *         step failed, e.g. no XKEY or a failing self-test), 0x14040014 (two consecutive steps
 *         gave the same output).
 */
ZLC_API uint32_t ZLC_Get_Rand(PRNG_UNIT *unit, uint8_t *out, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief r = a random number below 2^bits from the unit.
 *
 * (bits + 7) / 8 bytes of ZLC_Get_Rand, the first shifted right to keep `bits` bits.
 *
 * @param[in,out] unit  an initialised unit
 * @param[out]    r     the record
 * @param[in]     bits  bit length bound, 0 or more
 * @return 0, or a failing self-test's status, 0x14050049 (null unit or r), 0x1405002B (negative
 *         bits), 0x1405003B (buffer, or conversion into r), or ZLC_Get_Rand's (r then unchanged).
 */
ZLC_API uint32_t ZLC_Get_Rand_BIGINT(PRNG_UNIT *unit, BIGINT *r, int32_t bits) ZLC_NOEXCEPT;
/**
 * @brief One step without comparison: k = G's value mod q, and XKEY' = (1 + XKEY + k) mod 2^b.
 *
 * As FIPS 186-2 Appendix 3.1 for DSA x and 3.2 for k.
 *
 * @param[in,out] unit  an initialised unit
 * @param[out]    k     the random value
 * @param[in]     q     the modulus, or null to keep G's whole value
 * @return 0, or 0x14030049 (null unit or k), a failing self-test's status, 0x14030057 (no pool),
 *         0x1404004B (no XKEY), 0x1403003B (G or scratch failed), or the status of a failed
 *         big-integer operation (a zero q: 0x04100028).
 */
ZLC_API uint32_t ZLC_Get_Rand_DSA_BIGINT(PRNG_UNIT *unit, BIGINT *k, const BIGINT *q) ZLC_NOEXCEPT;
/**
 * @brief `length` bytes from a temporary SHA-1 unit with generated XKEY and XSEED.
 *
 * @param[out] out     room for `length` bytes
 * @param[in]  length  number of bytes, 0 or more
 * @return 0, or 0x1406003B (the unit could not be allocated), 0x14060025 (proven mode, a failing
 *         self-test, or seeding failed), 0x1406001D (the draw failed, also for a null output or a
 *         negative length).
 */
ZLC_API uint32_t ZLC_Rand_Bytes_PRNG(uint8_t *out, int32_t length) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * RSA (RFC 8017): keys, key generation, signatures (RSASSA) and encryption (RSAES)
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_rsa RSA
 * @brief RSA (RFC 8017): keys, key generation, signatures (RSASSA) and encryption (RSAES).
 *
 * One record serves both signatures and encryption; ZLC_Init_RSASSA or ZLC_Init_RSAES chooses the
 * digest, the encoding and the side (private or public key) the following calls use. k is the
 * modulus length in bytes. Private-key operations are blinded (the blinding pair is squared after
 * every use), use the CRT shortcut when the CRT set is present, and check the result with the
 * public exponent before releasing it.
 *
 * Encoding word (ZLC_RSA::encoding): bits 0-7 the encoding, bits 16-23 the PSS salt length (0
 * means 20), bits 8-15 and 24-31 the MGF1 digest identifier (when they name no digest, the
 * message digest is used).
 * @{
 */

#define ZLC_RSA_PART_N 1   /**< `parts` bit: the modulus n. */
#define ZLC_RSA_PART_E 2   /**< `parts` bit: the public exponent e. */
#define ZLC_RSA_PART_D 4   /**< `parts` bit: the private exponent d. */
#define ZLC_RSA_PART_CRT 8 /**< `parts` bit: p, q, dp, dq and qinv. */

/** Signature encoding: the digest value itself is exponentiated. */
#define ZLC_RSASSA_RAW 0x00u
/** Signature encoding: EMSA-PKCS1-v1_5. */
#define ZLC_RSASSA_PKCS1_V15 0x01u
/** Signature encoding: EMSA-PSS. */
#define ZLC_RSASSA_PSS 0x02u
/** Encryption encoding: the message is exponentiated unchanged. */
#define ZLC_RSAES_RAW 0x00u
/** Encryption encoding: OAEP in k - 1 bytes. */
#define ZLC_RSAES_OAEP_V20 0x08u
/** Encryption encoding: OAEP in k bytes with a leading zero byte. */
#define ZLC_RSAES_OAEP_V21 0x10u
/** Encryption encoding: PKCS #1 v1.5 padding. */
#define ZLC_RSAES_PKCS1_V15 0x20u
/**
 * @brief The encoding-word bits of a PSS salt length (0 means 20).
 * @param n  the salt length in bytes, 0 to 255
 */
#define ZLC_RSA_SALT_LENGTH(n) (((uint32_t)(n) & 0xFFu) << 16)
/** The encoding-word bits of the MGF1 digest identifier (bits 8-15 and 24-31). */
#define ZLC_RSA_MGF1_MASK 0xFF00FF00u

/**
 * @brief The RSA record.
 *
 * Every integer may be null; `parts` names exactly the parts held. The record owns its integers,
 * digest unit and pool; only the library writes the fields.
 */
typedef struct ZLC_RSA {
    uint32_t encoding;     /**< Encoding word (see the RSA section). */
    int32_t parts;         /**< ZLC_RSA_PART_ bits. */
    DIGEST_UNIT *digest;   /**< Message digest (RSASSA); label and default MGF1 digest (RSAES). */
    BIGINT *e;             /**< Public exponent. */
    BIGINT *d;             /**< Private exponent. */
    BIGINT *n;             /**< Modulus. */
    BIGINT *p;             /**< First prime (the larger after generation). */
    BIGINT *dp;            /**< d mod (p - 1). */
    BIGINT *q;             /**< Second prime. */
    BIGINT *dq;            /**< d mod (q - 1). */
    BIGINT *qinv;          /**< q^-1 mod p. */
    uint32_t private_side; /**< 1: operations use the private key; 0: the public key. */
    BIGINT_POOL *pool;     /**< Scratch pool. */
    uint32_t use_crt;      /**< CRT allowed; 1 from ZLC_New_RSA. */
    BIGINT *blind;         /**< Blinding factor r^e mod n. */
    BIGINT *blind_inv;     /**< r^-1 mod n. */
} ZLC_RSA;

#if !defined(ZLC_NO_RSA_TYPEDEF) && !defined(OPENSSL_TYPES_H) && !defined(HEADER_OSSL_TYP_H)
/**
 * @brief The record's own name, RSA.
 *
 * OpenSSL's headers name a type RSA too: a translation unit that includes them before this header
 * sees ZLC_RSA only, and one that includes them after it defines ZLC_NO_RSA_TYPEDEF first.
 */
typedef ZLC_RSA RSA;
#endif

/**
 * @brief A new zeroed record with a pool of its own and CRT allowed.
 *
 * @return The record (its pool null when the pool cannot be made), or null when memory runs out.
 *         Release it with ZLC_Free_RSA.
 */
ZLC_API ZLC_RSA *ZLC_New_RSA(void) ZLC_NOEXCEPT;
/**
 * @brief Cleans the record, clears and releases its pool and releases it. Null is ignored.
 *
 * @param[in] rsa  a record from ZLC_New_RSA or ZLC_Dup_RSA, or null
 */
ZLC_API void ZLC_Free_RSA(ZLC_RSA *rsa) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases every key integer, the blinding pair and the digest unit.
 *
 * `parts` becomes 0. The encoding word, the side, the CRT flag and the pool stay. Null is ignored.
 *
 * @param[in,out] rsa  the record, or null
 */
ZLC_API void ZLC_Clean_RSA(ZLC_RSA *rsa) ZLC_NOEXCEPT;
/**
 * @brief A new record holding copies of the key, the encoding word, the side and the CRT flag.
 *
 * The copy has a pool of its own; the digest unit is not copied (initialise the copy with
 * ZLC_Init_RSASSA or ZLC_Init_RSAES before use) and blinding is set up anew on first use.
 *
 * @param[in] rsa  the record to copy
 * @return The copy (release it with ZLC_Free_RSA), or null for a null argument or when memory runs
 *         out.
 */
ZLC_API ZLC_RSA *ZLC_Dup_RSA(const ZLC_RSA *rsa) ZLC_NOEXCEPT;
/**
 * @brief Replaces the key by copies of the given parts.
 *
 * n always, e and d when given, the CRT set only when all five of p, q, dp, dq and qinv are
 * given. A private part (d or the CRT set) needs e, for blinding, which is set up at once. The
 * arguments may be the record's own integers; the caller keeps its integers.
 *
 * @param[in,out] rsa   the record
 * @param[in]     n     modulus
 * @param[in]     e     public exponent, or null
 * @param[in]     d     private exponent, or null
 * @param[in]     p     first prime, or null
 * @param[in]     q     second prime, or null
 * @param[in]     dp    d mod (p - 1), or null
 * @param[in]     dq    d mod (q - 1), or null
 * @param[in]     qinv  q^-1 mod p, or null
 * @return 0, or a failing self-test's status, 0x18010049 (null record), 0x1801002B (no n),
 *         0x18010059 (a private part without e, or a copy failed: the record keeps its key; or
 *         the blinding set-up failed: the record is then left without a key).
 */
ZLC_API uint32_t ZLC_Set_RSA_Params(ZLC_RSA *rsa, const BIGINT *n, const BIGINT *e, const BIGINT *d,
                                    const BIGINT *p, const BIGINT *q, const BIGINT *dp,
                                    const BIGINT *dq, const BIGINT *qinv) ZLC_NOEXCEPT;
/**
 * @brief Replaces the key by copies of n and e and selects the public side.
 *
 * @param[in,out] rsa  the record
 * @param[in]     n    modulus
 * @param[in]     e    public exponent
 * @return 0, or a failing self-test's status, 0x1802002B (null record, n or e), 0x18020059 (a
 *         copy failed; the record keeps its key).
 */
ZLC_API uint32_t ZLC_Set_RSA_Public_Params(ZLC_RSA *rsa, const BIGINT *n, const BIGINT *e) ZLC_NOEXCEPT;
/**
 * @brief k, the modulus length in bytes.
 *
 * @param[in] rsa  the record
 * @return k; 0 for a null record, without a modulus, or when the self-test gate fails.
 */
ZLC_API int32_t ZLC_Get_RSA_Length(const ZLC_RSA *rsa) ZLC_NOEXCEPT;

/**
 * @brief Prepares the record for signatures.
 *
 * The digest unit is (re)initialised with `digest_id` (its top four bits cleared), the encoding
 * word stored (with the MGF1 default) and the side selected.
 *
 * @param[in,out] rsa           the record
 * @param[in]     digest_id     message digest identifier (ZLC_SHA256, ...)
 * @param[in]     encoding      ZLC_RSASSA_RAW, ZLC_RSASSA_PKCS1_V15 or ZLC_RSASSA_PSS, with the
 *                              salt length and MGF1 digest bits of the encoding word
 * @param[in]     private_side  1 signs, 0 verifies
 * @return 0, or a failing self-test's status, 0x18030049 (null record), 0x180300F0 / 0x18030048
 *         (proven mode: PKCS #1 v1.5 or a digest other than SHA-224 or SHA-256 / a modulus below
 *         256 bytes), 0x18030023 (the unit or the pool could not be made, or the existing unit
 *         could not be re-initialised), 0x18030059 (a new unit could not be initialised).
 */
ZLC_API uint32_t ZLC_Init_RSASSA(ZLC_RSA *rsa, uint32_t digest_id, uint32_t encoding,
                                 uint32_t private_side) ZLC_NOEXCEPT;
/**
 * @brief Feeds `length` bytes of the message to the digest.
 *
 * @param[in,out] rsa     a record prepared by ZLC_Init_RSASSA
 * @param[in]     data    `length` bytes
 * @param[in]     length  number of bytes
 * @return 0, or 0x18040049 (null record or data, no unit), 0x18040059 (the digest failed,
 *         negative length included).
 */
ZLC_API uint32_t ZLC_Update_RSASSA(ZLC_RSA *rsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief Finishes the message: signs it, or verifies a signature of it.
 *
 * Signing writes k bytes to `signature` and sets `*length` to k. Verifying reads `*length`
 * bytes (at most k; shorter signatures are read as numbers). The digest is ready for the next
 * message afterwards.
 *
 * @param[in,out] rsa        a record prepared by ZLC_Init_RSASSA
 * @param[in,out] signature  signing: room for k bytes; verifying: the signature
 * @param[in,out] length     signing: receives k; verifying: the signature's length
 * @return 0 (signed, or the signature is valid), or 0x18050049 (null argument or no digest unit),
 *         0x18050048 (proven mode, modulus below 256 bytes), 0x18050045 / 0x18050046 (the private
 *         / public key is missing); signing: 0x1806003A (no pool, scratch or buffer), 0x18060059
 *         (the digest or the private-key operation failed), 0x180600F0 (proven mode: raw or
 *         PKCS #1 v1.5), 0x1806002A (encoding byte), 0x18060012 (encoding failed), 0x18060005
 *         (conversion), 0x1806003D (value not below n), 0x1806002E (inconsistent key), 0x18060054
 *         (zero signature); verification: 0x1807003A, 0x18070059 (the digest or the public-key
 *         operation failed), 0x180700F0, 0x1807002B (empty or longer than k, PKCS #1 v1.5
 *         mismatch), 0x18070005 (conversion), 0x18070055 (signature not below n), 0x1807000E (raw
 *         mismatch or encoding byte), 0x18100059 (PSS inconsistent) or another status of
 *         ZLC_Check_RSASSA_PKCS1_PSS_Encode.
 */
ZLC_API uint32_t ZLC_Final_RSASSA(ZLC_RSA *rsa, uint8_t *signature, int32_t *length) ZLC_NOEXCEPT;

/**
 * @brief Prepares the record for encryption.
 *
 * @param[in,out] rsa           the record
 * @param[in]     encoding      ZLC_RSAES_RAW, ZLC_RSAES_OAEP_V20, ZLC_RSAES_OAEP_V21 or
 *                              ZLC_RSAES_PKCS1_V15, with the MGF1 digest bits of the encoding word
 * @param[in]     private_side  1 private key, 0 public key
 * @param[in]     digest_id     the OAEP digest (label and default MGF1 digest); 0 selects SHA-1
 * @return 0, or 0x18080049 (null record), a failing self-test's status, 0x18080048 / 0x180800F0
 *         (proven mode: modulus below 256 bytes / raw or PKCS #1 v1.5), 0x18080059 (the digest
 *         unit or the pool could not be made, or the unit could not be initialised).
 */
ZLC_API uint32_t ZLC_Init_RSAES(ZLC_RSA *rsa, uint32_t encoding, uint32_t private_side,
                                uint32_t digest_id) ZLC_NOEXCEPT;
/**
 * @brief Encrypts `in_length` bytes into k bytes of `out`.
 *
 * The private side (PKCS #1 v1.5 block type 1, or raw) is blinded like a signature.
 *
 * @param[in,out] rsa         a record prepared by ZLC_Init_RSAES
 * @param[out]    out         room for k bytes
 * @param[out]    out_length  receives k; may be null
 * @param[in]     in          the message
 * @param[in]     in_length   the message length (at most k, less as the encoding requires)
 * @return 0, or 0x18090049 (null record or output), 0x1809002B (null input, negative length,
 *         input longer than k), 0x18090045 / 0x18090046 (private / public key part missing),
 *         0x18090048 / 0x180900F0 (proven mode: modulus below 256 bytes / raw or PKCS #1 v1.5),
 *         0x1809003A (no pool, or the work buffer), 0x18090033 (encoding byte), 0x18090012
 *         (encoding failed, e.g. a message too long for it), 0x1809003D (value not below n),
 *         0x18090059 (scratch, conversion or the exponentiation failed).
 */
ZLC_API uint32_t ZLC_Encrypt_RSAES(ZLC_RSA *rsa, uint8_t *out, int32_t *out_length, const uint8_t *in,
                                   int32_t in_length) ZLC_NOEXCEPT;
/**
 * @brief Decrypts `in_length` bytes (at most k; shorter inputs are read as numbers) into `out`.
 *
 * @param[in,out] rsa         a record prepared by ZLC_Init_RSAES
 * @param[out]    out         room for `in_length` bytes
 * @param[out]    out_length  receives the message length; may be null
 * @param[in]     in          the ciphertext
 * @param[in]     in_length   its length, at most k
 * @return 0, or 0x180A0049 (null record, input or output), 0x180A002B (negative length),
 *         0x180A0045 / 0x180A0046 (private / public key part missing), 0x180A0048 / 0x180A00F0
 *         (proven mode), 0x180A003A (no pool, scratch or buffer), 0x180A003D (value not below n),
 *         0x180A002E (inconsistent key), 0x180A0059 (conversion or the exponentiation failed),
 *         0x180A000E (input longer than k, decoding failed, empty result, result longer than
 *         `in_length`, encoding byte).
 */
ZLC_API uint32_t ZLC_Decrypt_RSAES(ZLC_RSA *rsa, uint8_t *out, int32_t *out_length, const uint8_t *in,
                                   int32_t in_length) ZLC_NOEXCEPT;

/**
 * @brief Generates a key of exactly `bits` bits with public exponent `e` from the DRBG.
 *
 * p and q have (bits + 1) / 2 and bits / 2 bits, p > q, gcd(p - 1, e) = gcd(q - 1, e) = 1. A
 * pairwise test (OAEP v2.0 with SHA-256, so at least 545 bits) encrypts and decrypts three bytes;
 * the record is left initialised for it, on the private side. A failure before the new key is
 * complete leaves the record's key as it was; a failure in storing or testing the new key leaves
 * the record without a key.
 *
 * @param[in,out] rsa   the record (its pool is used)
 * @param[in]     e     public exponent, an odd prime
 * @param[in]     bits  modulus length in bits, 8 or more (2048 or more in proven mode)
 * @param[in]     type  1: d modulo (p - 1)(q - 1); 2: d modulo lcm(p - 1, q - 1)
 * @return 0, or a failing self-test's status, 0x180B002B (bad argument: null record or e, bits
 *         below 8, type), 0x180B0048 (proven mode, bits below 2048), 0x180B003A (no pool),
 *         0x180B001B (scratch), 0x180B0036 (e not an odd prime), 0x180B0038 (the pairwise test
 *         could not run, q equalled p in three draws running, gcd(L, e) is not 1, or the new key
 *         could not be stored), 0x180B0067 (the pairwise test gave a different message), or a
 *         prime generation (0x041Exxxx) or arithmetic (0x04xxxxxx) status.
 */
ZLC_API uint32_t ZLC_Generate_RSA_Params_Ex(ZLC_RSA *rsa, const BIGINT *e, int32_t bits,
                                            int32_t type) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Generate_RSA_Params_Ex with primes and tests from the PRNG (SHA-1).
 *
 * SHA-1 serves the pairwise test (so at least 353 bits). Refused in proven mode by the prime
 * functions: the test of e then fails with 0x180C0036.
 *
 * @param[in,out] rsa   the record (its pool is used)
 * @param[in]     e     public exponent, an odd prime
 * @param[in]     bits  modulus length in bits, 8 or more
 * @param[in]     type  1: d modulo (p - 1)(q - 1); 2: d modulo lcm(p - 1, q - 1)
 * @return As ZLC_Generate_RSA_Params_Ex with statuses 0x180Cxxxx.
 */
ZLC_API uint32_t ZLC_Generate_RSA_Params(ZLC_RSA *rsa, const BIGINT *e, int32_t bits,
                                         int32_t type) ZLC_NOEXCEPT;

/**
 * @defgroup zlc_rsa_encoding RSA encodings
 * @ingroup zlc_rsa
 * @brief The RSA encodings, usable on their own.
 *
 * The checkers and decoders take em as the integer's big-endian bytes without leading zero
 * bytes: the PSS check and the OAEP decoder restore the zeros themselves; the PKCS #1 v1.5 ones
 * take exactly the k - 1 bytes after the leading zero byte.
 * @{
 */

/**
 * @brief EMSA-PKCS1-v1_5 (RFC 8017 9.2): writes emLen bytes 00 01 FF..FF 00 DigestInfo-prefix
 *        hash.
 *
 * Prefixes exist for MD5, SHA-1, SHA-256, SHA-384 and SHA-512.
 *
 * @param[out] out          room for `em_length` bytes
 * @param[in]  em_length    emLen, the encoded length
 * @param[in]  hash         the digest value
 * @param[in]  hash_length  its length, the digest's length
 * @param[in]  digest_id    the digest identifier
 * @return 0, -1 (no prefix for the digest, null out or hash, a hash length other than the
 *         digest's) or 43 (emLen below the prefix + hLen + 11, negative included).
 */
ZLC_API int32_t ZLC_Add_EMSA_PKCS1_v1_5_Encode(uint8_t *out, int32_t em_length, const uint8_t *hash,
                                               int32_t hash_length, uint32_t digest_id) ZLC_NOEXCEPT;
/**
 * @brief Compares em with the k-byte EMSA-PKCS1-v1_5 encoding of the hash without its leading
 *        zero byte (so em must have exactly k - 1 bytes).
 *
 * @param[in] em           the encoded message without its leading zero byte
 * @param[in] em_length    its length, k - 1
 * @param[in] k            the modulus length in bytes
 * @param[in] hash         the digest value
 * @param[in] hash_length  its length
 * @param[in] digest_id    the digest identifier
 * @return 0 (match), 1 (em null or empty), 0x180D003A (no memory), 0x180D0012 (the expected
 *         encoding cannot be built, k of 0 or less included) or 0x180D000C (mismatch).
 */
ZLC_API uint32_t ZLC_Check_EMSA_PKCS1_v1_5_Encode(const uint8_t *em, int32_t em_length, int32_t k,
                                                  const uint8_t *hash, int32_t hash_length,
                                                  uint32_t digest_id) ZLC_NOEXCEPT;
/**
 * @brief EMSA-PSS-ENCODE (RFC 8017 9.1.1) for the record's modulus into k bytes of out.
 *
 * A leading zero byte when the modulus bit length is 1 mod 8. The salt (salt_length bytes) comes
 * from the DRBG, H is taken over the eight zero bytes, mHash and the salt with `digest`
 * (re-initialised), MGF1 uses the record's MGF1 digest, the trailer is 0xBC.
 *
 * @param[in]     rsa          the record (modulus and encoding word)
 * @param[out]    out          room for k bytes
 * @param[in]     k            at least the modulus length in bytes
 * @param[in]     m_hash       mHash
 * @param[in]     hash_length  its length
 * @param[in]     salt_length  salt length in bytes, 0 or more
 * @param[in,out] digest       an initialised unit of the hash H
 * @return 0, or 0x180F002B (null argument, no modulus, k below the modulus length, negative salt
 *         length, or the encoded message too short for the hash and salt), 0x180F003B (no
 *         memory), 0x180F0059 (MGF1 failed), or the status of the DRBG or the digest.
 */
ZLC_API uint32_t ZLC_Add_RSASSA_PKCS1_PSS_Encode(const ZLC_RSA *rsa, uint8_t *out, int32_t k,
                                                 const uint8_t *m_hash, int32_t hash_length,
                                                 int32_t salt_length, DIGEST_UNIT *digest) ZLC_NOEXCEPT;
/**
 * @brief EMSA-PSS-VERIFY (RFC 8017 9.1.2) of em (at most k bytes) against mHash.
 *
 * A negative salt length accepts any salt length, otherwise the salt must have exactly that many
 * bytes.
 *
 * @param[in]     rsa          the record (modulus and encoding word)
 * @param[in]     em           the encoded message
 * @param[in]     em_length    its length, at most k
 * @param[in]     m_hash       mHash
 * @param[in]     hash_length  its length
 * @param[in]     salt_length  the expected salt length, or negative for any
 * @param[in,out] digest       an initialised unit of the hash H (re-initialised)
 * @return 0 (consistent), or 0x18100049 (null argument or no modulus), 0x1810003B (no memory),
 *         0x18100059 (inconsistent, or a length out of range), or a digest or MGF1 status.
 */
ZLC_API uint32_t ZLC_Check_RSASSA_PKCS1_PSS_Encode(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                                   const uint8_t *m_hash, int32_t hash_length,
                                                   int32_t salt_length, DIGEST_UNIT *digest) ZLC_NOEXCEPT;
/**
 * @brief EME-OAEP encoding (RFC 8017 7.1.1) with the record's digest unit (lHash, hLen) and MGF1
 *        digest.
 *
 * Layout 0 writes k - 1 bytes (maskedSeed, maskedDB), layout 1 k bytes (00, maskedSeed,
 * maskedDB). The whole capacity is zeroed first. The record's digest unit is re-initialised.
 *
 * @param[in]  rsa             a record with a modulus and a digest unit
 * @param[in]  message         the message (null only with length 0)
 * @param[in]  message_length  at most k - 2 hLen - 2
 * @param[out] out             room for `out_capacity` bytes
 * @param[in]  out_capacity    at least the encoded length
 * @param[in]  label           the label (null only with length 0)
 * @param[in]  label_length    its length
 * @param[in]  layout          0 or 1
 * @return The encoded length, or -1 (null argument, bad layout or length, message longer than
 *         k - 2 hLen - 2, capacity below the encoded length, DRBG or digest failure).
 */
ZLC_API int32_t ZLC_Encode_RSAES_OAEP_PADDING(const ZLC_RSA *rsa, const uint8_t *message, int32_t message_length,
                                              uint8_t *out, int32_t out_capacity, const uint8_t *label,
                                              int32_t label_length, int32_t layout) ZLC_NOEXCEPT;
/**
 * @brief EME-OAEP decoding of em in the given layout.
 *
 * The checks run over the whole block without branching on its contents. The record's digest
 * unit is re-initialised.
 *
 * @param[in]  rsa           a record with a modulus and a digest unit
 * @param[in]  em            the encoded message (shorter forms are left-padded with zeros)
 * @param[in]  em_length     at most k - 1 (layout 0) or k (layout 1)
 * @param[out] out           room for `out_capacity` bytes
 * @param[in]  out_capacity  the room in out
 * @param[in]  label         the label (null only with length 0)
 * @param[in]  label_length  its length
 * @param[in]  layout        0 or 1
 * @return The message length (the message copied to out), or 0 for every failure, a message
 *         longer than `out_capacity` included (an empty message also gives 0).
 */
ZLC_API int32_t ZLC_Decode_RSAES_OAEP_PADDING(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                              uint8_t *out, int32_t out_capacity, const uint8_t *label,
                                              int32_t label_length, int32_t layout) ZLC_NOEXCEPT;
/**
 * @brief PKCS #1 v1.5 encryption padding (RFC 8017 7.2.1) into k bytes.
 *
 * 00, the block type (1 with FF bytes on the private side, 2 with random non-zero bytes on the
 * public side), at least 8 padding bytes, 00, the message.
 *
 * @param[in]  rsa             the record (only its side is read)
 * @param[in]  message         the message (null only with length 0)
 * @param[in]  message_length  at most k - 11
 * @param[out] out             room for k bytes
 * @param[in]  k               the encoded length
 * @return k, or 0 (null argument, negative length, message longer than k - 11, DRBG failure).
 */
ZLC_API int32_t ZLC_Encode_RSAES_PKCS1_PADDING(const ZLC_RSA *rsa, const uint8_t *message, int32_t message_length,
                                               uint8_t *out, int32_t k) ZLC_NOEXCEPT;
/**
 * @brief PKCS #1 v1.5 decoding of em, the k - 1 bytes after the leading zero byte.
 *
 * Block type 1 or 2 (either side), at least 8 padding bytes up to the first zero byte (their
 * contents are not checked), then the message; the separator is found without branching on the
 * contents.
 *
 * @param[in]  rsa           a record with a modulus (k its length in bytes)
 * @param[in]  em            the encoded message without its leading zero byte
 * @param[in]  em_length     exactly k - 1
 * @param[out] out           room for `out_capacity` bytes
 * @param[in]  out_capacity  the room in out
 * @return The message length (the message copied to out), or 0 for every failure, a message
 *         longer than `out_capacity` included (an empty message also gives 0).
 */
ZLC_API int32_t ZLC_Decode_RSAES_PKCS1_PADDING(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                               uint8_t *out, int32_t out_capacity) ZLC_NOEXCEPT;

/** @} */

/** @} */

/* ---------------------------------------------------------------------------------------------
 * DSA: FIPS 186-2 signatures, parameters from a 20-byte SEED and a counter
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_dsa DSA
 * @brief DSA: FIPS 186-2 signatures, parameters from a 20-byte SEED and a counter.
 *
 * Not available in proven mode. Randomness comes from the record's PRNG unit: x and k as FIPS
 * 186-2 Appendix 3.1 and 3.2 with XKEY = x (at least 20 bytes). With a caller seed (Init), k is
 * derived from x and SHA-1(seed || H(M)), so it is reproducible for a message and differs between
 * messages; without one, the PRNG's XSEED comes from the process-wide seed pool. Statuses: module
 * 0x0C; operations 0x01 Set_Params, 0x02 Init, 0x03 Update, 0x04 Final, 0x05 signing,
 * 0x06 verification, 0x07 Generate_Params, 0x08 Generate_Key_Pair.
 * @{
 */

/**
 * @brief A DSA record.
 *
 * Fields are read-only to callers; the record owns everything it points to.
 */
typedef struct ZLC_DSA {
    DIGEST_UNIT *digest;   /**< Message digest. */
    PRNG_UNIT *prng;       /**< Source of x and k. */
    uint8_t *seed;         /**< Caller seed material for signing, or null. */
    int32_t seed_length;   /**< Its length in bytes. */
    BIGINT *p;             /**< Prime modulus. */
    BIGINT *q;             /**< Prime divisor of p - 1. */
    BIGINT *g;             /**< Generator of order q. */
    BIGINT *y;             /**< Public key g^x mod p. */
    BIGINT *x;             /**< Private key, 0 < x < q. */
    BIGINT_POOL *pool;     /**< Scratch pool. */
    uint32_t sign;         /**< 1 sign, 0 verify. */
} ZLC_DSA;

#if !defined(ZLC_NO_DSA_TYPEDEF) && !defined(OPENSSL_TYPES_H) && !defined(HEADER_OSSL_TYP_H)
/**
 * @brief The record's own name, DSA.
 *
 * OpenSSL's headers name a type DSA too: a translation unit that includes them before this header
 * sees ZLC_DSA only, and one that includes them after it defines ZLC_NO_DSA_TYPEDEF first.
 */
typedef ZLC_DSA DSA;
#endif

/** Final: signing failed. */
#define ZLC_DSA_SIGN_FAILED 0x0C040053u
/** Final: the signature does not verify (or could not be checked). */
#define ZLC_DSA_VERIFY_FAILED 0x0C04005Du

/**
 * @brief A new zeroed record with a new pool and an empty PRNG unit.
 *
 * @return The record, or null when memory runs out. Release it with ZLC_Free_DSA.
 */
ZLC_API ZLC_DSA *ZLC_New_DSA(void) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the record; null is ignored.
 *
 * @param[in] dsa  a record from ZLC_New_DSA, or null
 */
ZLC_API void ZLC_Free_DSA(ZLC_DSA *dsa) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases everything the record holds and zeroes it; null is ignored.
 *
 * The pool, the PRNG unit, the digest unit and the seed go too.
 *
 * @param[in,out] dsa  the record, or null
 */
ZLC_API void ZLC_Clean_DSA(ZLC_DSA *dsa) ZLC_NOEXCEPT;

/**
 * @brief Empties the record, then stores copies of p, q, g and y, and of x when given.
 *
 * The caller keeps its integers, which may be the record's own: every value is copied before
 * the old ones are released, and on a failure the record is left as it was. After a successful
 * Set the record has no pool and PRNG unit: ZLC_Init_DSA and ZLC_Generate_DSA_Key_Pair make them
 * again.
 *
 * @param[in,out] dsa  the record
 * @param[in]     p    prime modulus
 * @param[in]     q    prime divisor of p - 1
 * @param[in]     g    generator of order q
 * @param[in]     x    private key, or null
 * @param[in]     y    public key
 * @return 0, or a failing self-test's status, 0x0C010049 (null record), 0x0C01002B (p, q, g or y
 *         missing), 0x0C01003B (memory).
 */
ZLC_API uint32_t ZLC_Set_DSA_Params(ZLC_DSA *dsa, const BIGINT *p, const BIGINT *q, const BIGINT *g,
                                    const BIGINT *x, const BIGINT *y) ZLC_NOEXCEPT;
/**
 * @brief Prepares the record to sign or verify one message.
 *
 * The digest unit is made when missing and initialised with `digest_id`; a missing pool or PRNG
 * unit is made; a copy of the seed replaces the previous one.
 *
 * @param[in,out] dsa          the record
 * @param[in]     digest_id    message digest identifier
 * @param[in]     sign         1 signs, any other value verifies
 * @param[in]     seed         seed material for k, or null for none
 * @param[in]     seed_length  its length in bytes (0 or less for none)
 * @return 0, or 0x0C0200F0 (proven mode), a failing self-test's status, 0x0C020049 (null record),
 *         0x0C02003B (memory), 0x0C020022 (the digest could not be initialised).
 */
ZLC_API uint32_t ZLC_Init_DSA(ZLC_DSA *dsa, uint32_t digest_id, uint32_t sign, const uint8_t *seed,
                              int32_t seed_length) ZLC_NOEXCEPT;
/**
 * @brief Feeds `length` bytes of the message.
 *
 * @param[in,out] dsa     a record prepared by ZLC_Init_DSA
 * @param[in]     data    `length` bytes
 * @param[in]     length  number of bytes, 0 or more
 * @return 0, or 0x0C030049 (null record), 0x0C03005B (no digest unit, null data, negative length,
 *         or the digest failed).
 */
ZLC_API uint32_t ZLC_Update_DSA(ZLC_DSA *dsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief Finishes the message: signs it, or verifies the signature (r, s).
 *
 * Signing writes r and s big-endian without leading zeros and their lengths. Verifying reads
 * `*r_length` and `*s_length` bytes (leading zeros allowed) and succeeds for a valid signature
 * (0 < r, s < q).
 *
 * @param[in,out] dsa       a record prepared by ZLC_Init_DSA
 * @param[in,out] r         signing: room for the byte length of q; verifying: r
 * @param[in,out] r_length  signing: receives r's length; verifying: r's length
 * @param[in,out] s         signing: room for the byte length of q; verifying: s
 * @param[in,out] s_length  signing: receives s's length; verifying: s's length
 * @return 0 (signed, or the signature is valid), or 0x0C040049 (null argument), 0x0C040045
 *         (signing without x), ZLC_DSA_SIGN_FAILED (any failure of signing, e.g. without
 *         pool, p, q, g or digest unit), ZLC_DSA_VERIFY_FAILED (an invalid signature, or any
 *         failure of verification).
 */
ZLC_API uint32_t ZLC_Final_DSA(ZLC_DSA *dsa, uint8_t *r, int32_t *r_length, uint8_t *s,
                               int32_t *s_length) ZLC_NOEXCEPT;
/**
 * @brief Generates p, q and g as FIPS 186-2 Appendix 2.2, with `digest_id` in place of SHA-1.
 *
 * p has `pbits` bits rounded up to a multiple of 64 (at least 512), q the digest's length, and
 * g = h^((p-1)/q) mod p for the least h from 2 that gives g != 1. p, q and g replace the record's.
 *
 * @param[in,out] dsa        the record (its pool is used)
 * @param[in]     digest_id  the digest; also the G of the PRNG unit made for the call
 * @param[in]     pbits      requested bit length of p
 * @param[in]     seed       null (SEEDs drawn from a PRNG unit made for the call) or 20 bytes
 * @return 0, or a failing self-test's status, 0x0C070049 (null record), 0x0C070059 (a digest
 *         without a length or one of at least the bits of p, or a primality test could not
 *         decide), 0x0C070057 (no pool), 0x0C07001B (scratch), 0x0C07003A (memory), 0x0C070039
 *         (shift), 0x0C070025 (the PRNG unit could not be initialised: proven mode), 0x0C070022
 *         (the digest could not be initialised), 0x0C07001D (a SEED draw failed), 0x0C07005B /
 *         0x0C070018 (the digest failed), 0x0C070036 (the given seed gives no prime q, or no p
 *         within 4096 counters), and arithmetic statuses 0x0C070005 (conversion), 0x0C070001
 *         (addition), 0x0C07003E (reduction), 0x0C070058 (subtraction), 0x0C070010 (division),
 *         0x0C070052 (setting h), 0x0C070040 (exponentiation).
 */
ZLC_API uint32_t ZLC_Generate_DSA_Params(ZLC_DSA *dsa, uint32_t digest_id, int32_t pbits,
                                         const uint8_t *seed) ZLC_NOEXCEPT;
/**
 * @brief Generates x and y = g^x mod p for the record's p, q and g.
 *
 * The record's PRNG unit (made when the record has none) is initialised afresh for SHA-1. Once
 * x is being drawn, a failure leaves the record without x and y.
 *
 * @param[in,out] dsa  a record with p, q and g
 * @return 0, or a failing self-test's status, 0x0C080049 (null record, or p, q or g missing),
 *         0x0C08003C (memory), 0x0C080025 (the PRNG unit cannot be made or initialised: proven
 *         mode), 0x0C08001C (drawing x failed), 0x0C080040 (the exponentiation failed).
 */
ZLC_API uint32_t ZLC_Generate_DSA_Key_Pair(ZLC_DSA *dsa) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * KCDSA: TTAK.KO-12.0001/R4 signatures over a prime-order subgroup
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_kcdsa KCDSA
 * @brief KCDSA: TTAK.KO-12.0001/R4 signatures over a prime-order subgroup.
 *
 * Keys: 0 < x < q, y = g^(x^-1 mod q) mod p. A signature of M is R = Hash(W) with W = g^k mod p
 * written as a |p|-byte string, and S = x (k - e) mod q with e = (R xor Hash(z || M)) mod q, where
 * z is y mod 2^(8 B) (B the digest's block size) written as B bytes. When the digest is longer
 * than q, both hashes keep their rightmost |q| bytes (so R has |q| bytes).
 *
 * The _Ex operations take a digest (SHA-224 or SHA-256 in proven mode) and draw randomness from
 * the DRBG; the plain ones use HAS-160 and a PRNG unit and are refused in proven mode. Signing
 * draws k from the DRBG in both. Statuses: module 0x10; operations 0x01 Generate_Params_Ex,
 * 0x02 Generate_Params, 0x03 the random numbers, 0x04 Generate_Key_Pair_Ex, 0x05
 * Generate_Key_Pair, 0x06 Set_Params, 0x07 Init_Ex, 0x08 Init, 0x09 Update, 0x0A Final,
 * 0x0B signing, 0x0C verification.
 * @{
 */

/**
 * @brief A KCDSA record.
 *
 * Fields are read-only to callers; the record owns everything it points to.
 */
typedef struct KCDSA {
    DIGEST_UNIT *digest;       /**< Hashes z || message and W. */
    PRNG_UNIT *prng;           /**< Randomness of the plain operations. */
    BIGINT *p;                 /**< Prime modulus. */
    BIGINT *q;                 /**< Prime order of g, a divisor of p - 1. */
    BIGINT *g;                 /**< Generator of the order-q subgroup. */
    BIGINT *x;                 /**< Private key, 0 < x < q. */
    BIGINT *y;                 /**< Public key g^(x^-1 mod q) mod p. */
    /** y mod 2^(8 B); made by the first Update after y or the digest changes. */
    BIGINT *z;
    BIGINT *J;                 /**< (p - 1) / 2q. */
    /** Count at which parameter generation succeeded; 0 for a stored set. */
    int32_t count;
    /** Seed || Count (4 bytes, big-endian) of the last _Ex generation. */
    uint8_t *seed;
    int32_t seed_length;       /**< Seed bytes, qbits / 8. */
    uint32_t sign;             /**< 1 sign, 0 verify. */
    BIGINT_POOL *pool;         /**< Scratch pool. */
    BIGINT *xkey;              /**< XKEY of the last random number. */
    BIGINT *xseed;             /**< XSEED of the last random number. */
    uint8_t *rand_seed;        /**< The 160 bytes XSEED was expanded from. */
    uint32_t rand_seed_length; /**< 160. */
    BIGINT *h;                 /**< The value g was derived from, g = h^(2J) mod p. */
} KCDSA;

#define ZLC_KCDSA_VERIFY_FAILED 0x100C005Eu /**< The signature does not match. */

/**
 * @brief A new zeroed record with a new pool and an empty PRNG unit.
 *
 * @return The record, or null when memory runs out. Release it with ZLC_Free_KCDSA.
 */
ZLC_API KCDSA *ZLC_New_KCDSA(void) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the record; null is ignored.
 *
 * @param[in] kcdsa  a record from ZLC_New_KCDSA, or null
 */
ZLC_API void ZLC_Free_KCDSA(KCDSA *kcdsa) ZLC_NOEXCEPT;
/**
 * @brief Wipes and releases every integer, buffer and unit of the record and its pool, and
 *        zeroes it; null is ignored.
 *
 * @param[in,out] kcdsa  the record, or null
 */
ZLC_API void ZLC_Clean_KCDSA(KCDSA *kcdsa) ZLC_NOEXCEPT;

/**
 * @brief Empties the record, then stores copies of p, q and g, and of x and y when given.
 *
 * With x and no y, y is computed from x. The caller keeps its integers, which may be the
 * record's own: every value is copied (and y derived) before the old ones are released, and on a
 * failure the record is left as it was. After a successful Set the record has a new pool; its
 * PRNG unit is gone until ZLC_Init_KCDSA or ZLC_Generate_KCDSA_Key_Pair makes one.
 *
 * @param[in,out] kcdsa  the record
 * @param[in]     p      prime modulus
 * @param[in]     q      prime order of g
 * @param[in]     g      generator of the order-q subgroup
 * @param[in]     x      private key, or null
 * @param[in]     y      public key, or null
 * @return 0, or 0x10060049 (null record), a failing self-test's status, 0x1006002B (p, q or g
 *         missing), 0x1006003B (memory), 0x10060059 (x has no inverse mod q), or the
 *         exponentiation's status (0x040Axxxx).
 */
ZLC_API uint32_t ZLC_Set_KCDSA_Params(KCDSA *kcdsa, const BIGINT *p, const BIGINT *q, const BIGINT *g,
                                      const BIGINT *x, const BIGINT *y) ZLC_NOEXCEPT;

/**
 * @brief Prepares the record to sign or verify one message with `digest_id`.
 *
 * The digest unit is initialised afresh (data of an unfinished message is dropped); z is made
 * again when the digest changes. A missing unit or pool is made.
 *
 * @param[in,out] kcdsa      the record
 * @param[in]     sign       1 signs, 0 verifies
 * @param[in]     digest_id  the digest (SHA-224 or SHA-256 in proven mode)
 * @return 0, or 0x10070049 (null record), a failing self-test's status; in proven mode 0x10070048
 *         (signing with x shorter than 27 bytes, verifying with y shorter than 255 bytes) and
 *         0x100700F0 (a digest other than SHA-224 or SHA-256); 0x1007003B (memory), 0x10070022
 *         (the digest could not be initialised).
 */
ZLC_API uint32_t ZLC_Init_KCDSA_Ex(KCDSA *kcdsa, uint32_t sign, uint32_t digest_id) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Init_KCDSA_Ex with HAS-160; also gives the record an initialised PRNG unit.
 *
 * @param[in,out] kcdsa  the record
 * @param[in]     sign   1 signs, 0 verifies
 * @return 0, or 0x10080049 (null record), a failing self-test's status, 0x1008003B (memory),
 *         0x10080022 (the digest could not be initialised), or ZLC_Init_PRNG's (proven mode
 *         0x140100F0).
 */
ZLC_API uint32_t ZLC_Init_KCDSA(KCDSA *kcdsa, uint32_t sign) ZLC_NOEXCEPT;
/**
 * @brief Feeds z, then `length` bytes of `data`, to the digest.
 *
 * Every call feeds z first: a message must be given in one call to hash as z || M.
 *
 * @param[in,out] kcdsa   a record prepared by ZLC_Init_KCDSA_Ex or ZLC_Init_KCDSA
 * @param[in]     data    the message
 * @param[in]     length  its length, 1 or more
 * @return 0, or 0x10090049 (null record, no digest unit, null data, length 0 or less), 0x10090059
 *         (no y, or z could not be made), 0x10090058 (z is zero), 0x1009003A (memory), 0x1009005B
 *         (the digest failed).
 */
ZLC_API uint32_t ZLC_Update_KCDSA(KCDSA *kcdsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/**
 * @brief Finishes the message: signs it, or verifies the signature (R, S).
 *
 * Signing writes R (the digest length, or the byte length of q when the digest is longer) and S
 * (ZLC_Get_KCDSA_Length bytes, left-padded with zeros) and their lengths. Verifying reads
 * `*R_length` and `*S_length` bytes and succeeds for a valid signature. The digest unit is then
 * ready for the next message.
 *
 * @param[in,out] kcdsa     a record prepared by ZLC_Init_KCDSA_Ex or ZLC_Init_KCDSA
 * @param[in,out] R         signing: room for R; verifying: R
 * @param[in,out] R_length  signing: receives R's length; verifying: R's length
 * @param[in,out] S         signing: room for ZLC_Get_KCDSA_Length bytes; verifying: S
 * @param[in,out] S_length  signing: receives S's length; verifying: S's length
 * @return 0 (signed, or the signature is valid), or 0x100A0049 (null argument), 0x100A0048 (in
 *         proven mode, x shorter than 27 or y shorter than 255 bytes); signing 0x100B0049 (p, q,
 *         g, x or the digest missing), 0x100B0018, 0x100B001B (scratch), 0x100B001D (drawing k),
 *         0x100B0040, 0x100B0022, 0x100B005B, 0x100B0005, 0x100B0058, 0x100B0042; verifying
 *         0x100C0049 (p, q, g, y or the digest missing), 0x100C0018, 0x100C0059 (no pool),
 *         0x100C001B, 0x100C0005, 0x100C0037 (S is zero), 0x100C000B (S is q or more), 0x100C0040,
 *         0x100C003F, 0x100C0022, 0x100C005B, and ZLC_KCDSA_VERIFY_FAILED (also for an R of the
 *         wrong length).
 */
ZLC_API uint32_t ZLC_Final_KCDSA(KCDSA *kcdsa, uint8_t *R, int32_t *R_length, uint8_t *S,
                                 int32_t *S_length) ZLC_NOEXCEPT;

/**
 * @brief Generates p, q and g with a `pbits`-bit p and a `qbits`-bit q (TTAK.KO-12.0001/R4
 *        Appendix I, Seed and Count from the DRBG, expansion with `digest_id`).
 *
 * Sizes: 1024..2048 and 160..256, with qbits 160 for pbits 1024 and 224 or 256 for pbits 2048;
 * proven mode takes only 2048 with 224 or 256. Outside proven mode a search gives up after 500
 * Counts: for (1024,160), (2048,224) and (2048,256) a built-in set of those sizes is chosen
 * instead (count 0, no seed or h), for other sizes a new Seed is drawn after 2^24 Counts, as in
 * proven mode. p, q, g, J, h, count and seed replace the record's.
 *
 * @param[in,out] kcdsa      the record (its pool is used)
 * @param[in]     digest_id  the digest of the expansions
 * @param[in]     pbits      bit length of p
 * @param[in]     qbits      bit length of q
 * @return 0, or a failing self-test's status, 0x10010049 (null record, scratch, or storing the
 *         result), 0x10010048 (sizes), 0x100100F0 (proven mode, pbits not 2048), 0x041B0049 (no
 *         pool), 0x1001003C (memory), 0x1001004E (drawing a Seed), 0x1001001D (a random number),
 *         0x10010036 (a primality test could not decide, or a built-in set is not prime),
 *         0x10010005 (expansion or conversion, an unknown digest included), 0x10010059,
 *         0x10010044, 0x10010039, 0x10010040.
 */
ZLC_API uint32_t ZLC_Generate_KCDSA_Params_Ex(KCDSA *kcdsa, uint32_t digest_id, int32_t pbits,
                                              int32_t qbits) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Generate_KCDSA_Params_Ex with HAS-160 and the record's PRNG unit.
 *
 * The PRNG unit is initialised afresh for HAS-160. The seed is not kept.
 *
 * @param[in,out] kcdsa  the record (its pool and PRNG unit are used)
 * @param[in]     pbits  a multiple of 256 in 1024..2048
 * @param[in]     qbits  a multiple of 32 in 160..256
 * @return As ZLC_Generate_KCDSA_Params_Ex with operation 0x02: 0x10020048 for other sizes,
 *         0x10020025 when the PRNG unit is missing or cannot be initialised (proven mode),
 *         0x1002001D (drawing a Seed), 0x1002001C (drawing h).
 */
ZLC_API uint32_t ZLC_Generate_KCDSA_Params(KCDSA *kcdsa, int32_t pbits, int32_t qbits) ZLC_NOEXCEPT;

/**
 * @brief Generates x and y for the record's p, q and g with randomness from the DRBG and
 *        `digest_id`.
 *
 * Then signs and verifies 01 02 03 with `digest_id` (the record stays initialised to verify).
 * Once x is being drawn, a failure (the pairwise test's included) leaves the record without x, y
 * and z.
 *
 * @param[in,out] kcdsa      a record with p, q and g
 * @param[in]     digest_id  the digest of the random numbers and of the pairwise test
 * @return 0, or 0x10040049 (null record, or p, q or g missing), 0x10040057 (no pool), a failing
 *         self-test's status, 0x1004003B (memory), 0x1004001D (drawing x), 0x1004001B (scratch),
 *         0x10040041 (inverse), 0x10040040 (exponentiation), 0x10040038 (the pairwise test could
 *         not run), 0x10040067 (its signature did not verify).
 */
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair_Ex(KCDSA *kcdsa, uint32_t digest_id) ZLC_NOEXCEPT;
/**
 * @brief As ZLC_Generate_KCDSA_Key_Pair_Ex with x from the record's PRNG unit and the pairwise
 *        test through ZLC_Init_KCDSA.
 *
 * The PRNG unit is made when missing and initialised for HAS-160 when it is not.
 *
 * @param[in,out] kcdsa  a record with p, q and g
 * @return As ZLC_Generate_KCDSA_Key_Pair_Ex with operation 0x05; 0x041B0049 when the record has no
 *         pool, 0x10050025 when the PRNG unit cannot be initialised.
 */
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair(KCDSA *kcdsa) ZLC_NOEXCEPT;

/**
 * @brief The byte length of q (the S length).
 *
 * @param[in] kcdsa  the record
 * @return The length; 0 for a null record, no q, or a failing self-test.
 */
ZLC_API int32_t ZLC_Get_KCDSA_Length(const KCDSA *kcdsa) ZLC_NOEXCEPT;

/** @} */

/* ---------------------------------------------------------------------------------------------
 * Elliptic-curve containers: points, curve domain parameters and keys as records of integers.
 * ------------------------------------------------------------------------------------------- */
/**
 * @defgroup zlc_ecc Elliptic-curve containers
 * @brief Points, curve domain parameters and keys as records of integers.
 *
 * The library computes nothing on a curve; callers fill the records and hand them on. Each record
 * owns what its fields point to; integers are released wiped.
 * @{
 */

/** @brief A point in affine coordinates; either coordinate may be null. */
typedef struct ECPOINT {
    BIGINT *x; /**< The x coordinate, or null. */
    BIGINT *y; /**< The y coordinate, or null. */
} ECPOINT;

/** Bytes of ECURVE::name, the terminating zero included. */
#define ZLC_ECURVE_NAME_SIZE 32

/** @brief Curve domain parameters. */
typedef struct ECURVE {
    int32_t curve_id;                 /**< Chosen by the caller. */
    BIGINT *p;                        /**< Field prime. */
    BIGINT *a;                        /**< Coefficient a. */
    BIGINT *b;                        /**< Coefficient b. */
    ECPOINT *generator;               /**< Base point. */
    BIGINT *order;                    /**< Order of the base point. */
    char name[ZLC_ECURVE_NAME_SIZE];  /**< Zero-terminated, at most 31 characters. */
} ECURVE;

/** @brief A curve key. */
typedef struct ECC_Key {
    ECURVE *curve;           /**< The curve, owned by the key. */
    ECPOINT *public_point;   /**< The public point, owned by the key. */
    BIGINT *private_scalar;  /**< The private scalar; may be null. */
    uint32_t reserved;       /**< Zero. */
} ECC_Key;

/**
 * @brief A new point with both coordinates null.
 *
 * @return The point, or null when memory runs out. Release it with ZLC_Free_ECPOINT.
 */
ZLC_API ECPOINT *ZLC_New_ECPOINT(void) ZLC_NOEXCEPT;
/**
 * @brief Frees both coordinates (wiped) and sets them to null; null is ignored.
 *
 * @param[in,out] point  the point, or null
 */
ZLC_API void ZLC_Clean_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the point; null is ignored.
 *
 * @param[in] point  a point from ZLC_New_ECPOINT, or null
 */
ZLC_API void ZLC_Free_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;
/**
 * @brief Sets both coordinates to zero, each a record with one word of storage.
 *
 * A missing coordinate is made, an existing one emptied first. Null is ignored; when memory runs
 * out a coordinate may stay null.
 *
 * @param[in,out] point  the point, or null
 */
ZLC_API void ZLC_Zero_Value_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;

/**
 * @brief A new zeroed curve with an empty generator point.
 *
 * @return The curve, or null when memory runs out. Release it with ZLC_Free_ECURVE.
 */
ZLC_API ECURVE *ZLC_New_ECURVE(void) ZLC_NOEXCEPT;
/**
 * @brief Frees p, a, b and the order, releases the generator point and zeroes the whole record
 *        (identifier and name included); null is ignored.
 *
 * @param[in,out] curve  the curve, or null
 */
ZLC_API void ZLC_Clean_ECURVE(ECURVE *curve) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the curve; null is ignored.
 *
 * @param[in] curve  a curve from ZLC_New_ECURVE, or null
 */
ZLC_API void ZLC_Free_ECURVE(ECURVE *curve) ZLC_NOEXCEPT;
/**
 * @brief Stores `curve_id`, and copies of every argument that is not null.
 *
 * The name (at most 31 characters, the field cleared first), the integers (a missing record is
 * made) and the coordinates present in `generator` (the curve's generator point is made when
 * missing). Null arguments leave their fields as they are; the caller keeps its own records.
 *
 * @param[in,out] curve      the curve
 * @param[in]     curve_id   the identifier, chosen by the caller
 * @param[in]     name       zero-terminated name, or null
 * @param[in]     p          field prime, or null
 * @param[in]     a          coefficient a, or null
 * @param[in]     b          coefficient b, or null
 * @param[in]     generator  base point, or null
 * @param[in]     order      order of the base point, or null
 * @return 0, or 1 when the curve is null or a copy fails.
 */
ZLC_API uint32_t ZLC_Set_ECURVE_Params(ECURVE *curve, int32_t curve_id, const char *name, const BIGINT *p,
                                       const BIGINT *a, const BIGINT *b, const ECPOINT *generator,
                                       const BIGINT *order) ZLC_NOEXCEPT;

/**
 * @brief A new zeroed key.
 *
 * @return The key, or null when memory runs out. Release it with ZLC_Free_ECC_Key.
 */
ZLC_API ECC_Key *ZLC_New_ECC_Key(void) ZLC_NOEXCEPT;
/**
 * @brief Releases the curve and the public point (each cleaned), frees the private scalar (wiped)
 *        and zeroes the key; null is ignored.
 *
 * @param[in,out] key  the key, or null
 */
ZLC_API void ZLC_Clean_ECC_Key(ECC_Key *key) ZLC_NOEXCEPT;
/**
 * @brief Cleans and releases the key; null is ignored.
 *
 * @param[in] key  a key from ZLC_New_ECC_Key, or null
 */
ZLC_API void ZLC_Free_ECC_Key(ECC_Key *key) ZLC_NOEXCEPT;

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* ZLC_H */
