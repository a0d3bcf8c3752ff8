#pragma once

#include <QtNetwork>

// A test CA, and a server's TLS configuration with a certificate for "localhost" that it signed (make_test_certificates.sh).
struct TestCertificates
{
    QSslCertificate ca;
    QSslConfiguration server = QSslConfiguration::defaultConfiguration();

    TestCertificates()
    {
        QTemporaryDir dir;
        if (QProcess::execute("bash", {SENTROVA_TEST_SUPPORT "/make_test_certificates.sh", dir.path()}) != 0)
            qFatal("cannot make the test certificates");
        ca = QSslCertificate::fromPath(dir.filePath("ca.pem")).value(0);
        server.setLocalCertificate(QSslCertificate::fromPath(dir.filePath("server.pem")).value(0));
        QFile key(dir.filePath("server.key"));
        key.open(QIODevice::ReadOnly);
        server.setPrivateKey(QSslKey(&key, QSsl::Ec));
    }
};

// While it lives, this process's new sockets trust the test CA as well (none when it is null).
struct TrustedCa
{
    QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
    explicit TrustedCa(const QSslCertificate &ca)
    {
        QSslConfiguration configuration = saved;
        if (!ca.isNull())
            configuration.addCaCertificate(ca);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
    ~TrustedCa() { QSslConfiguration::setDefaultConfiguration(saved); }
};
