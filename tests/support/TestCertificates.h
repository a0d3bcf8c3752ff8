#pragma once

#include <QtCore>
#include <QSslConfiguration>
#include <QSslKey>

// A test CA and a certificate for "localhost" that it signed, made by openssl in a temporary folder.
struct TestCertificates
{
    QTemporaryDir dir;
    QSslCertificate ca, server;
    QSslKey key;

    TestCertificates()
    {
        const QString ec = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2";
        const QStringList steps{"req -x509 " + ec + " -keyout ca.key -out ca.pem -subj /CN=SentrovaTestCA"
                                    " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=keyCertSign",
                                "req " + ec + " -keyout server.key -out server.csr -subj /CN=localhost",
                                "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -out server.pem"
                                    " -extfile san.ext"};
        QFile san(dir.filePath("san.ext"));
        san.open(QIODevice::WriteOnly);
        san.write("subjectAltName=DNS:localhost\n");
        san.close();
        for (const QString &step : steps) {
            QProcess openssl;
            openssl.setWorkingDirectory(dir.path());
            openssl.start("openssl", step.split(' '));
            if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0)
                qFatal("openssl %s: %s", qPrintable(step), openssl.readAllStandardError().constData());
        }
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
