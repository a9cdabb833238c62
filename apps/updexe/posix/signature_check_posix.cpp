// The check by OpenSSL, for the native builds and their tests.
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include "apps/updexe/signature_check.h"

namespace zor {

namespace {

class OpenSslCheck : public SignatureCheck {
 public:
  explicit OpenSslCheck(const RsaPublicKey& key) : m_key(key) {}

  bool Verify(std::string_view data, std::string_view signature) override {
    if (m_key.modulus.empty() || signature.size() != m_key.modulus.size()) return false;
    BIGNUM* n = BN_bin2bn(m_key.modulus.data(), static_cast<int>(m_key.modulus.size()), nullptr);
    BIGNUM* e = BN_new();
    OSSL_PARAM_BLD* build = OSSL_PARAM_BLD_new();
    OSSL_PARAM* params = nullptr;
    EVP_PKEY_CTX* keyContext = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    EVP_PKEY* key = nullptr;
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    bool valid = false;
    if (n && e && build && keyContext && digest && BN_set_word(e, m_key.exponent) &&
        OSSL_PARAM_BLD_push_BN(build, OSSL_PKEY_PARAM_RSA_N, n) &&
        OSSL_PARAM_BLD_push_BN(build, OSSL_PKEY_PARAM_RSA_E, e) && (params = OSSL_PARAM_BLD_to_param(build)) &&
        EVP_PKEY_fromdata_init(keyContext) > 0 &&
        EVP_PKEY_fromdata(keyContext, &key, EVP_PKEY_PUBLIC_KEY, params) > 0 &&
        EVP_DigestVerifyInit(digest, nullptr, EVP_sha1(), nullptr, key) > 0) {
      valid = EVP_DigestVerify(digest, reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                               reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1;
    }
    EVP_MD_CTX_free(digest);
    EVP_PKEY_free(key);
    EVP_PKEY_CTX_free(keyContext);
    OSSL_PARAM_free(params);
    OSSL_PARAM_BLD_free(build);
    BN_free(e);
    BN_free(n);
    return valid;
  }

 private:
  RsaPublicKey m_key;
};

}  // namespace

std::unique_ptr<SignatureCheck> SystemSignatureCheck(const RsaPublicKey& key) {
  return std::make_unique<OpenSslCheck>(key);
}

}  // namespace zor
