// The check by CryptoAPI's base RSA provider, present since Windows 2000.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <vector>

#include "apps/updexe/signature_check.h"

namespace zor {

namespace {

class CryptoApiCheck : public SignatureCheck {
 public:
  explicit CryptoApiCheck(const RsaPublicKey& key) : m_key(key) {}

  bool Verify(std::string_view data, std::string_view signature) override {
    if (m_key.modulus.empty() || signature.size() != m_key.modulus.size()) return false;
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return false;
    bool valid = false;
    HCRYPTKEY key = 0;
    HCRYPTHASH hash = 0;
    // CryptoAPI takes the modulus and the signature least significant byte first.
    std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(RSAPUBKEY));
    BLOBHEADER header = {PUBLICKEYBLOB, CUR_BLOB_VERSION, 0, CALG_RSA_SIGN};
    RSAPUBKEY rsa = {0x31415352, static_cast<DWORD>(m_key.modulus.size() * 8), m_key.exponent};  // "RSA1"
    std::copy_n(reinterpret_cast<const BYTE*>(&header), sizeof header, blob.begin());
    std::copy_n(reinterpret_cast<const BYTE*>(&rsa), sizeof rsa, blob.begin() + sizeof header);
    blob.insert(blob.end(), m_key.modulus.rbegin(), m_key.modulus.rend());
    std::vector<BYTE> reversed(signature.rbegin(), signature.rend());
    if (CryptImportKey(provider, blob.data(), static_cast<DWORD>(blob.size()), 0, 0, &key) &&
        CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()), 0)) {
      valid = CryptVerifySignatureA(hash, reversed.data(), static_cast<DWORD>(reversed.size()), key, nullptr, 0) !=
              FALSE;
    }
    if (hash) CryptDestroyHash(hash);
    if (key) CryptDestroyKey(key);
    CryptReleaseContext(provider, 0);
    return valid;
  }

 private:
  RsaPublicKey m_key;
};

}  // namespace

std::unique_ptr<SignatureCheck> SystemSignatureCheck(const RsaPublicKey& key) {
  return std::make_unique<CryptoApiCheck>(key);
}

}  // namespace zor
