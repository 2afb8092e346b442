// Certificates made at test time for the TLS tests (OpenSSL's API, P-256 keys): a certificate authority
// and the server certificates it issues for given names and validity, written as PEM files into a folder
// the test owns. Nothing here is a fixture on disk: every key is new for each run.
#pragma once

#include <QString>
#include <QStringList>

#include <openssl/types.h>

namespace sorvanta::test {

struct TestCertificate {
    QString certificateFile;            // PEM: the server certificate
    QString keyFile;                    // PEM: its private key
};

class TestCertificateAuthority {
public:
    // Makes the CA's key and self-signed certificate as <folder>/<name>-ca.pem.
    TestCertificateAuthority(const QString& folder, const QString& name);
    ~TestCertificateAuthority();
    TestCertificateAuthority(const TestCertificateAuthority&) = delete;
    TestCertificateAuthority& operator=(const TestCertificateAuthority&) = delete;

    bool isValid() const { return m_certificate != nullptr; }
    QString certificateFile() const { return m_certificateFile; }

    // A server certificate for altNames ("DNS:localhost", "IP:127.0.0.1") valid from validFromDays to
    // validToDays counted from now (negative: in the past), as <folder>/<stem>.pem and <stem>-key.pem.
    TestCertificate issue(const QString& stem, const QStringList& altNames, int validFromDays = -1,
                          int validToDays = 30);

private:
    QString m_folder;
    QString m_certificateFile;
    EVP_PKEY* m_key = nullptr;
    X509* m_certificate = nullptr;
    long m_nextSerial = 2;
};

}  // namespace sorvanta::test
