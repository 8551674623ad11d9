#include "samples/self_signed_certificate.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace tevrin {
namespace {

bool AddExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr) return false;
  const bool added = X509_add_ext(certificate, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// A random positive serial, so that clients caching certificates by issuer and serial never
// confuse two runs.
bool SetRandomSerial(X509* certificate) {
  unsigned char bytes[16];
  if (RAND_bytes(bytes, sizeof bytes) != 1) return false;
  bytes[0] &= 0x7F;
  BIGNUM* number = BN_bin2bn(bytes, sizeof bytes, nullptr);
  if (number == nullptr) return false;
  const bool set = BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate)) != nullptr;
  BN_free(number);
  return set;
}

bool FillCertificate(X509* certificate, EVP_PKEY* key) {
  if (X509_set_version(certificate, 2) != 1 || !SetRandomSerial(certificate)) return false;
  // An hour of slack before now keeps a client with a slightly late clock content.
  if (X509_gmtime_adj(X509_getm_notBefore(certificate), -3600) == nullptr ||
      X509_gmtime_adj(X509_getm_notAfter(certificate), 24 * 3600) == nullptr) {
    return false;
  }
  X509_NAME* name = X509_get_subject_name(certificate);
  const auto* commonName = reinterpret_cast<const unsigned char*>("127.0.0.1");
  if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0) != 1 ||
      X509_set_issuer_name(certificate, name) != 1 || X509_set_pubkey(certificate, key) != 1) {
    return false;
  }
  return AddExtension(certificate, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost") &&
         AddExtension(certificate, NID_basic_constraints, "critical,CA:TRUE") &&
         AddExtension(certificate, NID_subject_key_identifier, "hash") &&
         X509_sign(certificate, key, EVP_sha256()) > 0;
}

}  // namespace

void SelfSignedCertificate::KeyFree::operator()(EVP_PKEY* key) const {
  EVP_PKEY_free(key);
}

void SelfSignedCertificate::CertificateFree::operator()(X509* certificate) const {
  X509_free(certificate);
}

SelfSignedCertificate::SelfSignedCertificate() {
  std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_EC_gen("P-256"));
  if (!key) return;
  std::unique_ptr<X509, CertificateFree> certificate(X509_new());
  if (!certificate || !FillCertificate(certificate.get(), key.get())) return;
  key_ = std::move(key);
  certificate_ = std::move(certificate);
}

SelfSignedCertificate::~SelfSignedCertificate() = default;

bool SelfSignedCertificate::Valid() const {
  return key_ && certificate_;
}

X509* SelfSignedCertificate::Certificate() const {
  return certificate_.get();
}

EVP_PKEY* SelfSignedCertificate::PrivateKey() const {
  return key_.get();
}

std::string SelfSignedCertificate::CertificatePem() const {
  if (!Valid()) return {};
  BIO* memory = BIO_new(BIO_s_mem());
  if (memory == nullptr) return {};
  std::string pem;
  if (PEM_write_bio_X509(memory, certificate_.get()) == 1) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(memory, &data);
    if (length > 0) pem.assign(data, static_cast<std::size_t>(length));
  }
  BIO_free(memory);
  return pem;
}

}  // namespace tevrin
