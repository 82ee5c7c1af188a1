#pragma once
// Test-only cipher descriptors backed by OpenSSL's ECB/CBC/CTR primitives (AES with 16/24/32-byte
// keys, triple DES with 16/24-byte keys), and a scope that lends one to a cipher family. They let
// the mode engine be checked against published mode vectors and against OpenSSL's own modes
// independently of the library's cipher implementations.
#include "crypto/cipher/block_cipher.h"

namespace zlc::test {

// AES with the CBC and CTR fast paths, and without them (the engine's generic paths).
extern const cipher::BlockCipherOps kEvpAesOps;
extern const cipher::BlockCipherOps kEvpAesGenericOps;
// Triple DES (8-byte block), generic paths only.
extern const cipher::BlockCipherOps kEvpTdesOps;

class FamilyOpsScope {
  public:
    // `family` is the family's own descriptor (cipher::kAesOps, ...).
    FamilyOpsScope(const cipher::BlockCipherOps& family, const cipher::BlockCipherOps& ops)
        : family_(family), saved_(cipher::replace_family_ops(family, &ops)) {}
    ~FamilyOpsScope() { cipher::replace_family_ops(family_, saved_); }
    FamilyOpsScope(const FamilyOpsScope&) = delete;
    FamilyOpsScope& operator=(const FamilyOpsScope&) = delete;

  private:
    const cipher::BlockCipherOps& family_;
    const cipher::BlockCipherOps* saved_;
};

}  // namespace zlc::test
