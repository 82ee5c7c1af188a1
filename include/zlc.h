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
/* The power-up self-test: the module file's signature, object creation, (in proven mode) the
 * entropy source, then the known-answer tests. 0 when every step passes, else the first failing
 * step's status (0x1A01xxxx integrity ... 0x1A0D0059 KCDSA). */
ZLC_API uint32_t ZLC_Crypto_Self_Test(void) ZLC_NOEXCEPT;

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

/* An identifier is an algorithm value, plus a mode value, plus ZLC_NO_PADDING:
 * ZLC_ARIA_128 + ZLC_MODE_CBC is ARIA-128-CBC with PKCS #7 padding (0x03000120). */
#define ZLC_AES_128 0x01000100u
#define ZLC_AES_192 0x01000200u
#define ZLC_AES_256 0x01000300u
#define ZLC_DES 0x02000100u
#define ZLC_TDES_3KEY 0x02000200u     /* K1 || K2 || K3 */
#define ZLC_TDES_2KEY 0x02001200u     /* K1 || K2, K3 = K1 */
#define ZLC_TDES_3KEY_ALT 0x02010200u /* same cipher as ZLC_TDES_3KEY, reported as itself */
#define ZLC_ARIA_128 0x03000100u
#define ZLC_ARIA_192 0x03000200u
#define ZLC_ARIA_256 0x03000300u
#define ZLC_SEED_128 0x04000100u
#define ZLC_SEED_256 0x04000200u
#define ZLC_RC5 0x05000100u
#define ZLC_BLOWFISH 0x06000100u
#define ZLC_RC2_128 0x07000100u /* effective key bits 128, 40 and 64 */
#define ZLC_RC2_40 0x07000200u
#define ZLC_RC2_64 0x07000300u
#define ZLC_LEA_128 0x08000100u
#define ZLC_LEA_192 0x08000200u
#define ZLC_LEA_256 0x08000300u

#define ZLC_MODE_ECB 0x00u
#define ZLC_MODE_CBC 0x20u
#define ZLC_MODE_CFB 0x40u    /* full-block feedback */
#define ZLC_MODE_CFB1 0x42u   /* named, never accepted */
#define ZLC_MODE_CFB8 0x44u   /* named, never accepted */
#define ZLC_MODE_CFB16 0x46u  /* named, never accepted */
#define ZLC_MODE_CFB32 0x48u  /* named, never accepted */
#define ZLC_MODE_CFB64 0x4Au  /* CFB on an 8-byte-block cipher; stored as ZLC_MODE_CFB */
#define ZLC_MODE_CFB128 0x4Cu /* CFB on a 16-byte-block cipher; stored as ZLC_MODE_CFB */
#define ZLC_MODE_OFB 0x60u
#define ZLC_MODE_CTR 0x80u    /* big-endian counter over the whole block; not for RC2 */
/* ECB and CBC: no PKCS #7 padding, data must be whole blocks. CFB, OFB and CTR: required for
 * decryption, ignored for encryption. */
#define ZLC_NO_PADDING 0x01u

struct BLOCK_CIPHER_UNIT;
/* The routines Init binds: key setup (unit, key, IV, encrypt flag) and the mode's block routine,
 * which runs whole blocks (unit, out, in, length); in == out is allowed. */
typedef uint32_t (*ZLC_BLOCK_KEY_SETUP_ROUTINE)(struct BLOCK_CIPHER_UNIT *unit, const uint8_t *key,
                                                const uint8_t *iv, uint32_t encrypt);
typedef uint32_t (*ZLC_BLOCK_PROCESS_ROUTINE)(struct BLOCK_CIPHER_UNIT *unit, uint8_t *out, const uint8_t *in,
                                              uint32_t length);

/* A block cipher unit. Callers may read its fields; only the library writes them. */
typedef struct BLOCK_CIPHER_UNIT {
    uint32_t algorithm;        /* algorithm value (identifier without its low byte); 0 when fresh */
    uint32_t block_length;     /* 8 or 16 */
    uint32_t key_length;
    uint32_t iv_length;        /* equal to block_length */
    uint32_t effective_bits;   /* RC2 only */
    uint8_t mode;              /* stored mode value (CFB64 and CFB128 are stored as CFB) */
    uint8_t no_padding;        /* bit 0 of the identifier */
    ZLC_BLOCK_KEY_SETUP_ROUTINE key_setup;
    ZLC_BLOCK_PROCESS_ROUTINE process; /* null until Init has succeeded */
    uint32_t encrypt;          /* 1 encrypt, 0 decrypt */
    uint8_t saved_iv[16];
    uint8_t chain[16];         /* CBC/CFB/OFB register or CTR counter block */
    uint8_t pending[32];       /* partial input block */
    uint8_t keystream[32];
    uint32_t pending_count;
    uint32_t stream_pos;
    void *key_schedule;        /* owned by the unit, key_schedule_size bytes */
    uint32_t key_schedule_size;
    uint32_t held;             /* 1 while a decrypted block is held back for the padding check */
    uint32_t block_mask;       /* block_length - 1 */
    uint8_t held_block[32];
    uint32_t initialised;      /* 0xFFFFFFFF from the start of Init on */
    uint8_t proven_copy;       /* proven-mode flag at Init */
} BLOCK_CIPHER_UNIT;

/* Size of the record of the Advanced pair. */
#define ZLC_ADVANCED_BLOCK_CIPHER_STATE_LENGTH 876

/* Status codes of the block cipher interface. */
#define ZLC_BLOCK_INIT_NULL 0x0501002Bu          /* null unit */
#define ZLC_BLOCK_INIT_REFUSED 0x05010023u       /* unknown or refused algorithm or mode, null key, key setup failed */
#define ZLC_BLOCK_INIT_ALLOC 0x0501003Au         /* key schedule allocation */
#define ZLC_BLOCK_INIT_NO_IV 0x0501004Au         /* null IV for CBC, CFB or OFB */
#define ZLC_BLOCK_INIT_NOT_APPROVED 0x050100F0u  /* CTR in proven mode */
#define ZLC_BLOCK_UPDATE_ARGUMENT 0x0502002Bu    /* null or unusable unit, null buffer, length <= 0 or too long */
#define ZLC_BLOCK_UPDATE_BLOCK_LENGTH 0x0503000Au
#define ZLC_BLOCK_UPDATE_ROUTINE 0x0503004Cu     /* the block routine failed */
#define ZLC_BLOCK_UPDATE_HOLD_LENGTH 0x05040009u
#define ZLC_BLOCK_UPDATE_HOLD_FAILED 0x0504005Cu
#define ZLC_BLOCK_FINAL_ARGUMENT 0x0505002Bu     /* null or unusable unit, null output */
#define ZLC_BLOCK_FINAL_ENCRYPT 0x0505000Au      /* partial block without padding, routine failure */
#define ZLC_BLOCK_FINAL_DECRYPT 0x05050009u      /* bad padding, partial block, stream mode without ZLC_NO_PADDING */
#define ZLC_BLOCK_ONESHOT_ALLOC 0x0508003Bu
#define ZLC_BLOCK_ONESHOT_INIT 0x05080021u
#define ZLC_BLOCK_ONESHOT_UPDATE 0x0508005Au
#define ZLC_BLOCK_ONESHOT_FINAL 0x05080017u
#define ZLC_BLOCK_ADV_INIT_NULL 0x050A0049u      /* null key, state or state length */
#define ZLC_BLOCK_ADV_INIT_UNSUPPORTED 0x050A0048u /* Blowfish: its schedule does not fit */
#define ZLC_BLOCK_ADV_INIT_SHORT 0x050A0006u     /* state length below 876 */
#define ZLC_BLOCK_ADV_INIT_FAILED 0x050A0021u
#define ZLC_BLOCK_ADV_FINAL_NULL 0x050B0049u     /* null state or output */
#define ZLC_BLOCK_ADV_FINAL_STATE 0x050B002Bu    /* the state record is not one Init Advanced produced */
#define ZLC_BLOCK_ADV_FINAL_UPDATE 0x050B005Au
#define ZLC_BLOCK_ADV_FINAL_FINAL 0x050B0017u

/* A zero-filled unit, or null. */
ZLC_API BLOCK_CIPHER_UNIT *ZLC_New_BLOCK_CIPHER_Unit(void) ZLC_NOEXCEPT;
/* For a unit that Init has started on: wipes and releases its key schedule and zeroes the unit.
 * Any other unit (null, fresh) is left untouched. */
ZLC_API void ZLC_Clean_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/* Cleans and releases the unit; null does nothing. */
ZLC_API void ZLC_Free_BLOCK_CIPHER_Unit(BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/* Cleans the unit and keys it for one identifier. key: key_length bytes (never null); iv:
 * iv_length bytes, required for CBC, CFB and OFB, optional for CTR (null = zero counter),
 * ignored for ECB. encrypt: 0 decrypts, any other value encrypts (stored as 1). A failed Init
 * leaves a unit that Update and Final refuse until the next successful Init. */
ZLC_API uint32_t ZLC_Init_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint32_t algorithm_id, const uint8_t *key,
                                       const uint8_t *iv, uint32_t encrypt) ZLC_NOEXCEPT;
/* Feeds in_length (1 .. 2^31 - 33) bytes; out needs room for in_length plus one block and may
 * be the same buffer as in. The bytes written go to *out_length. */
ZLC_API uint32_t ZLC_Update_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint8_t *out, int32_t *out_length,
                                         const uint8_t *in, int32_t in_length) ZLC_NOEXCEPT;
