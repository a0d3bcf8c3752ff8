#pragma once

#include <QtCore>
#include <QSslConfiguration>
#include <QSslKey>

// A test CA and a certificate for "localhost" that it signed (make_test_certificates.sh).
struct TestCertificates
{
    QTemporaryDir dir;
    QSslCertificate ca, server;
    QSslKey key;

    TestCertificates()
    {
        if (QProcess::execute("bash", {SENTROVA_TEST_SUPPORT "/make_test_certificates.sh", dir.path()}) != 0)
            qFatal("cannot make the test certificates");
        ca = QSslCertificate::fromPath(dir.filePath("ca.pem")).value(0);
        server = QSslCertificate::fromPath(dir.filePath("server.pem")).value(0);
        QFile keyFile(dir.filePath("server.key"));
        keyFile.open(QIODevice::ReadOnly);
        key = QSslKey(&keyFile, QSsl::Ec);
    }
    QSslConfiguration serverConfiguration() const
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(server);
        configuration.setPrivateKey(key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        return configuration;
    }
};

// While it lives, this process's new sockets trust the test CA as well.
struct TrustedCa
{
    QSslConfiguration saved = QSslConfiguration::defaultConfiguration();
    explicit TrustedCa(const QSslCertificate &ca)
    {
        QSslConfiguration configuration = saved;
        configuration.addCaCertificate(ca);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
    ~TrustedCa() { QSslConfiguration::setDefaultConfiguration(saved); }
};
