#pragma once

// A throw-away key and certificate for the loopback test servers, made in memory at start.

#include <openssl/types.h>

#include <memory>
#include <string>

namespace tevrin {

/// An EC P-256 key and a self-signed X509 certificate for CN 127.0.0.1 with the subject
/// alternative names IP:127.0.0.1 and DNS:localhost, valid from an hour ago for a day. Clients
/// that check certificates reject it unless they trust `CertificatePem()`.
class SelfSignedCertificate {
 public:
  /// Generates a fresh key and certificate; `Valid()` tells whether OpenSSL managed it.
  SelfSignedCertificate();
  ~SelfSignedCertificate();
  SelfSignedCertificate(const SelfSignedCertificate&) = delete;
  SelfSignedCertificate& operator=(const SelfSignedCertificate&) = delete;

  /// True when both the key and the certificate were made.
  bool Valid() const;
  /// The certificate, owned by this object (null when not valid).
  X509* Certificate() const;
  /// The private key, owned by this object (null when not valid).
  EVP_PKEY* PrivateKey() const;
  /// The certificate in PEM form, for a client that should trust it; empty when not valid.
  std::string CertificatePem() const;

 private:
  struct KeyFree {
    void operator()(EVP_PKEY* key) const;
  };
  struct CertificateFree {
    void operator()(X509* certificate) const;
  };
  std::unique_ptr<EVP_PKEY, KeyFree> key_;
  std::unique_ptr<X509, CertificateFree> certificate_;
};

}  // namespace tevrin