/* Ends the message: adds or checks and strips the padding, or finishes a partial stream block.
 * Writes at most one block. Success or not, the unit is then ready for a new message under the
 * same key and IV. A padding error writes nothing. */
ZLC_API uint32_t ZLC_Final_BLOCK_CIPHER(BLOCK_CIPHER_UNIT *unit, uint8_t *out, int32_t *out_length) ZLC_NOEXCEPT;
/* Init, Update and Final in one call; out needs room for in_length plus one block; out_length
 * may be null. An empty input is refused (ZLC_BLOCK_ONESHOT_UPDATE). */
ZLC_API uint32_t ZLC_BLOCK_CIPHER(uint32_t algorithm_id, uint32_t encrypt, const uint8_t *key, const uint8_t *iv,
                                  const uint8_t *in, int32_t in_length, uint8_t *out,
                                  int32_t *out_length) ZLC_NOEXCEPT;
/* The unit's algorithm value, 0 for a null unit. */
ZLC_API uint32_t ZLC_Get_Block_Alg_ID(const BLOCK_CIPHER_UNIT *unit) ZLC_NOEXCEPT;
/* Static texts ("ARIA_128", "CBC", ...); null for a value not known or when the self-test fails. */
ZLC_API const char *ZLC_Get_Block_Alg_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
ZLC_API const char *ZLC_Get_Mode_Name(uint32_t algorithm_id) ZLC_NOEXCEPT;
/* Lengths in bytes; 0 for an unknown algorithm or when the self-test fails. */
ZLC_API int32_t ZLC_Get_Block_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
ZLC_API int32_t ZLC_Get_Key_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
/* The block length; -1 when the self-test fails. */
ZLC_API int32_t ZLC_Get_IV_Length(uint32_t algorithm_id) ZLC_NOEXCEPT;
/* Keys an identifier once into a caller-kept record of 876 bytes (*state_length in: its size,
 * out: 876). The record holds the key schedule and is meaningful only inside this process.
 * Blowfish is refused. */
ZLC_API uint32_t ZLC_Init_Advanced_BLOCK_CIPHER(uint32_t algorithm_id, const uint8_t *key, const uint8_t *iv,
                                                uint32_t encrypt, uint8_t *state,
                                                int32_t *state_length) ZLC_NOEXCEPT;
/* One whole message (Update and Final) under the record, which is only read: every call starts
 * from the saved IV. `reserved` is not examined; out_length may be null. */
ZLC_API uint32_t ZLC_DoFinal_Advanced_BLOCK_CIPHER(const uint8_t *state, uint32_t reserved, const uint8_t *in,
                                                   int32_t in_length, uint8_t *out,
                                                   int32_t *out_length) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * RC4
 * ------------------------------------------------------------------------------------------- */

/* An RC4 (ARCFOUR) unit: the generator indices i and j and the permutation S of 0..255, one
 * entry per 32-bit word. Exactly 1032 bytes. */
typedef struct RC4_UNIT {
    uint32_t x;          /* index i, 0..255 */
    uint32_t y;          /* index j, 0..255 */
    uint32_t state[256]; /* the permutation S */
} RC4_UNIT;

/* Every RC4 argument error: a null unit, key, input or output, a key length of 0 or less, a length
 * of 0, or a unit that holds no key (fresh from New, or cleaned). */
#define ZLC_RC4_INVALID_ARGUMENT 0x1600002Bu

/* A new zero-filled unit, or null when memory is short. It must be keyed with ZLC_Init_RC4 first. */
ZLC_API RC4_UNIT *ZLC_New_RC4_Unit(void) ZLC_NOEXCEPT;
/* Zeroes all 1032 bytes; null does nothing. */
ZLC_API void ZLC_Clean_RC4_Unit(RC4_UNIT *unit) ZLC_NOEXCEPT;
/* Zeroes all 1032 bytes, then releases the unit; null does nothing. */
ZLC_API void ZLC_Free_RC4_Unit(RC4_UNIT *unit) ZLC_NOEXCEPT;
/* Keys the unit (key_length bytes, at least 1) and sets the generator to the start of its
 * keystream. 0 or ZLC_RC4_INVALID_ARGUMENT; a failure changes nothing. */
ZLC_API uint32_t ZLC_Init_RC4(RC4_UNIT *unit, const uint8_t *key, int32_t key_length) ZLC_NOEXCEPT;
/* out = in xor the next `length` keystream bytes (encryption and decryption alike); successive
 * calls continue one keystream; in and out may be the same buffer. 0 or ZLC_RC4_INVALID_ARGUMENT
 * (also for length 0 and for a unit that holds no key); a failure changes nothing. */
ZLC_API uint32_t ZLC_Do_RC4(RC4_UNIT *unit, const uint8_t *in, uint32_t length, uint8_t *out) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * Big integers
 * ------------------------------------------------------------------------------------------- */

/* A non-negative integer: 32-bit words, least significant first, always normalised (`length` 0
 * for zero, otherwise words[length - 1] != 0). Storage is wiped before every release.
 *
 * Timing: no function of this section is constant time. Each takes branches, loop counts or table
 * indices from its operands' values and lengths: the normalised length itself, comparisons, the
 * digit corrections of division, the bit scan of the sliding-window exponentiations, the loops of
 * the inverse and the gcd. Their running time and memory accesses can therefore tell an observer
 * on the same machine about the operands, which is acceptable for public values only: moduli,
 * public exponents, and the signatures, ciphertexts and messages of verification and encryption.
 * Secret exponents (private keys, nonces) are not exponentiated with these functions inside the
 * library: its private-key operations use an internal fixed-window Montgomery exponentiation
 * whose branches and memory addresses do not depend on the exponent. */
#define BIGINT_FLAG_HEAP 1u   /* the record was allocated by the library; ZLC_Free_BIGINT releases it */
#define BIGINT_FLAG_STATIC 2u /* the words are not owned (shared constants); never grows */
#define BIGINT_FLAG_INIT 4u   /* prepared in place; ZLC_Free_BIGINT only empties it */
#define ZLC_BIGINT_MAX_WORDS 0xFFFFFF /* capacity requests above this fail */

typedef struct BIGINT {
    uint32_t *words;  /* null while no storage is held */
    int32_t length;   /* words in use */
    int32_t capacity; /* words allocated */
    uint32_t flags;
} BIGINT;

/* Scratch integers are handed out from blocks of eight, inside nested frames. */
#define ZLC_BIGINT_POOL_BLOCK_RECORDS 8
#define ZLC_BIGINT_POOL_MAX_FRAMES 80

typedef struct BIGINT_POOL_BLOCK {
    BIGINT records[ZLC_BIGINT_POOL_BLOCK_RECORDS];
    struct BIGINT_POOL_BLOCK *previous;
    struct BIGINT_POOL_BLOCK *next;
} BIGINT_POOL_BLOCK;

typedef struct BIGINT_POOL {
    BIGINT_POOL_BLOCK *head;
    BIGINT_POOL_BLOCK *current; /* block of the most recently handed-out record */
    BIGINT_POOL_BLOCK *tail;
    int32_t used;               /* records handed out and not given back */
    int32_t size;               /* records held by all blocks (a multiple of 8) */
    int32_t frame_counts[ZLC_BIGINT_POOL_MAX_FRAMES];
    int32_t depth;              /* innermost open frame; -1 when none is open */
} BIGINT_POOL;

/* Record life cycle. Statuses: 0x0401xxxx Init, 0x0402xxxx Free, 0x041Fxxxx Copy; reason 0x49 for a
 * null record, 0x16 when storage cannot grow. */
ZLC_API BIGINT *ZLC_New_BIGINT(void) ZLC_NOEXCEPT;
/* Prepares a caller-provided record without storage (a record with flags set is zeroed first,
 * its storage pointer dropped, not released). 0 or 0x04010049. */
ZLC_API uint32_t ZLC_Init_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/* Wipes and releases the storage; the value becomes zero. Null is ignored. */
ZLC_API void ZLC_Clear_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/* Clears, and releases a library-allocated record. 0 or 0x04020049. */
ZLC_API uint32_t ZLC_Free_BIGINT(BIGINT *n) ZLC_NOEXCEPT;
/* dst = src. 0, 0x041F0049 (null), 0x041F0016 (growth). */
ZLC_API uint32_t ZLC_Copy_BIGINT(BIGINT *dst, const BIGINT *src) ZLC_NOEXCEPT;
/* A new record holding a copy, or null. */
ZLC_API BIGINT *ZLC_Dup_BIGINT(const BIGINT *src) ZLC_NOEXCEPT;
/* Exchanges the values (the static flag travels with the words). Null does nothing. */
ZLC_API void ZLC_Swap_BIGINT(BIGINT *a, BIGINT *b) ZLC_NOEXCEPT;

/* Conversions. Byte strings are big-endian. Texts are released with ZLC_Free. */
/* The value of count bytes into target, or into a new record when target is null; null on a null
 * or negative input or when memory runs out. */
ZLC_API BIGINT *ZLC_Binary_To_BIGINT(const uint8_t *bytes, int32_t count, BIGINT *target) ZLC_NOEXCEPT;
/* Minimal form with a leading 00 when the top bit would be set: (bits + 8) / 8 bytes; zero and null
 * write nothing and give 0. */
