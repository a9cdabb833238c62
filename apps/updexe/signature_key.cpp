#include "apps/updexe/signature_check.h"

namespace zor {

namespace {

#include "update_public_key.inc"

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

RsaPublicKey ParseRsaPublicKey(std::string_view hex, uint32_t exponent) {
  RsaPublicKey key;
  if (hex.empty() || hex.size() % 2 != 0 || exponent < 3) return key;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return RsaPublicKey();
    key.modulus.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  while (!key.modulus.empty() && key.modulus.front() == 0) key.modulus.erase(key.modulus.begin());
  key.exponent = exponent;
  return key;
}

RsaPublicKey BuiltInUpdateKey() { return ParseRsaPublicKey(kUpdateKeyModulus, kUpdateKeyExponent); }

}  // namespace zor
