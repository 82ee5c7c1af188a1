// The main window driven headless: drops, browsing, compare, reset, keys, the about entry, digests
// running while the window is used, the progress dialog and the layout. Message boxes and the file
// chooser are scripted fakes; digests come from the real service unless a test holds them.
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "about_dlg.h"
#include "digest_run.h"
#include "md5.h"
#include "prompts.h"
#include "tessarin_dlg.h"

using namespace tessarin;

namespace {

const QString kTitle = QStringLiteral("ZELTARO Hash Compare Tool");
const QString kWrongDropCount = QStringLiteral(
    "Drap&Drop 을 잘못하였습니다. \n파일을 하나 또는 두개만 Drag&Drop 하시길 바랍니다.");
const QString kSelectFirst = QStringLiteral("먼저 비교할 파일들을 선택하시길 바랍니다.");
const QString kIdentical = QStringLiteral("두 개의 파일이 동일합니다. (Hash 값 동일)");
const QString kDifferent = QStringLiteral("두 개의 파일이 동일하지 않습니다. (Hash 값 다름)");

class FakeMessages final : public MessageBoxes {
  public:
    struct Shown {
        QWidget* owner;
        Icon icon;
        QString caption;
        QString text;
    };
    void Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) override {
        shown.append({owner, icon, caption, text});
    }
    QList<Shown> shown;
};

class FakeChooser final : public FileChooser {
  public:
    QString ChooseFile(QWidget*, const QString& filter) override {
        filters.append(filter);
        return answer;
    }
    QString answer;
    QStringList filters;
};