ZLC_API int32_t ZLC_BIGINT_To_Binary(const BIGINT *n, uint8_t *out) ZLC_NOEXCEPT;
/* Minimal form, (bits + 7) / 8 bytes; zero and null write nothing and give 0. */
ZLC_API int32_t ZLC_BIGINT_To_Binary_Unsigned(const BIGINT *n, uint8_t *out) ZLC_NOEXCEPT;
/* Reads the leading hexadecimal digits of text (stops at the first other character; none gives
 * zero). Null for null or empty text or when memory runs out. */
ZLC_API BIGINT *ZLC_HEX_To_BIGINT(const char *text) ZLC_NOEXCEPT;
/* Upper-case, two digits per byte ("0F", "0100"); zero gives "0". Null on null or no memory. */
ZLC_API char *ZLC_BIGINT_To_HEX(const BIGINT *n) ZLC_NOEXCEPT;
/* Decimal without leading zeros; zero gives "0". Null on null or no memory. */
ZLC_API char *ZLC_BIGINT_To_DEC(const BIGINT *n) ZLC_NOEXCEPT;
/* Writes "0x" and the hexadecimal text with a newline to standard output; null prints nothing. */
ZLC_API void ZLC_Print_BIGINT(const BIGINT *n) ZLC_NOEXCEPT;
/* "0x" followed by the hexadecimal text, or null. */
ZLC_API char *ZLC_Dump_BIGINT(const BIGINT *n) ZLC_NOEXCEPT;

/* Inspection and single words. */
/* Bit length; 0 for zero or null. */
ZLC_API int32_t ZLC_Get_BIGINT_Bits_Length(const BIGINT *n) ZLC_NOEXCEPT;
/* -1, 0 or 1 as a is below, equal to or above b; 1 when either is null. */
ZLC_API int32_t ZLC_Cmp_BIGINT(const BIGINT *a, const BIGINT *b) ZLC_NOEXCEPT;
/* The value when it fits one word, 0xFFFFFFFF when it does not, 1 for null. */
ZLC_API uint32_t ZLC_Get_BIGINT_Word(const BIGINT *n) ZLC_NOEXCEPT;
/* n = w. 0, 0x04200049 (null), 0x04200016 (growth). */
ZLC_API uint32_t ZLC_Set_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* Sets bit i (0 = least significant). 0, 0x04210049 (null or negative i), 0x04210016 (growth, or
 * a static record). */
ZLC_API uint32_t ZLC_Set_BIGINT_Bit(BIGINT *n, int32_t i) ZLC_NOEXCEPT;
/* 1 when bit i is set; 0 when clear, beyond the value, for negative i or a null record. */
ZLC_API int32_t ZLC_Is_BIGINT_Bit_Set(const BIGINT *n, int32_t i) ZLC_NOEXCEPT;
/* Shared read-only constants 1 and 0: operands only, never written, cleared or freed (Init, Clear,
 * Free and Swap leave them as they are). */
ZLC_API const BIGINT *ZLC_Value_One_BIGINT(void) ZLC_NOEXCEPT;
ZLC_API const BIGINT *ZLC_Value_Zero_BIGINT(void) ZLC_NOEXCEPT;

/* The pool. Open a frame, take records (each reads zero), finish the frame: every record the frame
 * took goes back and keeps its storage for the next taker. At most 80 frames nest. */
ZLC_API BIGINT_POOL *ZLC_New_BIGINT_Pool(void) ZLC_NOEXCEPT;
/* 0, or 0x041B0049 for a null pool or when 80 frames are already open. */
ZLC_API uint32_t ZLC_Start_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* A zero record counted to the innermost frame; null for a null pool, no open frame, or no memory
 * (the pool then stays as it was). */
ZLC_API BIGINT *ZLC_Get_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* Gives back the innermost frame's records and closes it. 0, or 0x041C0049 for a null pool or when
 * no frame is open. */
ZLC_API uint32_t ZLC_Finish_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* Wipes and releases every pooled record's storage and every block. 0 or 0x041A0049. */
ZLC_API uint32_t ZLC_Clear_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* Clears and releases the pool. 0 or 0x04190049. */
ZLC_API uint32_t ZLC_Free_BIGINT_Pool(BIGINT_POOL *pool) ZLC_NOEXCEPT;

/* Arithmetic. Results are normalised and may be the same record as an operand; after a failure the
 * result's value is unspecified but the record stays valid. A null record gives reason 0x49. A
 * static record (BIGINT_FLAG_STATIC) is refused as a result, like one that cannot grow, and keeps
 * its value. */
