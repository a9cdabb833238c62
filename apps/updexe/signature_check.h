// Whether an update package comes from Zorwise: its manifest signed with the private half of the
// RSA key built into Updexe (PKCS#1 v1.5 over SHA-1, the strongest digest the crypto provider of
// Windows 2000 verifies; the manifest itself holds each file's SHA-256). The platform's provider
// checks it: CryptoAPI on Windows, OpenSSL elsewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

struct RsaPublicKey {
  std::vector<uint8_t> modulus;  // big-endian
  uint32_t exponent = 0;
};

// The key built in (apps/updexe/CMakeLists.txt, ZOR_UPDATE_PUBLIC_KEY); empty when its text is
// not a key.
RsaPublicKey BuiltInUpdateKey();
// Hex digits, most significant first, as "openssl rsa -modulus" prints them.
RsaPublicKey ParseRsaPublicKey(std::string_view modulusHex, uint32_t exponent);

class SignatureCheck {
 public:
  virtual ~SignatureCheck() = default;
  // signature: as OpenSSL writes it, big-endian, as long as the modulus.
  virtual bool Verify(std::string_view data, std::string_view signature) = 0;
};

std::unique_ptr<SignatureCheck> SystemSignatureCheck(const RsaPublicKey& key);

}  // namespace zor
