// A sparse file just over 2 GiB, beyond any signed 32-bit size, digested against OpenSSL.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "md5.h"

class LargeFileTest : public QObject {
    Q_OBJECT

private slots:
    void digestsBeyondTwoGibibytes() {
        constexpr qint64 kSize = (qint64{1} << 31) + 4097;
        const QByteArray head("head of a disk image");
        const QByteArray tail("and its last bytes");
        // Holes read from tmpfs cost neither disk nor page cache; elsewhere they fill the cache.
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
        QTemporaryDir dir(base + QStringLiteral("/tessarin-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("sparse.img");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(head), head.size());
            QVERIFY(file.seek(kSize - tail.size()));
            QCOMPARE(file.write(tail), tail.size());
        }
        QCOMPARE(QFile(path).size(), kSize);

        const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                            &EVP_MD_CTX_free);
        QVERIFY(EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1);
        QVERIFY(EVP_DigestUpdate(context.get(), head.constData(), static_cast<size_t>(head.size())) == 1);
        const std::vector<unsigned char> zeros(std::size_t{1} << 20, 0);
        for (qint64 left = kSize - head.size() - tail.size(); left > 0;) {
            const auto part = static_cast<size_t>(std::min<qint64>(left, static_cast<qint64>(zeros.size())));
            QVERIFY(EVP_DigestUpdate(context.get(), zeros.data(), part) == 1);
            left -= static_cast<qint64>(part);
        }
        QVERIFY(EVP_DigestUpdate(context.get(), tail.constData(), static_cast<size_t>(tail.size())) == 1);
        unsigned char expected[32];
        QVERIFY(EVP_DigestFinal_ex(context.get(), expected, nullptr) == 1);

        tessarin::CMD5 service;
        QCOMPARE(service.GetFileDigestText(path),
                 QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(expected), 32).toHex().toUpper()));
    }
};

QTEST_GUILESS_MAIN(LargeFileTest)
#include "large_file_test.moc"