/* r = a + b. 0x040D0028 when r cannot grow. */
ZLC_API uint32_t ZLC_Add_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b) ZLC_NOEXCEPT;
/* r = a - b for a >= b; the pool is not used. 0x040E0028 when b exceeds a or r cannot grow. */
ZLC_API uint32_t ZLC_Sub_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* n = n + w. 0x04030016 (growth), 0x04030052 (setting a zero n failed). */
ZLC_API uint32_t ZLC_Add_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* n = |n - w|. 0x04040052 (setting a zero n failed), 0x04040016 (a static n). */
ZLC_API uint32_t ZLC_Sub_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* n = n * w. 0x04050016 (growth). */
ZLC_API uint32_t ZLC_Mtp_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* n = n div w; returns n mod w, or 0xFFFFFFFF (n unchanged) for w = 0, a null n or no memory. */
ZLC_API uint32_t ZLC_Div_BIGINT_Word(BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* n mod w, or 0xFFFFFFFF for w = 0 or a null n. */
ZLC_API uint32_t ZLC_Mod_BIGINT_Word(const BIGINT *n, uint32_t w) ZLC_NOEXCEPT;
/* quotient = a div d, remainder = a mod d; either output may be null; the pool may be null.
 * 0x04100028 (d is zero), 0x04100039 (shift failed), 0x0410003A (scratch or growth failed). */
ZLC_API uint32_t ZLC_Div_BIGINT(BIGINT *quotient, BIGINT *remainder, const BIGINT *a, const BIGINT *d,
                                BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a * b. 0x04120057 (no pool), 0x0412003B (scratch), 0x04120016 (growth), 0x0412000D (copy),
 * 0x04120052 (a zero factor with a null r). */
ZLC_API uint32_t ZLC_Mtp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a * a. 0x04110057 (no pool), 0x0411001B (scratch), 0x04110016 (growth), 0x0411000D (copy). */
ZLC_API uint32_t ZLC_Sqr_BIGINT(BIGINT *r, const BIGINT *a, BIGINT_POOL *pool) ZLC_NOEXCEPT;

/* Modular arithmetic. */
/* r = (a - b) mod m. 0x040F0049 (null), 0x040F003A (a temporary could not be made), otherwise the
 * status of a failed inner division or subtraction. */
ZLC_API uint32_t ZLC_Mod_Sub_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a * b mod m (squares when a and b are the same record). 0x04130057 (no pool), 0x0413001B,
 * 0x04130056 (square), 0x04130044 (multiply), 0x0413003E (reduction). */
ZLC_API uint32_t ZLC_Mod_Mtp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *b, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a^e mod m by a sliding window; a null pool makes a private one. A null or zero e gives 1.
 * 0x04140052, 0x04140057, 0x0414001B, 0x0414003E, 0x04140042. */
ZLC_API uint32_t ZLC_Mod_Exp_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *e, const BIGINT *m,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a^e mod m in Montgomery form for an odd m; a null pool makes a private one. A null or zero e
 * gives 1. An even or zero m is refused with 0x040A0052 (context set-up); others: 0x04200049,
 * 0x04200016, 0x040A0057, 0x040A001B, 0x040A003A, 0x040A003E, 0x040A0004, 0x040A0043, 0x040A0002. */
ZLC_API uint32_t ZLC_Mod_Exp_Mont_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *e, const BIGINT *m,
                                         BIGINT_POOL *pool) ZLC_NOEXCEPT;
/* r = a^-1 mod m. 0x04070052 when no inverse exists; 0x04070057 (no pool), 0x0407001B, 0x0407000D,
 * 0x0407003E, 0x04070010, 0x04070001, 0x04070044, 0x04070058. */
ZLC_API uint32_t ZLC_Mod_Inverse_BIGINT(BIGINT *r, const BIGINT *a, const BIGINT *m, BIGINT_POOL *pool) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * Random bytes: Hash_DRBG (NIST SP 800-90A) over SHA-1, HAS-160 or SHA-2
 *
 * One generator state per process, kept between requests. Every request takes the lock
 * "ZELTARO_Crypto_Lock", shared by the threads of the process and by every process of the same
 * user, restores the state (or instantiates it from fresh operating-system entropy when there is
 * none for the digest asked for, or when the process is a fork of the one that saved it),
 * generates, saves the state and releases the lock. Each output block is compared with the one
 * before it (continuous test). Nothing is saved by a failed request, and its output is all zeros.
 * ------------------------------------------------------------------------------------------- */

#define ZLC_DRBG_LOCK_FAILED 0x0B050061u         /* the lock could not be created or taken */
#define ZLC_DRBG_UNLOCK_FAILED 0x0B050062u       /* the lock could not be released */
#define ZLC_DRBG_RESERVED_NONZERO 0x0B050048u
#define ZLC_DRBG_ALLOC_FAILED 0x0B05003Bu
#define ZLC_DRBG_SETUP_FAILED 0x0B050063u        /* unknown digest, or refused in proven mode */
#define ZLC_DRBG_INSTANTIATE_FAILED 0x0B050064u  /* no entropy could be collected */
#define ZLC_DRBG_GENERATE_FAILED 0x0B050066u     /* length 0 or less, null output, reseed failure */
#define ZLC_DRBG_CONTINUOUS_TEST_FAILED 0x0B050067u

/** Fills `out` with `length` random bytes from the SHA-256 generator without prediction
 * resistance. 0, a self-test gate status, or one of the ZLC_DRBG_ statuses above. On failure the
 * `length` bytes of `out` are zeros. */
ZLC_API uint32_t ZLC_Rand_Bytes(uint8_t *out, int32_t length) ZLC_NOEXCEPT;

/** As ZLC_Rand_Bytes with a chosen digest (ZLC_SHA1, ZLC_HAS160, ZLC_SHA224 ... ZLC_SHA512;
 * only SHA-2 in proven mode). Asking for another digest than the last request replaces the
 * process's state by a new one. With `prediction_resistance` nonzero every request first reseeds
 * from fresh entropy. `reserved` must be 0 (else ZLC_DRBG_RESERVED_NONZERO). */
ZLC_API uint32_t ZLC_Rand_Bytes_DRBG(uint8_t *out, int32_t length, uint32_t reserved, uint32_t algorithm_id,
                                     uint32_t prediction_resistance) ZLC_NOEXCEPT;

/** Sets `n` to a random integer below 2^bits, drawn from the SHA-256 generator. 0x0B060049 for a
 * null `n`, 0x0B06001D when the draw fails (bits 0 included), 0x0B06002B for negative bits,
 * 0x0B060005 when `n` cannot hold the value. */
ZLC_API uint32_t ZLC_Get_Rand_BIGINT_Ex(BIGINT *n, int32_t bits) ZLC_NOEXCEPT;

/** Zeroes the process's generator state; the next request instantiates afresh. Waits for a
 * request in progress to finish. */
ZLC_API void ZLC_Uninstantiate_DRBG(void) ZLC_NOEXCEPT;

/* Random integers and primes. The _Ex functions draw from the DRBG (the bytes of ZLC_Rand_Bytes);
 * the others from a PRNG unit made for each draw with G = `digest` (0 selects SHA-1), and are
 * refused in proven mode. */

/** r = a random integer below 2^bits. top -1 leaves the high bits random, 0 sets bit bits-1, any
 * other value sets bits bits-1 and bits-2; a nonzero bottom sets bit 0. bits 0 gives zero. The pool
 * is not used. Statuses: 0x04170049 (null r), 0x0417002B (negative bits), 0x0417003B (buffer),
 * 0x0417001D (the DRBG failed), 0x04170005 (conversion). */
ZLC_API uint32_t ZLC_Rand_BIGINT_Ex(BIGINT *r, int32_t bits, int32_t top, int32_t bottom,
                                    BIGINT_POOL *pool) ZLC_NOEXCEPT;
/** As ZLC_Rand_BIGINT_Ex from a PRNG unit seeded for the call (the pool, or a private one when
 * null, is lent to it). Statuses: 0x04180025 (proven mode, failed self-test, or the unit could not
 * be initialised), 0x04180049, 0x0418002B, 0x0418003B, 0x0418001D (the PRNG failed), 0x04180005. */
ZLC_API uint32_t ZLC_Rand_BIGINT(BIGINT *r, int32_t bits, int32_t top, int32_t bottom, BIGINT_POOL *pool,
                                 uint32_t digest) ZLC_NOEXCEPT;
/** Miller-Rabin with count - 1 rounds (a count below 2 runs one) and random bases. Returns 1 when n
 * passes, -1 when n is composite, 0 when n is null, 0, 1 or even other than 2, or when a step
 * failed (no verdict). 2 is prime. A null pool makes a private one. */
ZLC_API int32_t ZLC_Is_BIGINT_Prime_Ex(const BIGINT *n, int32_t count, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/** As ZLC_Is_BIGINT_Prime_Ex with bases from ZLC_Rand_BIGINT using `digest` (so 0 in proven mode). */
ZLC_API int32_t ZLC_Is_BIGINT_Prime(const BIGINT *n, int32_t count, BIGINT_POOL *pool,
                                    uint32_t digest) ZLC_NOEXCEPT;
/** p = a random prime of exactly `bits` bits whose predecessor has no odd factor up to 17863;
 * 3 to 38 Miller-Rabin rounds by size (4 at 1024 bits). A null pool makes a private one. p is
 * written only on success. Statuses: 0x041E0049 (null p), 0x041E004D (bits below 16, a random draw
 * failed, or a primality test could not decide), 0x041E0057 (private pool), 0x041E001B (scratch),
 * 0x041E0001 (adding the sieve offset), or the status of the final copy into p. */
ZLC_API uint32_t ZLC_Generate_BIGINT_Prime_Ex(BIGINT *p, int32_t bits, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/** As ZLC_Generate_BIGINT_Prime_Ex with candidates and bases from ZLC_Rand_BIGINT using `digest`. */
ZLC_API uint32_t ZLC_Generate_BIGINT_Prime(BIGINT *p, int32_t bits, BIGINT_POOL *pool,
                                           uint32_t digest) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * PRNG: the FIPS 186-2 style generator, XKEY' = (1 + XKEY + G(XKEY + XSEED mod 2^b)) mod 2^b
 * ------------------------------------------------------------------------------------------- */

/* G identifiers: ZLC_SHA1, ZLC_SHA224, ZLC_SHA256, ZLC_SHA384, ZLC_SHA512, ZLC_HAS160 (the
 * digest's compression, chained from step to step; the step output is the digest length), or
 * ZLC_ARIA_128, ZLC_ARIA_192, ZLC_ARIA_256, ZLC_SEED_128 (a 20-byte G over the block cipher; the
 * step output is its first 16 bytes). */
typedef struct PRNG_UNIT {
    BIGINT *xkey;          /* the secret state XKEY */
    BIGINT *xseed;         /* the seed XSEED */
    uint32_t g_algorithm;  /* identifier of G; 0 when unset */
    void *g_state;         /* G's digest state or key-schedule area, owned by the unit */
    int32_t g_state_size;  /* bytes of *g_state */
    uint32_t initialised;  /* 0xFFFFFFFF once ZLC_Init_PRNG has begun on the unit */
    BIGINT_POOL *pool;     /* the pool the unit computes in */
    uint32_t owns_pool;    /* 1 when the unit made the pool and releases it */
    int32_t xkey_bits;     /* b: 8 x the XKEY length in bytes, fixed at initialisation */
} PRNG_UNIT;

/** A zero-filled unit, or null. Release it with ZLC_Free_PRNG_Unit. */
ZLC_API PRNG_UNIT *ZLC_New_PRNG_Unit(void) ZLC_NOEXCEPT;
/** Cleans and releases the unit; null does nothing. */
ZLC_API void ZLC_Free_PRNG_Unit(PRNG_UNIT *unit) ZLC_NOEXCEPT;
/** On an initialised unit: wipes and releases XKEY, XSEED and G's state, releases a pool the unit
 * made, and zeroes the unit. Any other unit is left alone. */
ZLC_API void ZLC_Clean_PRNG_Unit(PRNG_UNIT *unit) ZLC_NOEXCEPT;
/** Binds G and loads XKEY (20 to 64 bytes, b = 8 x its length) and XSEED (any length), each as a
 * big-endian number; may be repeated, replacing all three. A null XKEY is made from the operating
 * system's random source (20 to 64 bytes); a null XSEED (20 bytes) is stirred out of the
 * process-wide seed pool with XKEY. The caller's pool is used, or a null one makes the unit its own.
 * Statuses: a failing self-test's own, 0x14010049 (null unit), 0x140100F0 (proven mode),
 * 0x14010023 (XKEY length outside 20..64 - the unit then holds no XKEY -, negative XSEED length, G
 * not accepted, or a caller XKEY equal to the caller XSEED), 0x1401000F (SHA-1 failed while
 * deriving XSEED), 0x1401001D (the operating system's random source failed), 0x1401003B. */
ZLC_API uint32_t ZLC_Init_PRNG(PRNG_UNIT *unit, uint32_t g_algorithm, const uint8_t *xkey, int32_t xkey_length,
                               const uint8_t *xseed, int32_t xseed_length, BIGINT_POOL *pool) ZLC_NOEXCEPT;
/** Writes `length` bytes: one reference step, then step outputs, each compared with the one before
 * it. Statuses: 0x14040049 (null unit or output), 0x1404002B (negative length), 0x1404004E (a step
 * failed, e.g. no XKEY), 0x14040014 (two consecutive steps gave the same output). */
ZLC_API uint32_t ZLC_Get_Rand(PRNG_UNIT *unit, uint8_t *out, int32_t length) ZLC_NOEXCEPT;
/** r = a random number below 2^bits ((bits + 7) / 8 bytes of ZLC_Get_Rand, the first shifted
 * right). Statuses: a failing self-test's own, 0x14050049 (null), 0x1405002B (negative bits), 0x1405003B (buffer), or
 * ZLC_Get_Rand's (r then unchanged). */
ZLC_API uint32_t ZLC_Get_Rand_BIGINT(PRNG_UNIT *unit, BIGINT *r, int32_t bits) ZLC_NOEXCEPT;
/** One step without comparison: k = G's value mod q (the whole value when q is null), and
 * XKEY' = (1 + XKEY + k) mod 2^b, as FIPS 186-2 Appendix 3.1 for DSA x and 3.2 for k. Statuses:
 * 0x14030049 (null unit or k), a failing self-test's own, 0x14030057 (no pool), 0x1404004B (no
 * XKEY), 0x1403003B (G or scratch failed), or the status of a failed big-integer operation (a zero
 * q: 0x04100028). */
ZLC_API uint32_t ZLC_Get_Rand_DSA_BIGINT(PRNG_UNIT *unit, BIGINT *k, const BIGINT *q) ZLC_NOEXCEPT;
/** `length` bytes from a temporary SHA-1 unit with generated XKEY and XSEED. Statuses: 0x1406003B
 * (unit), 0x14060025 (proven mode, failing self-test, or seeding failed), 0x1406001D (the draw
 * failed, also for a null output). */
ZLC_API uint32_t ZLC_Rand_Bytes_PRNG(uint8_t *out, int32_t length) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * RSA (RFC 8017): keys, key generation, signatures (RSASSA) and encryption (RSAES)
 *
 * One record serves both signatures and encryption; ZLC_Init_RSASSA or ZLC_Init_RSAES chooses the
 * digest, the encoding and the side (private or public key) the following calls use. k is the
 * modulus length in bytes. Private-key operations are blinded (the blinding pair is squared after
 * every use), use the CRT shortcut when the CRT set is present, and check the result with the
 * public exponent before releasing it.
 * ------------------------------------------------------------------------------------------- */

/* `parts` bits. */
#define ZLC_RSA_PART_N 1
#define ZLC_RSA_PART_E 2
#define ZLC_RSA_PART_D 4
#define ZLC_RSA_PART_CRT 8 /* p, q, dp, dq and qinv */

/* Encoding word: bits 0-7 the encoding, bits 16-23 the PSS salt length (0 means 20), bits 8-15
 * and 24-31 the MGF1 digest identifier (when they name no digest, the message digest is used). */
#define ZLC_RSASSA_RAW 0x00u          /* the digest value itself is exponentiated */
#define ZLC_RSASSA_PKCS1_V15 0x01u
#define ZLC_RSASSA_PSS 0x02u
#define ZLC_RSAES_RAW 0x00u           /* the message is exponentiated unchanged */
#define ZLC_RSAES_OAEP_V20 0x08u      /* OAEP in k - 1 bytes */
#define ZLC_RSAES_OAEP_V21 0x10u      /* OAEP in k bytes with a leading zero byte */
#define ZLC_RSAES_PKCS1_V15 0x20u
#define ZLC_RSA_SALT_LENGTH(n) (((uint32_t)(n) & 0xFFu) << 16)
#define ZLC_RSA_MGF1_MASK 0xFF00FF00u

/* The RSA record. Every integer may be null; `parts` names exactly the parts held. The record owns
 * its integers, digest unit and pool. */
typedef struct ZLC_RSA {
    uint32_t encoding;     /* encoding word */
    int32_t parts;         /* ZLC_RSA_PART_ bits */
    DIGEST_UNIT *digest;   /* message digest (RSASSA); label and default MGF1 digest (RSAES) */
    BIGINT *e;             /* public exponent */
    BIGINT *d;             /* private exponent */
    BIGINT *n;             /* modulus */
    BIGINT *p;             /* first prime (the larger after generation) */
    BIGINT *dp;            /* d mod (p - 1) */
    BIGINT *q;             /* second prime */
    BIGINT *dq;            /* d mod (q - 1) */
    BIGINT *qinv;          /* q^-1 mod p */
    uint32_t private_side; /* 1: operations use the private key; 0: the public key */
    BIGINT_POOL *pool;     /* scratch pool */
    uint32_t use_crt;      /* CRT allowed; 1 from ZLC_New_RSA */
    BIGINT *blind;         /* blinding factor r^e mod n */
    BIGINT *blind_inv;     /* r^-1 mod n */
} ZLC_RSA;

/* The record's own name. OpenSSL's headers name a type RSA too: a translation unit that includes
 * them before this header sees ZLC_RSA only, and one that includes them after it defines
 * ZLC_NO_RSA_TYPEDEF first. */
#if !defined(ZLC_NO_RSA_TYPEDEF) && !defined(OPENSSL_TYPES_H) && !defined(HEADER_OSSL_TYP_H)
typedef ZLC_RSA RSA;
#endif

/** A zeroed record with a new pool (null pool when it cannot be made) and CRT allowed; null when
 * memory runs out. Release it with ZLC_Free_RSA. */
ZLC_API ZLC_RSA *ZLC_New_RSA(void) ZLC_NOEXCEPT;
/** Cleans the record, clears and releases its pool and releases it. Null is ignored. */
ZLC_API void ZLC_Free_RSA(ZLC_RSA *rsa) ZLC_NOEXCEPT;
/** Wipes and releases every key integer, the blinding pair and the digest unit; `parts` becomes 0.
 * The encoding word, the side, the CRT flag and the pool stay. Null is ignored. */
ZLC_API void ZLC_Clean_RSA(ZLC_RSA *rsa) ZLC_NOEXCEPT;
/** A new record (with a pool of its own) holding copies of the key, the encoding word, the side
 * and the CRT flag; the digest unit is not copied (initialise the copy before use) and blinding is
 * set up anew on first use. Null for a null argument or when memory runs out. */
ZLC_API ZLC_RSA *ZLC_Dup_RSA(const ZLC_RSA *rsa) ZLC_NOEXCEPT;
/** Replaces the key by copies of the given parts: n always, e and d when given, the CRT set only
 * when all five of p, q, dp, dq and qinv are given. A private part needs e (for blinding, which is
 * set up at once). Statuses: a failing self-test's own, 0x18010049 (null record), 0x1801002B (no
 * n), 0x18010059 (a private part without e, a copy or the blinding set-up failed; the record is
 * then left without a key). */
ZLC_API uint32_t ZLC_Set_RSA_Params(ZLC_RSA *rsa, const BIGINT *n, const BIGINT *e, const BIGINT *d,
                                    const BIGINT *p, const BIGINT *q, const BIGINT *dp,
                                    const BIGINT *dq, const BIGINT *qinv) ZLC_NOEXCEPT;
/** Replaces the key by copies of n and e and selects the public side. Statuses: a failing
 * self-test's own, 0x1802002B (null record, n or e), 0x18020059 (a copy failed). */
ZLC_API uint32_t ZLC_Set_RSA_Public_Params(ZLC_RSA *rsa, const BIGINT *n, const BIGINT *e) ZLC_NOEXCEPT;
/** k, the modulus length in bytes; 0 without a modulus or when the self-test gate fails. */
ZLC_API int32_t ZLC_Get_RSA_Length(const ZLC_RSA *rsa) ZLC_NOEXCEPT;

/** Prepares the record for signatures: the digest unit is (re)initialised with `digest_id` (its top
 * four bits cleared), the encoding word stored (with the MGF1 default) and the side selected
 * (`private_side` 1 signs, 0 verifies). Statuses: a failing self-test's own, 0x18030049 (null
 * record), 0x180300F0 / 0x18030048 (proven mode: PKCS #1 v1.5, a digest other than SHA-224 or
 * SHA-256, a modulus below 256 bytes), 0x18030023 (the unit could not be made or re-initialised),
 * 0x18030059 (a new unit could not be initialised). */
ZLC_API uint32_t ZLC_Init_RSASSA(ZLC_RSA *rsa, uint32_t digest_id, uint32_t encoding,
                                 uint32_t private_side) ZLC_NOEXCEPT;
/** Feeds `length` bytes of the message to the digest. 0x18040049 (null record or data, no unit),
 * 0x18040059 (the digest failed, negative length included). */
ZLC_API uint32_t ZLC_Update_RSASSA(ZLC_RSA *rsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/** Finishes the message. Signing writes k bytes to `signature` (which must have room for k) and
 * sets *length to k. Verifying reads *length bytes (at most k; shorter signatures are read as
 * numbers). The digest is ready for the next message afterwards.
 * Statuses: 0x18050049 (null argument), 0x18050048 (proven mode, modulus below 256 bytes),
 * 0x18050045 / 0x18050046 (the private / public key is missing); signing: 0x1806003A, 0x18060059,
 * 0x180600F0, 0x1806002A (encoding byte), 0x18060012 (encoding failed), 0x1806003D (value not below
 * n), 0x1806002E (inconsistent key), 0x18060054 (zero signature); verification: 0x1807003A,
 * 0x18070059, 0x180700F0, 0x1807002B (empty or longer than k, PKCS #1 v1.5 mismatch), 0x18070055
 * (signature not below n), 0x1807000E (raw mismatch or encoding byte), 0x18100059 (PSS
 * inconsistent) or another status of the PSS check. */
ZLC_API uint32_t ZLC_Final_RSASSA(ZLC_RSA *rsa, uint8_t *signature, int32_t *length) ZLC_NOEXCEPT;

/** Prepares the record for encryption: encoding (ZLC_RSAES_ values, with the MGF1 digest bits),
 * side (1 private, 0 public) and the OAEP digest (0 selects SHA-1). Statuses: a failing self-test's
 * own, 0x18080049 (null record), 0x18080048 / 0x180800F0 (proven mode: modulus below 256 bytes,
 * raw or PKCS #1 v1.5), 0x18080059 (the digest unit could not be made or initialised). */
ZLC_API uint32_t ZLC_Init_RSAES(ZLC_RSA *rsa, uint32_t encoding, uint32_t private_side,
                                uint32_t digest_id) ZLC_NOEXCEPT;
/** Encrypts `in_length` bytes into k bytes of `out` (which must have room for k); *out_length
 * (optional) becomes k. The private side (PKCS #1 v1.5 block type 1, or raw) is blinded like a
 * signature. Statuses: 0x18090049 (null record or output), 0x1809002B (null input, negative length,
 * input too long), 0x18090045 / 0x18090046 (key part missing), 0x18090048 / 0x180900F0 (proven
 * mode), 0x1809003A (scratch), 0x18090033 (encoding byte), 0x18090012 (encoding failed),
 * 0x1809003D (value not below n), 0x18090059 (an inner step failed). */
ZLC_API uint32_t ZLC_Encrypt_RSAES(ZLC_RSA *rsa, uint8_t *out, int32_t *out_length, const uint8_t *in,
                                   int32_t in_length) ZLC_NOEXCEPT;
/** Decrypts `in_length` bytes (at most k; shorter inputs are read as numbers) into `out`, which
 * must have room for `in_length` bytes; *out_length (optional) becomes the message length.
 * Statuses: 0x180A0049 (null record, input or output), 0x180A002B (negative length), 0x180A0045 /
 * 0x180A0046 (key part missing), 0x180A0048 / 0x180A00F0 (proven mode), 0x180A003A (scratch),
 * 0x180A003D (value not below n), 0x180A002E (inconsistent key), 0x180A0059 (an inner step failed),
 * 0x180A000E (input longer than k, decoding failed, empty result, result longer than `in_length`,
 * encoding byte). */
ZLC_API uint32_t ZLC_Decrypt_RSAES(ZLC_RSA *rsa, uint8_t *out, int32_t *out_length, const uint8_t *in,
                                   int32_t in_length) ZLC_NOEXCEPT;

/** Generates a key of exactly `bits` bits with public exponent `e` (an odd prime) from the DRBG:
 * p and q of (bits + 1) / 2 and bits / 2 bits, p > q, gcd(p - 1, e) = gcd(q - 1, e) = 1; `type` 1
 * computes d modulo (p - 1)(q - 1), 2 modulo lcm(p - 1, q - 1). A pairwise test (OAEP v2.0 with
 * SHA-256, so at least 545 bits) encrypts and decrypts three bytes; the record is left initialised
 * for it, on the private side. Statuses: a failing self-test's own, 0x180B002B (bad argument: null
 * record or e, bits below 8, type), 0x180B0048 (proven mode, bits below 2048), 0x180B001B,
 * 0x180B003A, 0x180B0036 (e not an odd prime), 0x180B0038 (the pairwise test, or a draw, failed),
 * 0x180B0067 (the pairwise test gave a different message), or a prime generation or arithmetic
 * status. A failed generation leaves the record without a key. */
ZLC_API uint32_t ZLC_Generate_RSA_Params_Ex(ZLC_RSA *rsa, const BIGINT *e, int32_t bits,
                                            int32_t type) ZLC_NOEXCEPT;
/** As ZLC_Generate_RSA_Params_Ex with primes and tests from the PRNG (SHA-1; refused in proven mode
 * by the prime functions) and SHA-1 for the pairwise test (so at least 353 bits); statuses
 * 0x180Cxxxx. */
ZLC_API uint32_t ZLC_Generate_RSA_Params(ZLC_RSA *rsa, const BIGINT *e, int32_t bits,
                                         int32_t type) ZLC_NOEXCEPT;

/* RSA encodings, usable on their own. The em argument of every checker and decoder is the
 * integer's big-endian bytes without leading zero bytes; they restore the zeros themselves. */

/** EMSA-PKCS1-v1_5 (RFC 8017 9.2): writes emLen bytes 00 01 FF..FF 00 DigestInfo-prefix hash.
 * Prefixes exist for MD5, SHA-1, SHA-256, SHA-384 and SHA-512. Returns 0, -1 (no prefix for the
 * digest, null or negative argument) or 43 (emLen below the prefix + hLen + 11). */
ZLC_API int32_t ZLC_Add_EMSA_PKCS1_v1_5_Encode(uint8_t *out, int32_t em_length, const uint8_t *hash,
                                               int32_t hash_length, uint32_t digest_id) ZLC_NOEXCEPT;
/** Compares em with the k-byte EMSA-PKCS1-v1_5 encoding of the hash without its leading zero byte
 * (so em must have exactly k - 1 bytes). Returns 0 (match), 1 (em null or empty), 0x180D003A (no
 * memory), 0x180D0012 (the expected encoding cannot be built) or 0x180D000C (mismatch). */
ZLC_API uint32_t ZLC_Check_EMSA_PKCS1_v1_5_Encode(const uint8_t *em, int32_t em_length, int32_t k,
                                                  const uint8_t *hash, int32_t hash_length,
                                                  uint32_t digest_id) ZLC_NOEXCEPT;
/** EMSA-PSS-ENCODE (RFC 8017 9.1.1) for the record's modulus into k bytes of out (a leading zero
 * when the modulus bit length is 1 mod 8): the salt (salt_length bytes) from the DRBG, H over
 * the eight zero bytes, mHash and the salt with `digest` (re-initialised), MGF1 with the record's
 * MGF1 digest, trailer 0xBC. Statuses: 0x180F002B (null argument, no modulus, k below the modulus
 * length, negative salt length, or the encoded message too short for the hash and salt),
 * 0x180F003B (no memory), 0x180F0059 (MGF1 failed), or the status of the DRBG or the digest. */
ZLC_API uint32_t ZLC_Add_RSASSA_PKCS1_PSS_Encode(const ZLC_RSA *rsa, uint8_t *out, int32_t k,
                                                 const uint8_t *m_hash, int32_t hash_length,
                                                 int32_t salt_length, DIGEST_UNIT *digest) ZLC_NOEXCEPT;
/** EMSA-PSS-VERIFY (RFC 8017 9.1.2) of em (at most k bytes) against mHash; a negative salt length
 * accepts any salt length, otherwise the salt must have exactly that many bytes. Statuses: 0
 * (consistent), 0x18100049 (null argument or no modulus), 0x1810003B (no memory), 0x18100059
 * (inconsistent), or a digest status. */
ZLC_API uint32_t ZLC_Check_RSASSA_PKCS1_PSS_Encode(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                                   const uint8_t *m_hash, int32_t hash_length,
                                                   int32_t salt_length, DIGEST_UNIT *digest) ZLC_NOEXCEPT;
/** EME-OAEP encoding (RFC 8017 7.1.1) with the record's digest unit (lHash, hLen) and MGF1 digest:
 * layout 0 writes k - 1 bytes (maskedSeed, maskedDB), layout 1 k bytes (00, maskedSeed, maskedDB).
 * The whole capacity is zeroed first. Returns the encoded length, or -1 (null argument, message
 * longer than k - 2 hLen - 2, capacity below the encoded length, DRBG or digest failure). */
ZLC_API int32_t ZLC_Encode_RSAES_OAEP_PADDING(const ZLC_RSA *rsa, const uint8_t *message, int32_t message_length,
                                              uint8_t *out, int32_t out_capacity, const uint8_t *label,
                                              int32_t label_length, int32_t layout) ZLC_NOEXCEPT;
/** EME-OAEP decoding of em in the given layout; the checks run over the whole block without
 * branching on its contents. Returns the message length (copied to out), or 0 for every failure,
 * a message longer than `out_capacity` included. */
ZLC_API int32_t ZLC_Decode_RSAES_OAEP_PADDING(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                              uint8_t *out, int32_t out_capacity, const uint8_t *label,
                                              int32_t label_length, int32_t layout) ZLC_NOEXCEPT;
/** PKCS #1 v1.5 encryption padding (RFC 8017 7.2.1) into k bytes: 00, block type (1 with FF bytes
 * on the private side, 2 with random non-zero bytes on the public side), at least 8 padding bytes,
 * 00, the message. Returns k, or 0 (null argument, message longer than k - 11, DRBG failure). */
ZLC_API int32_t ZLC_Encode_RSAES_PKCS1_PADDING(const ZLC_RSA *rsa, const uint8_t *message, int32_t message_length,
                                               uint8_t *out, int32_t k) ZLC_NOEXCEPT;
/** PKCS #1 v1.5 decoding of em, which must hold the k - 1 bytes after the leading zero: block type
 * 1 or 2 (either side), at least 8 padding bytes up to the first zero byte (their contents are not
 * checked), then the message; the separator is found without branching on the contents. Returns
 * the message length (copied to out), or 0 for every failure, a message longer than
 * `out_capacity` included. */
ZLC_API int32_t ZLC_Decode_RSAES_PKCS1_PADDING(const ZLC_RSA *rsa, const uint8_t *em, int32_t em_length,
                                               uint8_t *out, int32_t out_capacity) ZLC_NOEXCEPT;


/* ---------------------------------------------------------------------------------------------
 * DSA: FIPS 186-2 signatures, parameters from a 20-byte SEED and a counter
 *
 * Not available in proven mode. Randomness comes from the record's PRNG unit: x and k as FIPS
 * 186-2 Appendix 3.1 and 3.2 with XKEY = x (at least 20 bytes). With a caller seed (Init), k is
 * derived from x and SHA-1(seed || H(M)), so it is reproducible for a message and differs between
 * messages; without one, the PRNG's XSEED comes from the process-wide seed pool. Statuses: module
 * 0x0C; operations 0x01 Set_Params, 0x02 Init, 0x03 Update, 0x04 Final, 0x05 signing,
 * 0x06 verification, 0x07 Generate_Params, 0x08 Generate_Key_Pair.
 * ------------------------------------------------------------------------------------------- */

/* A DSA record. Fields are read-only to callers; the record owns everything it points to. */
typedef struct ZLC_DSA {
    DIGEST_UNIT *digest;   /* message digest */
    PRNG_UNIT *prng;       /* source of x and k */
    uint8_t *seed;         /* caller seed material for signing, or null */
    int32_t seed_length;   /* its length in bytes */
    BIGINT *p;             /* prime modulus */
    BIGINT *q;             /* prime divisor of p - 1 */
    BIGINT *g;             /* generator of order q */
    BIGINT *y;             /* public key g^x mod p */
    BIGINT *x;             /* private key, 0 < x < q */
    BIGINT_POOL *pool;     /* scratch pool */
    uint32_t sign;         /* 1 sign, 0 verify */
} ZLC_DSA;

/* The record's own name. OpenSSL's headers name a type DSA too: a translation unit that includes
 * them before this header sees ZLC_DSA only, and one that includes them after it defines
 * ZLC_NO_DSA_TYPEDEF first. */
#if !defined(ZLC_NO_DSA_TYPEDEF) && !defined(OPENSSL_TYPES_H) && !defined(HEADER_OSSL_TYP_H)
typedef ZLC_DSA DSA;
#endif

#define ZLC_DSA_SIGN_FAILED 0x0C040053u   /* Final: signing failed */
#define ZLC_DSA_VERIFY_FAILED 0x0C04005Du /* Final: the signature does not verify (or could not be checked) */

/** A zeroed record with a new pool and an empty PRNG unit; null when memory runs out. Release it
 * with ZLC_Free_DSA. */
ZLC_API ZLC_DSA *ZLC_New_DSA(void) ZLC_NOEXCEPT;
/** Cleans and releases the record; null is ignored. */
ZLC_API void ZLC_Free_DSA(ZLC_DSA *dsa) ZLC_NOEXCEPT;
/** Wipes and releases everything the record holds (pool, PRNG unit and seed included) and zeroes
 * it; null is ignored. */
ZLC_API void ZLC_Clean_DSA(ZLC_DSA *dsa) ZLC_NOEXCEPT;

/** Empties the record, then stores copies of p, q, g and y, and of x when given; the caller keeps
 * its integers, which may be the record's own. On a failure the record is left as it was.
 * Statuses: a failing self-test's own, 0x0C010049 (null record), 0x0C01002B (p, q, g or y missing),
 * 0x0C01003B (memory). */
ZLC_API uint32_t ZLC_Set_DSA_Params(ZLC_DSA *dsa, const BIGINT *p, const BIGINT *q, const BIGINT *g,
                                    const BIGINT *x, const BIGINT *y) ZLC_NOEXCEPT;
/** Prepares the record to sign (`sign` 1) or verify (0) one message with `digest_id`, keeping a copy
 * of `seed` (`seed_length` bytes; null or a length of 0 or less for none). Statuses: 0x0C0200F0
 * (proven mode), a failing self-test's own, 0x0C020049 (null record), 0x0C02003B (memory),
 * 0x0C020022 (the digest could not be initialised). */
ZLC_API uint32_t ZLC_Init_DSA(ZLC_DSA *dsa, uint32_t digest_id, uint32_t sign, const uint8_t *seed,
                              int32_t seed_length) ZLC_NOEXCEPT;
/** Feeds `length` bytes of the message. Statuses: 0x0C030049 (null record), 0x0C03005B (no digest
 * unit, null data, negative length, or the digest failed). */
ZLC_API uint32_t ZLC_Update_DSA(ZLC_DSA *dsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/** Signing writes r and s big-endian without leading zeros (each at most the byte length of q) and
 * their lengths. Verifying reads *r_length and *s_length bytes (leading zeros allowed) and returns 0
 * for a valid signature (0 < r, s < q). Statuses: 0x0C040049 (null argument), 0x0C040045 (signing
 * without x), ZLC_DSA_SIGN_FAILED, ZLC_DSA_VERIFY_FAILED. */
ZLC_API uint32_t ZLC_Final_DSA(ZLC_DSA *dsa, uint8_t *r, int32_t *r_length, uint8_t *s,
                               int32_t *s_length) ZLC_NOEXCEPT;
/** Generates p, q and g as FIPS 186-2 Appendix 2.2 with `digest_id` for SHA-1: p of `pbits` rounded
 * up to a multiple of 64 (at least 512), q of the digest's length, g = h^((p-1)/q) mod p for the
 * least h from 2. `seed` is null (SEEDs drawn from a PRNG unit made for the call) or 20 bytes.
 * Statuses: a failing self-test's own, 0x0C070049 (null record), 0x0C070059 (a digest without a
 * length or one of at least pbits bits, a failed primality test), 0x0C070057 (no pool), 0x0C07001B,
 * 0x0C07003A, 0x0C070039, 0x0C070025 (the PRNG unit: proven mode), 0x0C070022, 0x0C07001D,
 * 0x0C07005B, 0x0C070018, 0x0C070036 (the given seed gives no prime q, or no p within 4096
 * counters), and arithmetic statuses 0x0C0700xx. */
ZLC_API uint32_t ZLC_Generate_DSA_Params(ZLC_DSA *dsa, uint32_t digest_id, int32_t pbits,
                                         const uint8_t *seed) ZLC_NOEXCEPT;
/** Generates x and y = g^x mod p for the record's p, q and g (a PRNG unit is made when the record
 * has none). Once x is being drawn, a failure leaves the record without x and y. Statuses: a
 * failing self-test's own, 0x0C080049 (null record, or p, q or g missing), 0x0C08003C (memory),
 * 0x0C080025 (the PRNG unit cannot be initialised: proven mode), 0x0C08001C, 0x0C080040. */
ZLC_API uint32_t ZLC_Generate_DSA_Key_Pair(ZLC_DSA *dsa) ZLC_NOEXCEPT;

/* ---------------------------------------------------------------------------------------------
 * KCDSA: TTAK.KO-12.0001/R4 signatures over a prime-order subgroup
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
 * ------------------------------------------------------------------------------------------- */

/* A KCDSA record. Fields are read-only to callers; the record owns everything it points to. */
typedef struct KCDSA {
    DIGEST_UNIT *digest;       /* hashes z || message and W */
    PRNG_UNIT *prng;           /* randomness of the plain operations */
    BIGINT *p;                 /* prime modulus */
    BIGINT *q;                 /* prime order of g, a divisor of p - 1 */
    BIGINT *g;                 /* generator of the order-q subgroup */
    BIGINT *x;                 /* private key, 0 < x < q */
    BIGINT *y;                 /* public key g^(x^-1 mod q) mod p */
    BIGINT *z;                 /* y mod 2^(8 B); made by the first Update after y or the digest changes */
    BIGINT *J;                 /* (p - 1) / 2q */
    int32_t count;             /* Count at which parameter generation succeeded; 0 for a stored set */
    uint8_t *seed;             /* Seed || Count (4 bytes, big-endian) of the last _Ex generation */
    int32_t seed_length;       /* Seed bytes, qbits / 8 */
    uint32_t sign;             /* 1 sign, 0 verify */
    BIGINT_POOL *pool;         /* scratch pool */
    BIGINT *xkey;              /* XKEY of the last random number */
    BIGINT *xseed;             /* XSEED of the last random number */
    uint8_t *rand_seed;        /* the 160 bytes XSEED was expanded from */
    uint32_t rand_seed_length; /* 160 */
    BIGINT *h;                 /* the value g was derived from, g = h^(2J) mod p */
} KCDSA;

#define ZLC_KCDSA_VERIFY_FAILED 0x100C005Eu /* the signature does not match */

/** A zeroed record with a new pool and an empty PRNG unit; null when memory runs out. Release it
 * with ZLC_Free_KCDSA. */
ZLC_API KCDSA *ZLC_New_KCDSA(void) ZLC_NOEXCEPT;
/** Cleans and releases the record; null is ignored. */
ZLC_API void ZLC_Free_KCDSA(KCDSA *kcdsa) ZLC_NOEXCEPT;
/** Wipes and releases every integer, buffer and unit of the record and its pool, and zeroes it;
 * null is ignored. */
ZLC_API void ZLC_Clean_KCDSA(KCDSA *kcdsa) ZLC_NOEXCEPT;

/** Empties the record, then stores copies of p, q and g, and of x and y when given; with x and no y,
 * y is computed from x. The caller keeps its integers, which may be the record's own. On a failure
 * the record is left as it was. Statuses: a failing self-test's own, 0x10060049 (null record),
 * 0x1006002B (p, q or g missing), 0x1006003B (memory), 0x10060059 (x has no inverse mod q), or the
 * exponentiation's status. */
ZLC_API uint32_t ZLC_Set_KCDSA_Params(KCDSA *kcdsa, const BIGINT *p, const BIGINT *q, const BIGINT *g,
                                      const BIGINT *x, const BIGINT *y) ZLC_NOEXCEPT;

/** Prepares the record to sign (`sign` 1) or verify (0) one message with `digest_id`; the digest
 * unit is initialised afresh (data of an unfinished message is dropped). Statuses: 0x10070049 (null
 * record), a failing self-test's own; in proven mode 0x10070048 (signing with x shorter than 27
 * bytes, verifying with y shorter than 255 bytes) and 0x100700F0 (a digest other than SHA-224 or
 * SHA-256); 0x1007003B (memory), 0x10070022 (the digest could not be initialised). */
ZLC_API uint32_t ZLC_Init_KCDSA_Ex(KCDSA *kcdsa, uint32_t sign, uint32_t digest_id) ZLC_NOEXCEPT;
/** As ZLC_Init_KCDSA_Ex with HAS-160; also gives the record an initialised PRNG unit. Statuses:
 * 0x10080049, a failing self-test's own, 0x1008003B, 0x10080022, or ZLC_Init_PRNG's (proven mode
 * 0x140100F0). */
ZLC_API uint32_t ZLC_Init_KCDSA(KCDSA *kcdsa, uint32_t sign) ZLC_NOEXCEPT;
/** Feeds z, then `length` bytes of `data`, to the digest: a message must be given in one call to
 * hash as z || M. Statuses: 0x10090049 (null record, no digest unit, null data, length 0 or less),
 * 0x10090059 (no y), 0x10090058 (z is zero), 0x1009003A (memory), 0x1009005B (the digest failed). */
ZLC_API uint32_t ZLC_Update_KCDSA(KCDSA *kcdsa, const uint8_t *data, int32_t length) ZLC_NOEXCEPT;
/** Signing writes R (the digest length, or the byte length of q when the digest is longer) and S
 * (ZLC_Get_KCDSA_Length bytes, left-padded with zeros) and their lengths; the buffers must have that
 * room. Verifying reads *R_length and *S_length bytes and returns 0 for a valid signature. The digest
 * unit is then ready for the next message. Statuses: 0x100A0049 (null argument), 0x100A0048 (in
 * proven mode, x shorter than 27 or y shorter than 255 bytes); signing 0x100B0049 (p, q, g, x or the
 * digest missing), 0x100B0018, 0x100B001B, 0x100B001D, 0x100B0040, 0x100B0022, 0x100B005B,
 * 0x100B0005, 0x100B0042; verifying 0x100C0049, 0x100C0018, 0x100C0059, 0x100C001B, 0x100C0005,
 * 0x100C0037 (S is zero), 0x100C000B (S is q or more), 0x100C0040, 0x100C003F, 0x100C0022,
 * 0x100C005B, and ZLC_KCDSA_VERIFY_FAILED. */
ZLC_API uint32_t ZLC_Final_KCDSA(KCDSA *kcdsa, uint8_t *R, int32_t *R_length, uint8_t *S,
                                 int32_t *S_length) ZLC_NOEXCEPT;

/** Generates p, q and g with a `pbits`-bit p and a `qbits`-bit q (TTAK.KO-12.0001/R4 Appendix I,
 * Seed and Count from the DRBG, expansion with `digest_id`). Sizes: 1024..2048 and 160..256, with
 * qbits 160 for pbits 1024 and 224 or 256 for pbits 2048 (else 0x10010048); proven mode takes only
 * 2048 with 224 or 256 (0x100100F0). Outside proven mode a search gives up after 500 Counts: for
 * (1024,160), (2048,224) and (2048,256) a built-in set of those sizes is chosen instead (count 0,
 * no seed or h), for other sizes a new Seed is drawn. p, q, g, J, h, count and seed replace the
 * record's. Statuses: a failing self-test's own, 0x10010049, 0x10010048, 0x100100F0, 0x1001003C,
 * 0x1001004E, 0x1001001D, 0x10010036 (a primality test failed or a built-in set is not prime),
 * 0x10010005, 0x10010059, 0x10010044, 0x10010039, 0x10010040. */
ZLC_API uint32_t ZLC_Generate_KCDSA_Params_Ex(KCDSA *kcdsa, uint32_t digest_id, int32_t pbits,
                                              int32_t qbits) ZLC_NOEXCEPT;
/** As ZLC_Generate_KCDSA_Params_Ex with HAS-160 and the record's PRNG unit; pbits a multiple of 256 in
 * 1024..2048, qbits a multiple of 32 in 160..256 (else 0x10020048). The seed is not kept. Statuses
 * with operation 0x02; 0x10020025 when the PRNG unit is missing or cannot be initialised. */
ZLC_API uint32_t ZLC_Generate_KCDSA_Params(KCDSA *kcdsa, int32_t pbits, int32_t qbits) ZLC_NOEXCEPT;

/** Generates x and y for the record's p, q and g with randomness from the DRBG and `digest_id`,
 * then signs and verifies 01 02 03 with `digest_id` (the record stays initialised to verify).
 * Once x is being drawn, a failure (the pairwise test's included) leaves the record without x, y
 * and z. Statuses: 0x10040049, 0x10040057 (no pool), a failing self-test's own, 0x1004003B,
 * 0x1004001D, 0x1004001B, 0x10040041, 0x10040040, 0x10040059, 0x10040038 (the pairwise test could
 * not run), 0x10040067 (its signature did not verify). */
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair_Ex(KCDSA *kcdsa, uint32_t digest_id) ZLC_NOEXCEPT;
/** As ZLC_Generate_KCDSA_Key_Pair_Ex with x from the record's PRNG unit (initialised for HAS-160
 * when it is not) and the pairwise test through ZLC_Init_KCDSA. Statuses with operation 0x05;
 * 0x041B0049 when the record has no pool, 0x10050025 when the PRNG unit cannot be initialised. */
ZLC_API uint32_t ZLC_Generate_KCDSA_Key_Pair(KCDSA *kcdsa) ZLC_NOEXCEPT;

/** The byte length of q (the S length); 0 for a null record, no q, or a failing self-test. */
ZLC_API int32_t ZLC_Get_KCDSA_Length(const KCDSA *kcdsa) ZLC_NOEXCEPT;


/* ---------------------------------------------------------------------------------------------
 * Elliptic-curve containers: points, curve domain parameters and keys as records of integers.
 * The library computes nothing on a curve; callers fill the records and hand them on. Each record
 * owns what its fields point to; integers are released wiped.
 * ------------------------------------------------------------------------------------------- */

/* A point in affine coordinates; either coordinate may be null. */
typedef struct ECPOINT {
    BIGINT *x;
    BIGINT *y;
} ECPOINT;

#define ZLC_ECURVE_NAME_SIZE 32

/* Curve domain parameters. */
typedef struct ECURVE {
    int32_t curve_id;                 /* chosen by the caller */
    BIGINT *p;                        /* field prime */
    BIGINT *a;                        /* coefficient a */
    BIGINT *b;                        /* coefficient b */
    ECPOINT *generator;               /* base point */
    BIGINT *order;                    /* order of the base point */
    char name[ZLC_ECURVE_NAME_SIZE];  /* zero-terminated, at most 31 characters */
} ECURVE;

/* A curve key. */
typedef struct ECC_Key {
    ECURVE *curve;
    ECPOINT *public_point;
    BIGINT *private_scalar; /* may be null */
    uint32_t reserved;      /* zero */
} ECC_Key;

/** A point with both coordinates null, or null when memory runs out. Release it with
 * ZLC_Free_ECPOINT. */
ZLC_API ECPOINT *ZLC_New_ECPOINT(void) ZLC_NOEXCEPT;
/** Frees both coordinates (wiped) and sets them to null; null is ignored. */
ZLC_API void ZLC_Clean_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;
/** Cleans and releases the point; null is ignored. */
ZLC_API void ZLC_Free_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;
/** Sets both coordinates to zero, each a record with one word of storage: a missing coordinate is
 * made, an existing one emptied first. Null is ignored; when memory runs out a coordinate may stay
 * null. */
ZLC_API void ZLC_Zero_Value_ECPOINT(ECPOINT *point) ZLC_NOEXCEPT;

/** A zeroed curve with an empty generator point, or null when memory runs out. Release it with
 * ZLC_Free_ECURVE. */
ZLC_API ECURVE *ZLC_New_ECURVE(void) ZLC_NOEXCEPT;
/** Frees p, a, b and the order, releases the generator point and zeroes the whole record
 * (identifier and name included); null is ignored. */
ZLC_API void ZLC_Clean_ECURVE(ECURVE *curve) ZLC_NOEXCEPT;
/** Cleans and releases the curve; null is ignored. */
ZLC_API void ZLC_Free_ECURVE(ECURVE *curve) ZLC_NOEXCEPT;
/** Stores `curve_id`, and copies of every argument that is not null: the name (at most 31
 * characters, the field cleared first), the integers (a missing record is made) and the
 * coordinates present in `generator` (the curve's generator point is made when missing). Null
 * arguments leave their fields as they are; the caller keeps its own records. Returns 0, or 1 when
 * the curve is null or a copy fails. */
ZLC_API uint32_t ZLC_Set_ECURVE_Params(ECURVE *curve, int32_t curve_id, const char *name, const BIGINT *p,
                                       const BIGINT *a, const BIGINT *b, const ECPOINT *generator,
                                       const BIGINT *order) ZLC_NOEXCEPT;

/** A zeroed key, or null when memory runs out. Release it with ZLC_Free_ECC_Key. */
ZLC_API ECC_Key *ZLC_New_ECC_Key(void) ZLC_NOEXCEPT;
/** Releases the curve and the public point (each cleaned), frees the private scalar (wiped) and
 * zeroes the key; null is ignored. */
ZLC_API void ZLC_Clean_ECC_Key(ECC_Key *key) ZLC_NOEXCEPT;
/** Cleans and releases the key; null is ignored. */
ZLC_API void ZLC_Free_ECC_Key(ECC_Key *key) ZLC_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* ZLC_H */
