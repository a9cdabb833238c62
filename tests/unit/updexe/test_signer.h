// A signing key made for the test run and never stored, signing manifests as tools/zorpack does
// (RSA, PKCS#1 v1.5 over SHA-1), and Updexe's check of it.
#pragma once

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <memory>
#include <string>

#include "apps/updexe/signature_check.h"

namespace zor {

class TestSigner {
 public:
  // One key for the whole run: making one takes a while.
  static const TestSigner& Shared() {
    static const TestSigner signer;
    return signer;
  }
  // Another key, as an attacker would sign with.
  static const TestSigner& Other() {
    static const TestSigner signer;
    return signer;
  }
  ~TestSigner() { EVP_PKEY_free(m_key); }
  TestSigner(const TestSigner&) = delete;
  TestSigner& operator=(const TestSigner&) = delete;

  std::string Sign(const std::string& data) const {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    size_t length = 0;
    std::string signature;
    if (EVP_DigestSignInit(context, nullptr, EVP_sha1(), nullptr, m_key) > 0 &&
        EVP_DigestSign(context, nullptr, &length, reinterpret_cast<const unsigned char*>(data.data()), data.size()) > 0) {
      signature.resize(length);
      EVP_DigestSign(context, reinterpret_cast<unsigned char*>(&signature[0]), &length,
                     reinterpret_cast<const unsigned char*>(data.data()), data.size());
      signature.resize(length);
    }
    EVP_MD_CTX_free(context);
    return signature;
  }

  RsaPublicKey PublicKey() const {
    BIGNUM* n = nullptr;
    RsaPublicKey key;
    if (EVP_PKEY_get_bn_param(m_key, OSSL_PKEY_PARAM_RSA_N, &n) > 0) {
      key.modulus.resize(static_cast<size_t>(BN_num_bytes(n)));
      BN_bn2bin(n, key.modulus.data());
      key.exponent = 65537;
    }
    BN_free(n);
    return key;
  }

  std::unique_ptr<SignatureCheck> Check() const { return SystemSignatureCheck(PublicKey()); }

 private:
  TestSigner() : m_key(EVP_RSA_gen(2048)) {}
  EVP_PKEY* m_key;
};

}  // namespace zor
