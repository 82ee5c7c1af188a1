// The file digest service: texts for every kind of path, its statuses, the name lookup and the
// hexadecimal rendering, checked against OpenSSL.
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <vector>

#include "md5.h"
#include "zlc.h"

using namespace tessarin;

namespace {

QByteArray Pattern(qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    return data;
}

QString OpenSslHex(const QByteArray& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.constData()),
           static_cast<size_t>(data.size()), digest);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex().toUpper());
}

}  // namespace

class FileDigestTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString long_path_;
    int socket_ = -1;

    QString Write(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            qFatal("cannot write fixture");
        return path;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write("empty.bin", {});
        Write("one.bin", "a");
        Write("block.bin", Pattern(kReadBlockSize));
        Write("block_plus_one.bin", Pattern(kReadBlockSize + 1));
        Write("three_blocks.bin", Pattern(3 * kReadBlockSize + 5));
        Write(QStringLiteral("비교 대상 파일.exe"), Pattern(1000));
        QVERIFY(::mkfifo(QFile::encodeName(dir_.filePath("fifo")).constData(), 0600) == 0);

        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(socket_ >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socket_path = QFile::encodeName(dir_.filePath("socket"));
        QVERIFY(static_cast<size_t>(socket_path.size()) < sizeof address.sun_path);
        std::memcpy(address.sun_path, socket_path.constData(),
                    static_cast<size_t>(socket_path.size()));
        QVERIFY(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);

        // Longer than any fixed path buffer of 1024 units.
        QString nested = dir_.path();
        for (int level = 0; level < 5; ++level) {
            nested += QLatin1Char('/') + QString(240, QLatin1Char('a' + level));
            QVERIFY(QDir().mkdir(nested));
        }
        long_path_ = nested + QStringLiteral("/deep.bin");
        QVERIFY(long_path_.size() > 1024);
        QFile deep(long_path_);
        QVERIFY(deep.open(QIODevice::WriteOnly));
        QCOMPARE(deep.write(Pattern(77)), 77);
    }

    void cleanupTestCase() {
        if (socket_ >= 0) ::close(socket_);
    }

    void digestText_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty path") << QString() << QString();
        QTest::newRow("missing file") << dir_.filePath("missing.bin") << QString();
        QTest::newRow("empty file") << dir_.filePath("empty.bin") << QString();
        QTest::newRow("one byte")
            << dir_.filePath("one.bin")
            << "CA978112CA1BBDCAFAC231B39A23DC4DA786EFF8147C4E72B9807785AFEE48BB";
        QTest::newRow("exactly one read block")
            << dir_.filePath("block.bin") << OpenSslHex(Pattern(kReadBlockSize));
        QTest::newRow("one read block and a byte")
            << dir_.filePath("block_plus_one.bin") << OpenSslHex(Pattern(kReadBlockSize + 1));
        QTest::newRow("Korean name")
            << dir_.filePath(QStringLiteral("비교 대상 파일.exe")) << OpenSslHex(Pattern(1000));
        QTest::newRow("path over 1024 units") << long_path_ << OpenSslHex(Pattern(77));
        QTest::newRow("directory") << dir_.path() << QString();
        QTest::newRow("FIFO without writer") << dir_.filePath("fifo") << QString();
        QTest::newRow("socket") << dir_.filePath("socket") << QString();
        QTest::newRow("endless device") << QStringLiteral("/dev/zero") << QString();
        QTest::newRow("read fails") << QStringLiteral("/proc/self/mem") << QString();
        QTest::newRow("embedded NUL") << dir_.filePath("one.bin") + QChar(0) + "x" << QString();
    }

    void digestText() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        CMD5 service;
        QCOMPARE(service.GetFileDigestText(path), expected);
    }

    void fileStatus_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<uint>("status");
        QTest::newRow("digested") << dir_.filePath("one.bin") << uint{kStatusOk};
        QTest::newRow("empty file") << dir_.filePath("empty.bin") << uint{kStatusNothingToDigest};
        QTest::newRow("read fails at once")
            << QStringLiteral("/proc/self/mem") << uint{kStatusNothingToDigest};
        QTest::newRow("missing file") << dir_.filePath("missing.bin") << uint{kStatusCannotOpen};
        QTest::newRow("directory") << dir_.path() << uint{kStatusCannotOpen};
        QTest::newRow("FIFO without writer") << dir_.filePath("fifo") << uint{kStatusCannotOpen};
        QTest::newRow("socket") << dir_.filePath("socket") << uint{kStatusCannotOpen};
        QTest::newRow("character device") << QStringLiteral("/dev/null") << uint{kStatusCannotOpen};
    }

    void fileStatus() {
        QFETCH(QString, path);
        QFETCH(uint, status);
        ByteString digest{1, 2, 3};
        QCOMPARE(DigestFile(QFile::encodeName(path), {}, digest), status);
        QCOMPARE(digest.empty(), status != kStatusOk);
    }

    void unreadableFile() {
        if (::geteuid() == 0) QSKIP("root reads files regardless of their mode");
        const QString path = dir_.filePath("unreadable.bin");
        QFile::copy(dir_.filePath("one.bin"), path);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        ByteString digest;
        QCOMPARE(DigestFile(QFile::encodeName(path), {}, digest), kStatusCannotOpen);
    }

    // Each entry of `reads` is what one read delivers: a byte count, or kSourceFailed or
    // kSourceCancelled; after the last entry the source reports the end.
    void streamedReads_data() {
        QTest::addColumn<QList<qint64>>("reads");
        QTest::addColumn<uint>("status");
        QTest::newRow("one read") << QList<qint64>{5} << uint{kStatusOk};
        QTest::newRow("uneven reads") << QList<qint64>{1, 63, 64, 65, 1000, 7} << uint{kStatusOk};
        QTest::newRow("nothing to read") << QList<qint64>{} << uint{kStatusNothingToDigest};
        QTest::newRow("first read fails")
            << QList<qint64>{kSourceFailed} << uint{kStatusNothingToDigest};
        QTest::newRow("read fails part-way")
            << QList<qint64>{100, 4096, kSourceFailed} << uint{kStatusNothingToDigest};
        QTest::newRow("cancelled at once")
            << QList<qint64>{kSourceCancelled} << uint{kStatusCancelled};
        QTest::newRow("cancelled part-way")
            << QList<qint64>{100, kSourceCancelled} << uint{kStatusCancelled};
    }

    void streamedReads() {
        QFETCH(QList<qint64>, reads);
        QFETCH(uint, status);
        const QByteArray content = Pattern(8192);
        QByteArray delivered;
        qsizetype next = 0;
        const BlockSource source = [&](std::uint8_t* buffer, std::size_t capacity) -> std::int64_t {
            if (next == reads.size()) return 0;
            const qint64 count = reads[next++];
            if (count < 0) return count;
            if (static_cast<std::size_t>(count) > capacity) qFatal("read larger than the buffer");
            const QByteArray part = content.mid(delivered.size(), count);
            std::memcpy(buffer, part.constData(), static_cast<std::size_t>(count));
            delivered += part;
            return count;
        };
        ByteString digest{9};
        QCOMPARE(DigestStreamByName(source, "SHA256", digest), status);
        if (status == kStatusOk) {
            QCOMPARE(QString::fromStdString(BytesToUpperHex(digest)), OpenSslHex(delivered));
        } else {
            QVERIFY(digest.empty());
        }
    }

    void streamedNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("null");
        QTest::addColumn<uint>("status");
        QTest::newRow("no name") << QByteArray() << true << uint{kStatusNoName};
        QTest::newRow("too short") << QByteArray("MD") << false << uint{kStatusShortName};
        QTest::newRow("unknown") << QByteArray("WHIRLPOOL") << false << uint{kStatusUnknownName};
        QTest::newRow("SHA-224") << QByteArray("sha-224") << false << uint{kStatusOk};
    }

    void streamedNames() {
        QFETCH(QByteArray, name);
        QFETCH(bool, null);
        QFETCH(uint, status);
        bool delivered = false;
        const BlockSource source = [&](std::uint8_t* buffer, std::size_t) -> std::int64_t {
            if (delivered) return 0;
            delivered = true;
            buffer[0] = 'a';
            return 1;
        };
        ByteString digest;
        QCOMPARE(DigestStreamByName(source, null ? nullptr : name.constData(), digest), status);
        QCOMPARE(digest.size(), status == kStatusOk ? std::size_t{28} : std::size_t{0});
    }

    // One pass feeds every algorithm; one name the service does not know spoils them all.
    void severalAlgorithms_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<bool>("digested");
        const QByteArrayList all{"MD5", "SHA1", "SHA256", "SHA384", "SHA512"};
        QTest::newRow("one byte") << "one.bin" << all << true;
        QTest::newRow("three blocks") << "three_blocks.bin" << all << true;
        QTest::newRow("an unknown name among them")
            << "one.bin" << QByteArrayList{"SHA512", "WHIRLPOOL"} << false;
        QTest::newRow("empty file") << "empty.bin" << all << false;
    }

    void severalAlgorithms() {
        QFETCH(QString, file);
        QFETCH(QByteArrayList, names);
        QFETCH(bool, digested);
        QFile content(dir_.filePath(file));
        QVERIFY(content.open(QIODevice::ReadOnly));
        const QByteArray data = content.readAll();
        std::vector<const char*> list;
        for (const QByteArray& name : names) list.push_back(name.constData());
        CMD5 service;
        const std::vector<QString> texts = service.GetFileDigestTexts(content.fileName(), list);
        QCOMPARE(texts.size(), std::size_t(names.size()));
        for (qsizetype i = 0; i < names.size(); ++i) {
            QString expected;
            if (digested) {
                unsigned char digest[EVP_MAX_MD_SIZE];
                unsigned int length = 0;
                QVERIFY(EVP_Digest(data.constData(), static_cast<size_t>(data.size()), digest,
                                   &length, EVP_get_digestbyname(names[i].constData()),
                                   nullptr) == 1);
                expected = QString::fromLatin1(
                    QByteArray(reinterpret_cast<const char*>(digest), int(length))
                        .toHex()
                        .toUpper());
            }
            QCOMPARE(texts[std::size_t(i)], expected);
        }
    }

    void progress() {
        const QString path = dir_.filePath("three_blocks.bin");
        const std::int64_t size = QFileInfo(path).size();
        std::vector<std::int64_t> seen;
        CMD5 service;
        const QString text =
            service.GetFileDigestText(path, [&](std::int64_t done, std::int64_t total) {
                if (total != size) qFatal("wrong total");
                seen.push_back(done);
                return true;
            });
        QCOMPARE(text, OpenSslHex(Pattern(size)));
        QVERIFY(!seen.empty());
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.back(), size);
    }

    void progressCancels_data() {
        QTest::addColumn<int>("cancelAtCall");
        QTest::newRow("first report") << 1;
        QTest::newRow("last report") << 5;
    }

    void progressCancels() {
        QFETCH(int, cancelAtCall);
        int calls = 0;
        ByteString digest;
        const ProgressCallback progress = [&](std::int64_t, std::int64_t) {
            return ++calls < cancelAtCall;
        };
        QCOMPARE(DigestFile(QFile::encodeName(dir_.filePath("three_blocks.bin")), progress, digest),
                 kStatusCancelled);
        QCOMPARE(calls, cancelAtCall);
        QVERIFY(digest.empty());
        CMD5 service;
        calls = 0;
        QCOMPARE(service.GetFileDigestText(dir_.filePath("three_blocks.bin"), progress), QString());
    }

    void nameToId_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<uint>("status");
        QTest::addColumn<uint>("id");
        QTest::newRow("sha-256") << QByteArray("sha-256") << uint{kStatusOk} << uint{ZLC_SHA256};
        QTest::newRow("Sha256") << QByteArray("Sha256") << uint{kStatusOk} << uint{ZLC_SHA256};
        QTest::newRow("SHA2560") << QByteArray("SHA2560") << uint{kStatusOk} << uint{ZLC_SHA256};
        QTest::newRow("MD5X") << QByteArray("MD5X") << uint{kStatusOk} << uint{ZLC_MD5};
        QTest::newRow("mdc2") << QByteArray("mdc2") << uint{kStatusOk} << uint{ZLC_MDC2};
        QTest::newRow("SHA1") << QByteArray("SHA1") << uint{kStatusOk} << uint{ZLC_SHA1};
        QTest::newRow("sha-1") << QByteArray("sha-1") << uint{kStatusOk} << uint{ZLC_SHA1};
        QTest::newRow("SHA1X") << QByteArray("SHA1X") << uint{kStatusUnknownName} << 0u;
        QTest::newRow("SHA-1X") << QByteArray("SHA-1X") << uint{kStatusUnknownName} << 0u;
        QTest::newRow("SHA-224") << QByteArray("SHA-224") << uint{kStatusOk} << uint{ZLC_SHA224};
        QTest::newRow("sha384") << QByteArray("sha384") << uint{kStatusOk} << uint{ZLC_SHA384};
        QTest::newRow("SHA-512") << QByteArray("SHA-512") << uint{kStatusOk} << uint{ZLC_SHA512};
        QTest::newRow("has-160") << QByteArray("has-160") << uint{kStatusOk} << uint{ZLC_HAS160};
        QTest::newRow("HAS160") << QByteArray("HAS160") << uint{kStatusOk} << uint{ZLC_HAS160};
        QTest::newRow("SHA (literal longer than name)")
            << QByteArray("SHA") << uint{kStatusUnknownName} << 0u;
        QTest::newRow("MD") << QByteArray("MD") << uint{kStatusShortName} << 0u;
        QTest::newRow("empty") << QByteArray("") << uint{kStatusShortName} << 0u;
        QTest::newRow("31 characters")
            << QByteArray("SHA256" + QByteArray(25, 'x')) << uint{kStatusOk} << uint{ZLC_SHA256};
        QTest::newRow("200 characters")
            << QByteArray("sha-512" + QByteArray(193, 'y')) << uint{kStatusOk} << uint{ZLC_SHA512};
        QTest::newRow("SHA1 then 40 characters")
            << QByteArray("SHA1") + QByteArray(40, 'z') << uint{kStatusUnknownName} << 0u;
        QTest::newRow("bytes above 0x7F")
            << QByteArray("\xff\xe9SHA256") << uint{kStatusUnknownName} << 0u;
    }

    void nameToId() {
        QFETCH(QByteArray, name);
        QFETCH(uint, status);
        QFETCH(uint, id);
        std::uint32_t found = 0;
        QCOMPARE(DigestNameToId(name.constData(), found), status);
        QCOMPARE(found, id);
    }

    void nameToIdWithoutName() {
        std::uint32_t found = 0;
        QCOMPARE(DigestNameToId(nullptr, found), kStatusNoName);
    }

    void upperHex_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << QByteArray() << QString();
        QTest::newRow("0A FF") << QByteArray("\x0a\xff") << "0AFF";
        QTest::newRow("00 ab 09") << QByteArray("\x00\xab\x09", 3) << "00AB09";
    }

    void upperHex() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const ByteString input(bytes.begin(), bytes.end());
        QCOMPARE(AnsiToWide(BytesToUpperHex(input)), text);
    }
};

QTEST_GUILESS_MAIN(FileDigestTest)
#include "file_digest_test.moc"
