// Test certificates with OpenSSL's X509 API: see test_certificates.h.

#include "tests/support/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>

namespace sorvanta::test {

namespace {

constexpr long kDay = 24 * 60 * 60;

bool addExtension(X509* certificate, X509* issuer, int nid, const QString& value)
{
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.toLatin1().constData());
    if (!extension)
        return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// An unsigned certificate for key with subject CN=commonName, serial and validity set.
X509* newCertificate(EVP_PKEY* key, const QString& commonName, long serial, int fromDays, int toDays)
{
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), fromDays * kDay);
    X509_gmtime_adj(X509_getm_notAfter(certificate), toDays * kDay);
    X509_set_pubkey(certificate, key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.toLatin1().constData()), -1,
                               -1, 0);
    return certificate;
}

bool writeCertificate(const QString& path, X509* certificate)
{
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "w");
    if (!file)
        return false;
    const bool written = PEM_write_X509(file, certificate) == 1;
    return std::fclose(file) == 0 && written;
}

bool writeKey(const QString& path, EVP_PKEY* key)
{
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "w");
    if (!file)
        return false;
    const bool written = PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    return std::fclose(file) == 0 && written;
}

}  // namespace

TestCertificateAuthority::TestCertificateAuthority(const QString& folder, const QString& name)
    : m_folder(folder), m_certificateFile(folder + u'/' + name + QStringLiteral("-ca.pem"))
{
    m_key = EVP_EC_gen("P-256");
    if (!m_key)
        return;
    X509* certificate = newCertificate(m_key, name + QStringLiteral(" Test CA"), 1, -1, 365);
    X509_set_issuer_name(certificate, X509_get_subject_name(certificate));
    const bool made = addExtension(certificate, certificate, NID_basic_constraints, "critical,CA:TRUE")
                      && addExtension(certificate, certificate, NID_key_usage, "critical,keyCertSign,cRLSign")
                      && addExtension(certificate, certificate, NID_subject_key_identifier, "hash")
                      && X509_sign(certificate, m_key, EVP_sha256()) > 0
                      && writeCertificate(m_certificateFile, certificate);
    if (made)
        m_certificate = certificate;
    else
        X509_free(certificate);
}

TestCertificateAuthority::~TestCertificateAuthority()
{
    X509_free(m_certificate);
    EVP_PKEY_free(m_key);
}

TestCertificate TestCertificateAuthority::issue(const QString& stem, const QStringList& altNames,
                                                int validFromDays, int validToDays)
{
    TestCertificate result{m_folder + u'/' + stem + QStringLiteral(".pem"),
                           m_folder + u'/' + stem + QStringLiteral("-key.pem")};
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key || !m_certificate) {
        EVP_PKEY_free(key);
        return {};
    }
    X509* certificate = newCertificate(key, stem, m_nextSerial++, validFromDays, validToDays);
    X509_set_issuer_name(certificate, X509_get_subject_name(m_certificate));
    const bool made = addExtension(certificate, m_certificate, NID_basic_constraints, "critical,CA:FALSE")
                      && addExtension(certificate, m_certificate, NID_ext_key_usage, "serverAuth")
                      && addExtension(certificate, m_certificate, NID_authority_key_identifier, "keyid:always")
                      && (altNames.isEmpty()
                          || addExtension(certificate, m_certificate, NID_subject_alt_name, altNames.join(u',')))
                      && X509_sign(certificate, m_key, EVP_sha256()) > 0
                      && writeCertificate(result.certificateFile, certificate) && writeKey(result.keyFile, key);
    X509_free(certificate);
    EVP_PKEY_free(key);
    return made ? result : TestCertificate{};
}

}  // namespace sorvanta::test
