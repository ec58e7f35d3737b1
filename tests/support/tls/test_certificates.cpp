#include "support/tls/test_certificates.hpp"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <memory>

#include "support/tls/openssl_handles.hpp"

namespace testsupport {

namespace {

using tls::Bio;
using tls::Certificate;
using tls::Key;

// Certificates are made once, before any test runs a server: a failure here is a broken
// machine, not something a test could go on without.
void require(bool ok) {
    if (!ok) std::abort();
}

struct Signer {
    X509* certificate;
    EVP_PKEY* key;
};

struct Validity {
    long notBeforeSeconds;  // from now
    long notAfterSeconds;
};

constexpr long day = 24 * 60 * 60;
constexpr Validity current{-day, 30 * day};
constexpr Validity ended{-2 * day, -day};

void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer ? issuer : certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension && X509_add_ext(certificate, extension, -1) == 1);
    X509_EXTENSION_free(extension);
}

// A certificate for `key` named `commonName`; signed by `signer`, or by itself when there
// is none (an authority). Servers carry `subjectAltNames`; an authority carries none.
Certificate makeCertificate(EVP_PKEY* key, const char* commonName, const Signer* signer, Validity validity,
                            const char* subjectAltNames) {
    static long serial = 1;
    Certificate certificate(X509_new());
    X509* c = certificate.get();
    require(c && X509_set_version(c, 2) == 1);
    require(ASN1_INTEGER_set(X509_get_serialNumber(c), serial++) == 1);
    require(X509_gmtime_adj(X509_getm_notBefore(c), validity.notBeforeSeconds) &&
            X509_gmtime_adj(X509_getm_notAfter(c), validity.notAfterSeconds));
    require(X509_set_pubkey(c, key) == 1);
    X509_NAME* name = X509_get_subject_name(c);
    require(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName),
                                       -1, -1, 0) == 1);
    X509* issuer = signer ? signer->certificate : nullptr;
    require(X509_set_issuer_name(c, X509_get_subject_name(issuer ? issuer : c)) == 1);
    addExtension(c, issuer, NID_subject_key_identifier, "hash");
    if (signer) {
        addExtension(c, issuer, NID_authority_key_identifier, "keyid:always");
        addExtension(c, issuer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(c, issuer, NID_key_usage, "critical,digitalSignature");
        addExtension(c, issuer, NID_ext_key_usage, "serverAuth");
        addExtension(c, issuer, NID_subject_alt_name, subjectAltNames);
    } else {
        addExtension(c, issuer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(c, issuer, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    require(X509_sign(c, signer ? signer->key : key, EVP_sha256()) > 0);
    return certificate;
}

Key makeKey() {
    Key key(EVP_EC_gen("P-256"));
    require(key != nullptr);
    return key;
}

template <typename Write>
std::string pem(Write write) {
    Bio bio(BIO_new(BIO_s_mem()));
    require(bio && write(bio.get()) == 1);
    char* bytes = nullptr;
    long length = BIO_get_mem_data(bio.get(), &bytes);
    return std::string(bytes, static_cast<std::size_t>(length));
}

std::string pemOf(X509* certificate) {
    return pem([&](BIO* bio) { return PEM_write_bio_X509(bio, certificate); });
}

std::string pemOf(EVP_PKEY* key) {
    return pem([&](BIO* bio) {
        return PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    });
}

constexpr const char* loopbackNames = "IP:127.0.0.1,DNS:localhost";

TestCertificates make() {
    Key authorityKey = makeKey();
    Certificate authority = makeCertificate(authorityKey.get(), "Test authority", nullptr, current, nullptr);
    Key strangerKey = makeKey();
    Certificate stranger = makeCertificate(strangerKey.get(), "Unknown authority", nullptr, current, nullptr);
    const Signer trusted{authority.get(), authorityKey.get()};
    const Signer unknown{stranger.get(), strangerKey.get()};

    // One server key serves every server certificate: only the certificates differ.
    Key serverKey = makeKey();
    auto identity = [&](const Signer& signer, Validity validity, const char* names) {
        Certificate certificate = makeCertificate(serverKey.get(), "Test server", &signer, validity, names);
        return ServerIdentity{pemOf(certificate.get()), pemOf(serverKey.get())};
    };
    TestCertificates made;
    made.authority = pemOf(authority.get());
    made.loopback = identity(trusted, current, loopbackNames);
    made.expired = identity(trusted, ended, loopbackNames);
    made.otherHost = identity(trusted, current, "DNS:service.invalid");
    made.untrusted = identity(unknown, current, loopbackNames);
    return made;
}

}  // namespace

const TestCertificates& TestCertificates::shared() {
    static const TestCertificates certificates = make();
    return certificates;
}

}  // namespace testsupport
