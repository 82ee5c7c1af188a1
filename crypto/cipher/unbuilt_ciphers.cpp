// Descriptors of the cipher families that this build does not implement yet. Each family's own
// source replaces its line here when it lands.
#include "crypto/cipher/block_cipher_ops.h"

namespace zlc::cipher {

const BlockCipherOps kRc5Ops{Module::Rc5, 8, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

const BlockCipherOps kBlowfishOps{Module::Blowfish, 8, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

const BlockCipherOps kRc2Ops{Module::Rc2, 8, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

}  // namespace zlc::cipher