// Passes every digest to the service, except while `hold` is set: then the file is read in small
// pieces and each piece waits until `hold` is cleared, asking the progress callback meanwhile, so a
// digest lasts exactly as long as a test needs and still answers cancellation.
class SlowDigester final : public FileDigester {
  public:
    std::vector<QString> Digest(const QString& path, const std::vector<Algorithm>& algorithms,
                                const ProgressCallback& progress) override {
        ++started;
        if (!hold) return service_.Digest(path, algorithms, progress);
        QFile file(path);
        const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        qsizetype done = 0;
        const BlockSource source = [&](std::uint8_t* buffer, std::size_t capacity) -> std::int64_t {
            while (hold) {
                if (!progress(done, content.size())) {
                    ++cancelled;
                    return kSourceCancelled;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            const qsizetype part =
                std::min<qsizetype>({content.size() - done, 4096, qsizetype(capacity)});
            std::memcpy(buffer, content.constData() + done, static_cast<std::size_t>(part));
            done += part;
            return part;
        };
        std::vector<const char*> names;
        for (const Algorithm algorithm : algorithms) names.push_back(AlgorithmName(algorithm));
        std::vector<ByteString> digests;
        std::vector<QString> texts(algorithms.size());
        if (DigestStreamByNames(source, names, digests) == kStatusOk) {
            for (std::size_t i = 0; i < digests.size(); ++i)
                texts[i] = QString::fromStdString(BytesToUpperHex(digests[i]));
        }
        return texts;
    }

    std::atomic<bool> hold{false};
    std::atomic<int> started{0};
    std::atomic<int> cancelled{0};

  private:
    ServiceDigester service_;
};

QString OpenSslHex(const QByteArray& data, const EVP_MD* md = EVP_sha256()) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data.constData(), static_cast<size_t>(data.size()), digest, &length, md,
                   nullptr) != 1) {
        qFatal("OpenSSL digest failed");
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex().toUpper());
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    FakeMessages messages_;
    FakeChooser chooser_;
    SlowDigester digester_;
    std::unique_ptr<CTessarinDlg> dialog_;

    QString Write(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            qFatal("cannot write fixture");
        return path;
    }
    template <class T>
    T* Child(const char* name) const {
        T* child = dialog_->findChild<T*>(QLatin1String(name));
        if (child == nullptr) qFatal("no child %s", name);
        return child;
    }
    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }
    QStringList Boxes() const {
        return {Edit("editPath1")->text(), Edit("editHash1")->text(), Edit("editPath2")->text(),
                Edit("editHash2")->text()};
    }
    void Fill(const QStringList& texts) {
        Edit("editPath1")->setText(texts[0]);
        Edit("editHash1")->setText(texts[1]);
        Edit("editPath2")->setText(texts[2]);
        Edit("editHash2")->setText(texts[3]);
    }
    // A drop reaches only the widget that accepted the drag's entry, as on a desktop. Unless told
    // otherwise, waits until the digests it started are done.
    void Drop(const QList<QUrl>& urls, QPoint point, bool wait = true) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog_.get(), &drop);
        if (wait) QTRY_VERIFY(!dialog_->IsDigesting());
    }
    QPoint Upper() const { return Child<QGroupBox>("upperGroup")->geometry().center(); }
    QPoint Lower() const { return Child<QGroupBox>("lowerGroup")->geometry().center(); }
    void Click(const char* button, bool wait = true) {
        QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton);
        if (wait) QTRY_VERIFY(!dialog_->IsDigesting());
    }
    // Checks the one message shown since the last call.
    void ExpectMessage(MessageBoxes::Icon icon, const QString& text) {
        QCOMPARE(messages_.shown.size(), 1);
        const FakeMessages::Shown shown = messages_.shown.takeFirst();
        QCOMPARE(shown.owner, dialog_.get());
        QCOMPARE(shown.caption, kTitle);
        QCOMPARE(int(shown.icon), int(icon));
        QCOMPARE(shown.text, text);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write("a.bin", "first file");
        Write("b.bin", "second file");
        Write("empty.bin", {});
        Write("abc.bin", "abc");
        Write("three_blocks.bin", QByteArray(3 * int(kReadBlockSize) + 5, 'z'));
    }

    void init() {
        messages_.shown.clear();
        chooser_ = FakeChooser();
        digester_.hold = false;
        digester_.started = 0;
        digester_.cancelled = 0;
        dialog_ = std::make_unique<CTessarinDlg>(messages_, chooser_, digester_);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }

    void cleanup() {
        dialog_.reset();
        QVERIFY(messages_.shown.isEmpty());
    }

    void dropOneFile_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("group");
        QTest::newRow("upper group") << "upper" << 1;
        QTest::newRow("lower group") << "lower" << 2;
        QTest::newRow("just above the dividing line") << "above line" << 1;
        QTest::newRow("on the dividing line") << "on line" << 2;
        QTest::newRow("on the buttons") << "bottom" << 2;
        QTest::newRow("outside the client area") << "outside" << 0;
    }

    void dropOneFile() {
        QFETCH(QString, place);
        QFETCH(int, group);
        const QRect upper = Child<QGroupBox>("upperGroup")->geometry();
        const QRect lower = Child<QGroupBox>("lowerGroup")->geometry();
        // Without a window frame the dividing line is the lower group's top edge.
        const int line =
            lower.top() + dialog_->geometry().bottom() - dialog_->frameGeometry().bottom();
        const QPoint point = place == "upper"        ? upper.center()
                             : place == "lower"      ? lower.center()
                             : place == "above line" ? QPoint(20, line - 1)
                             : place == "on line"    ? QPoint(20, line)
                             : place == "bottom"
                                 ? Child<QPushButton>("closeButton")->geometry().center()
                                 : QPoint(dialog_->width() + 3, upper.center().y());
        const QStringList before{"p1", "h1", "p2", "h2"};
        Fill(before);
        const QString path = dir_.filePath("a.bin");
        Drop({QUrl::fromLocalFile(path)}, point);
        QStringList expected = before;
        if (group != 0) {
            expected[(group - 1) * 2] = path;
            expected[(group - 1) * 2 + 1] = OpenSslHex("first file");
        }
        QCOMPARE(Boxes(), expected);
    }

    void dropTwoFiles() {
        Fill({"p1", "h1", "p2", "h2"});
        Drop({QUrl::fromLocalFile(dir_.filePath("b.bin")),
              QUrl::fromLocalFile(dir_.filePath("a.bin"))},
             Child<QGroupBox>("lowerGroup")->geometry().center());
        QCOMPARE(Boxes(), (QStringList{dir_.filePath("b.bin"), OpenSslHex("second file"),
                                       dir_.filePath("a.bin"), OpenSslHex("first file")}));
    }

    void dropThreeFiles() {
        const QStringList before{"p1", "h1", "p2", "h2"};
        Fill(before);
        const QUrl url = QUrl::fromLocalFile(dir_.filePath("a.bin"));
        Drop({url, url, url}, Child<QGroupBox>("upperGroup")->geometry().center());
        ExpectMessage(MessageBoxes::Icon::Error, kWrongDropCount);
        QCOMPARE(Boxes(), before);
    }

    void dropLongPath() {
        QString nested = dir_.path();
        for (int level = 0; level < 5; ++level) {
            nested += QLatin1Char('/') + QString(240, QLatin1Char('k' + level));
            QVERIFY(QDir().mkpath(nested));
        }
        const QString path = nested + QStringLiteral("/파일.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("deep"), 4);
        file.close();
        Drop({QUrl::fromLocalFile(path)}, Child<QGroupBox>("upperGroup")->geometry().center());
        QCOMPARE(Edit("editPath1")->text(), path);
        QCOMPARE(Edit("editHash1")->text(), OpenSslHex("deep"));
    }

    void dragAcceptsLocalFilesOnly_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        const QUrl local = QUrl::fromLocalFile(dir_.filePath("a.bin"));
        const QUrl remote(QStringLiteral("https://example.org/a.bin"));
        QTest::newRow("one local file") << QList<QUrl>{local} << true;
        QTest::newRow("three local files") << QList<QUrl>{local, local, local} << true;
        QTest::newRow("remote file") << QList<QUrl>{remote} << false;
        QTest::newRow("local and remote") << QList<QUrl>{local, remote} << false;
        QTest::newRow("text only") << QList<QUrl>{} << false;
    }

    void dragAcceptsLocalFilesOnly() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("text"));
        QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        event.setAccepted(false);
        QApplication::sendEvent(dialog_.get(), &event);
        QCOMPARE(event.isAccepted(), accepted);
    }

    void browse() {
        chooser_.answer = dir_.filePath("a.bin");
        Click("browseButton1");
        chooser_.answer = dir_.filePath("b.bin");
        Click("browseButton2");
        const QStringList filled{dir_.filePath("a.bin"), OpenSslHex("first file"),
                                 dir_.filePath("b.bin"), OpenSslHex("second file")};
        QCOMPARE(Boxes(), filled);
        chooser_.answer.clear();
        Click("browseButton1");
        Click("browseButton2");
        QCOMPARE(Boxes(), filled);
        const QString filter =
            QStringLiteral("exe and cab (*.exe)(*.cab) (*.exe *.cab);;All Files (*.*) (*)");
        QCOMPARE(chooser_.filters, QStringList(4, filter));
    }

    void emptyFileThenCompare() {
        chooser_.answer = dir_.filePath("empty.bin");
        Click("browseButton1");
        chooser_.answer = dir_.filePath("a.bin");
        Click("browseButton2");
        QCOMPARE(Edit("editPath1")->text(), dir_.filePath("empty.bin"));
        QCOMPARE(Edit("editHash1")->text(), QString());
        QTest::mouseClick(Child<QPushButton>("compareButton"), Qt::LeftButton);
        ExpectMessage(MessageBoxes::Icon::Warning, kSelectFirst);
    }

    void compare_data() {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        const QString digest = OpenSslHex("first file");
        const QString lower = digest.toLower();
        const QString mixed = lower.left(32) + digest.mid(32);
        const int same = int(MessageBoxes::Icon::Information);
        const int error = int(MessageBoxes::Icon::Error);
        const int warning = int(MessageBoxes::Icon::Warning);
        QTest::newRow("equal texts, no files") << digest << digest << same << kIdentical;
        QTest::newRow("upper against lower case") << digest << lower << same << kIdentical;
        QTest::newRow("mixed case") << mixed << lower << same << kIdentical;
        QTest::newRow("white space around") << " \t" + digest << lower + "  \n"
                                            << same << kIdentical;
        QTest::newRow("sha256sum text mode") << digest << lower + "  a.bin" << same << kIdentical;
        QTest::newRow("sha256sum binary mode") << lower + " *a.bin" << digest << same << kIdentical;
        QTest::newRow("sha256sum escaped name")
            << "\\" + lower + "  a\\nb.bin" << digest << same << kIdentical;
        QTest::newRow("tagged line") << digest << "SHA256 (a.bin) = " + lower << same << kIdentical;
        QTest::newRow("openssl dgst line")
            << "SHA2-256(a (1).bin)= " + lower << digest << same << kIdentical;
        QTest::newRow("two lines, other names")
            << lower + "  a.bin"
            << "SHA256 (b.bin) = " + digest << same << kIdentical;
        QTest::newRow("63 characters") << digest << lower.left(63) << error << kDifferent;
        QTest::newRow("63 characters, case apart")
            << digest.left(63) << lower.left(63) << error << kDifferent;
        QTest::newRow("space inside the digest")
            << digest << lower.left(10) + " " + lower.mid(10) << error << kDifferent;
        QTest::newRow("line without its name") << digest << lower + " *" << error << kDifferent;
        QTest::newRow("non-hex text, same") << "not a digest"
                                            << "not a digest" << same << kIdentical;
        QTest::newRow("non-hex text, case apart") << "Not a digest"
                                                  << "not a digest" << error << kDifferent;
        QTest::newRow("non-hex text, trailing space") << "not a digest"
                                                      << "not a digest " << error << kDifferent;
        QTest::newRow("different digests")
            << digest << OpenSslHex("second file") << error << kDifferent;
        QTest::newRow("upper box empty") << QString() << digest << warning << kSelectFirst;
        QTest::newRow("lower box empty") << digest << QString() << warning << kSelectFirst;
        QTest::newRow("both empty") << QString() << QString() << warning << kSelectFirst;
    }

    void compare() {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(int, icon);
        QFETCH(QString, text);
        Edit("editHash1")->setText(upper);
        Edit("editHash2")->setText(lower);
        Click("compareButton");
        ExpectMessage(MessageBoxes::Icon(icon), text);
        QCOMPARE(Boxes(), (QStringList{QString(), upper, QString(), lower}));
        QCOMPARE(digester_.started, 0);
    }

    // A file in one group, a pasted digest of another length in the other: the file is digested
    // under the pasted digest's algorithm, shown with its label, and compared.
    void compareOtherAlgorithm_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("fileBelow");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("same");
        const QByteArray first("first file");
        const QString md5 = OpenSslHex(first, EVP_md5());
        const QString sha1 = OpenSslHex(first, EVP_sha1());
        const QString sha384 = OpenSslHex(first, EVP_sha384());
        const QString sha512 = OpenSslHex(first, EVP_sha512());
        // TTAS.KO-12.0011, the message "abc".
        const QString has160 = QStringLiteral("975E810488CF2A3D49838478124AFCE4B1C78804");
        QTest::newRow("MD5") << "a.bin" << false << md5.toLower() << "(MD5)" << md5 << true;
        QTest::newRow("SHA-1, mixed case and spaces")
            << "a.bin" << false << " " + sha1.left(20).toLower() + sha1.mid(20) + " "
            << "(SHA1)" << sha1 << true;
        QTest::newRow("HAS-160") << "abc.bin" << false << has160.toLower() << "(HAS160)" << has160
                                 << true;
        QTest::newRow("40 characters matching neither")
            << "abc.bin" << false << QString(40, 'a') << "(SHA1)" << OpenSslHex("abc", EVP_sha1())
            << false;
        QTest::newRow("SHA-384 tagged line")
            << "a.bin" << false << "SHA384 (a.bin) = " + sha384.toLower() << "(SHA384)" << sha384
            << true;
        QTest::newRow("SHA-512 sha512sum line") << "a.bin" << false << sha512.toLower() + "  a.bin"
                                                << "(SHA512)" << sha512 << true;
        QTest::newRow("SHA-512 of another file")
            << "a.bin" << false << OpenSslHex("second file", EVP_sha512()) << "(SHA512)" << sha512
            << false;
        QTest::newRow("SHA-512 pasted above, file below")
            << "a.bin" << true << sha512 << "(SHA512)" << sha512 << true;
        QTest::newRow("SHA-256 stays") << "a.bin" << false << OpenSslHex(first).toLower()
                                       << "(SHA256)" << OpenSslHex(first) << true;
        QTest::newRow("56 characters are not digested")
            << "a.bin" << false << OpenSslHex(first, EVP_sha224()) << "(SHA256)"
            << OpenSslHex(first) << false;
    }

    void compareOtherAlgorithm() {
        QFETCH(QString, file);
        QFETCH(bool, fileBelow);
        QFETCH(QString, pasted);
        QFETCH(QString, label);
        QFETCH(QString, shown);
        QFETCH(bool, same);
        chooser_.answer = dir_.filePath(file);
        Click(fileBelow ? "browseButton2" : "browseButton1");
        Edit(fileBelow ? "editHash1" : "editHash2")->setText(pasted);
        Click("compareButton", false);
        QTRY_COMPARE(messages_.shown.size(), 1);
        ExpectMessage(same ? MessageBoxes::Icon::Information : MessageBoxes::Icon::Error,
                      same ? kIdentical : kDifferent);
        QCOMPARE(Edit(fileBelow ? "editHash2" : "editHash1")->text(), shown);
        QCOMPARE(Child<QLabel>(fileBelow ? "algorithmLabel2" : "algorithmLabel1")->text(), label);
        QCOMPARE(Child<QLabel>(fileBelow ? "algorithmLabel1" : "algorithmLabel2")->text(),
                 QStringLiteral("(SHA256)"));
        QCOMPARE(Edit(fileBelow ? "editHash1" : "editHash2")->text(), pasted);
    }

    // Reset, a new file and a pasted SHA-256 digest each bring SHA-256 back.
    void otherAlgorithmUndone() {
        const QString sha512 = OpenSslHex("first file", EVP_sha512());
        QLabel* label = Child<QLabel>("algorithmLabel1");
        const auto compare_sha512 = [&] {
            chooser_.answer = dir_.filePath("a.bin");
            Click("browseButton1");
            Edit("editHash2")->setText(sha512);
            Click("compareButton");
            ExpectMessage(MessageBoxes::Icon::Information, kIdentical);
            QCOMPARE(label->text(), QStringLiteral("(SHA512)"));
        };
        compare_sha512();
        Edit("editHash2")->setText(OpenSslHex("first file").toLower());
        Click("compareButton");
        ExpectMessage(MessageBoxes::Icon::Information, kIdentical);
        QCOMPARE(label->text(), QStringLiteral("(SHA256)"));
        QCOMPARE(Edit("editHash1")->text(), OpenSslHex("first file"));

        compare_sha512();
        chooser_.answer = dir_.filePath("b.bin");
        Click("browseButton1");
        QCOMPARE(label->text(), QStringLiteral("(SHA256)"));
        QCOMPARE(Edit("editHash1")->text(), OpenSslHex("second file"));

        compare_sha512();
        Click("resetButton");
        QCOMPARE(label->text(), QStringLiteral("(SHA256)"));
        QCOMPARE(Boxes(), QStringList(4, QString()));
        // Every label stays clear of the digest box beside it.
        QVERIFY(label->x() > Edit("editHash1")->geometry().right());
    }

    void reset() {
        Fill({"p1", "h1", "p2", "h2"});
        QTest::mouseClick(Child<QPushButton>("resetButton"), Qt::LeftButton);
        QCOMPARE(Boxes(), QStringList(4, QString()));
    }

    void keysClose_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter in the upper digest")
            << "editHash1" << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("keypad Enter in the lower path")
            << "editPath2" << int(Qt::Key_Enter) << int(QDialog::Accepted);
        QTest::newRow("Escape in the lower digest")
            << "editHash2" << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }

    void keysClose() {
        QFETCH(QString, edit);
        QFETCH(int, key);
        QFETCH(int, result);
        dialog_->setResult(-1);
        QTest::keyClick(Edit(edit.toLatin1().constData()), Qt::Key(key));
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), result);
    }

    void closeButtons() {
        QVERIFY(Child<QPushButton>("closeButton")->isDefault());
        QCOMPARE(Child<QPushButton>("closeButton")->text(), QStringLiteral("닫기"));
        QVERIFY(Child<QPushButton>("cancelButton")->isHidden());
        QCOMPARE(Child<QPushButton>("cancelButton")->text(), QStringLiteral("취소"));
        QTest::mouseClick(Child<QPushButton>("closeButton"), Qt::LeftButton);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    }

    void contextMenuOpensAbout() {
        QStringList entries;
        bool about_seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (const QAction* action : menu->actions()) {
                entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
            }
            QTimer::singleShot(0, this, [&] {
                auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
                QVERIFY(about != nullptr);
                about_seen = true;
                QCOMPARE(about->windowTitle(), QStringLiteral("Tessarin 정보"));
                QCOMPARE(about->findChild<QLabel*>("aboutText")->text(),
                         QStringLiteral("Tessarin, 버전 1.0"));
                auto* ok = about->findChild<QPushButton*>("aboutOk");
                QCOMPARE(ok->text(), QStringLiteral("확인"));
                QVERIFY(ok->isDefault());
                QTest::keyClick(ok, Qt::Key_Return);
            });
            QTest::keyClick(menu, Qt::Key_A);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                dialog_->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(dialog_.get(), &event);
        QCOMPARE(entries, (QStringList{"-", QStringLiteral("Tessarin 정보(&A)...")}));
        QVERIFY(about_seen);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(dialog_->isVisible());
    }

    void eventLoopRunsDuringDigest() {
        digester_.hold = true;
        Drop({QUrl::fromLocalFile(dir_.filePath("a.bin"))}, Lower(), false);
        QVERIFY(dialog_->IsDigesting());
        bool fired = false;
        QTimer::singleShot(20, this, [&] { fired = true; });
        QTRY_VERIFY(fired);
        QVERIFY(dialog_->IsDigesting());
        QCOMPARE(Edit("editPath2")->text(), dir_.filePath("a.bin"));
        QCOMPARE(Edit("editHash2")->text(), QString());
        // A click on compare meanwhile finds the box still empty.
        Click("compareButton", false);
        ExpectMessage(MessageBoxes::Icon::Warning, kSelectFirst);
        digester_.hold = false;
        QTRY_VERIFY(!dialog_->IsDigesting());
        QCOMPARE(Edit("editHash2")->text(), OpenSslHex("first file"));
        QCOMPARE(digester_.cancelled, 0);
    }

    void progressDialog_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("both");
        QTest::newRow("runs to the end") << false << false;
        QTest::newRow("cancelled") << true << false;
        QTest::newRow("two files cancelled") << true << true;
    }

    void progressDialog() {
        QFETCH(bool, cancel);
        QFETCH(bool, both);
        dialog_->SetProgressDelay(std::chrono::milliseconds(0));
        digester_.hold = true;
        const QString path = dir_.filePath("three_blocks.bin");
        QList<QUrl> urls{QUrl::fromLocalFile(path)};
        if (both) urls.prepend(QUrl::fromLocalFile(dir_.filePath("a.bin")));
        Drop(urls, Lower(), false);
        QProgressDialog* progress = nullptr;
        QTRY_VERIFY((progress = dialog_->findChild<QProgressDialog*>("digestProgress")) &&
                    progress->isVisible());
        QVERIFY(!progress->isModal());
        QCOMPARE(progress->windowTitle(), kTitle);
        QCOMPARE(progress->labelText(), both ? QStringLiteral("a.bin\nthree_blocks.bin")
                                             : QStringLiteral("three_blocks.bin"));
        QVERIFY(QApplication::overrideCursor() != nullptr);
        if (cancel) {
            auto* button = progress->findChild<QPushButton*>();
            QCOMPARE(button->text(), QStringLiteral("취소"));
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!dialog_->IsDigesting());
            QTRY_COMPARE(digester_.cancelled, both ? 2 : 1);
        } else {
            digester_.hold = false;
        }
        QTRY_VERIFY(!dialog_->IsDigesting());
        QTRY_VERIFY(dialog_->findChild<QProgressDialog*>() == nullptr);
        QCOMPARE(Edit("editPath2")->text(), path);
        QCOMPARE(Edit("editHash2")->text(),
                 cancel ? QString() : OpenSslHex(QByteArray(3 * int(kReadBlockSize) + 5, 'z')));
        QCOMPARE(Edit("editHash1")->text(), QString());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // Nothing arrives late from the stopped workers.
        QTest::qWait(20);
        QCOMPARE(Edit("editHash2")->text(),
                 cancel ? QString() : OpenSslHex(QByteArray(3 * int(kReadBlockSize) + 5, 'z')));
    }

    // A second file for a group while the first is still being digested takes its place.
    void newFileReplacesRunningDigest_data() {
        QTest::addColumn<bool>("browse");
        QTest::newRow("dropped") << false;
        QTest::newRow("browsed") << true;
    }

    void newFileReplacesRunningDigest() {
        QFETCH(bool, browse);
        Fill({"p1", "h1", QString(), QString()});
        digester_.hold = true;
        Drop({QUrl::fromLocalFile(dir_.filePath("a.bin"))}, Lower(), false);
        QTRY_COMPARE(digester_.started, 1);
        const QString second = dir_.filePath("b.bin");
        if (browse) {
            chooser_.answer = second;
            Click("browseButton2", false);
        } else {
            Drop({QUrl::fromLocalFile(second)}, Lower(), false);
        }
        QTRY_COMPARE(digester_.cancelled, 1);
        QCOMPARE(Edit("editPath2")->text(), second);
        QVERIFY(dialog_->IsDigesting());
        digester_.hold = false;
        QTRY_VERIFY(!dialog_->IsDigesting());
        QTest::qWait(20);
        QCOMPARE(Boxes(), (QStringList{"p1", "h1", second, OpenSslHex("second file")}));
        QCOMPARE(digester_.started, 2);
    }

    // Reset, closing and destroying the window during a digest stop it; nothing is written later.
    void digestStopped_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("reset") << "reset";
        QTest::newRow("close button") << "close";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("window destroyed") << "destroy";
        QTest::newRow("destroyed during a comparison") << "compare";
    }

    void digestStopped() {
        QFETCH(QString, how);
        chooser_.answer = dir_.filePath("a.bin");
        Click("browseButton1");
        digester_.hold = true;
        if (how == "compare") {
            Edit("editHash2")->setText(OpenSslHex("first file", EVP_sha512()));
            Click("compareButton", false);
        } else {
            Drop({QUrl::fromLocalFile(dir_.filePath("b.bin"))}, Upper(), false);
        }
        QTRY_COMPARE(digester_.started, 2);
        QVERIFY(dialog_->IsDigesting());
        if (how == "reset") {
            Click("resetButton", false);
            QVERIFY(dialog_->isVisible());
        } else if (how == "close") {
            Click("closeButton", false);
            QVERIFY(!dialog_->isVisible());
        } else if (how == "escape") {
            QTest::keyClick(Edit("editHash1"), Qt::Key_Escape);
            QVERIFY(!dialog_->isVisible());
        } else {
            dialog_.reset();
            QCOMPARE(digester_.cancelled, 1);
            QVERIFY(QApplication::overrideCursor() == nullptr);
            dialog_ = std::make_unique<CTessarinDlg>(messages_, chooser_, digester_);
            return;
        }
        QVERIFY(!dialog_->IsDigesting());
        QTRY_COMPARE(digester_.cancelled, 1);
        digester_.hold = false;
        QTest::qWait(20);
        if (how == "reset") QCOMPARE(Boxes(), QStringList(4, QString()));
        QCOMPARE(Edit("editHash1")->text(), QString());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The real message box: wide enough for its caption even with a short text.
    void messageBoxShowsCaption() {
        QtMessageBoxes boxes;
        QString caption;
        QString text;
        int width = 0;
        int needed = -1;
        QTimer::singleShot(0, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                width = box->width();
                needed = CaptionWidth(*box, kTitle);
                box->accept();
            }
        });
        boxes.Show(dialog_.get(), MessageBoxes::Icon::Warning, kTitle, kSelectFirst);
        QCOMPARE(caption, kTitle);
        QCOMPARE(text, kSelectFirst);
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
    }

    void titleAndSize() {
        QCOMPARE(dialog_->windowTitle(), kTitle);
        QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
        QVERIFY(dialog_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(dialog_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Edit("editPath1")->isReadOnly() && Edit("editPath2")->isReadOnly());
        QVERIFY(!Edit("editHash1")->isReadOnly() && !Edit("editHash2")->isReadOnly());
    }

    // Every text fits its control, no two controls overlap, and each sits in one group or in none.
    void layoutShowsEveryText() {
        const QList<QWidget*> widgets = dialog_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QList<QWidget*> groups;
        QList<QWidget*> controls;
        for (QWidget* widget : widgets) {
            if (!widget->isVisible()) continue;
            (qobject_cast<QGroupBox*>(widget) ? groups : controls).append(widget);
            QVERIFY2(dialog_->rect().contains(widget->geometry()),
                     qPrintable(widget->objectName()));
            const QByteArray object = widget->objectName().toLatin1();
            const char* name = object.constData();
            if (auto* group = qobject_cast<QGroupBox*>(widget)) {
                QVERIFY2(group->minimumSizeHint().width() <= group->width(), name);
                continue;
            }
            QVERIFY2(widget->sizeHint().height() <= widget->height(), name);
            if (auto* label = qobject_cast<QLabel*>(widget))
                QVERIFY2(label->sizeHint().width() <= label->width(), name);
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                // The style's own minimum width (a look, not a need) is left out.
                const QStyle* style = button->style();
                const int needed =
                    button->fontMetrics().horizontalAdvance(button->text()) +
                    2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                    2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
                QVERIFY2(needed <= button->width(), name);
            }
        }
        QCOMPARE(groups.size(), 2);
        QCOMPARE(controls.size(), 11);
        QVERIFY(!groups[0]->geometry().intersects(groups[1]->geometry()));
        for (QWidget* control : controls) {
            for (QWidget* other : controls) {
                QVERIFY2(control == other || !control->geometry().intersects(other->geometry()),
                         qPrintable(control->objectName() + " / " + other->objectName()));
            }
            for (QWidget* group : groups) {
                const QRect inside = group->contentsRect().translated(group->pos());
                QVERIFY2(inside.contains(control->geometry()) ||
                             !group->geometry().intersects(control->geometry()),
                         qPrintable(control->objectName() + " in " + group->objectName()));
            }
        }
        const auto x = [this](const char* name) { return Child<QPushButton>(name)->x(); };
        QVERIFY(x("resetButton") < x("compareButton") && x("compareButton") < x("closeButton"));
        QVERIFY(Child<QGroupBox>("upperGroup")->y() < Child<QGroupBox>("lowerGroup")->y());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
