// The window digesting a large file chosen with "찾기": wall time until its digest box is filled,
// beside `openssl dgst -sha256` on the same file, and how promptly the window's event loop answered
// meanwhile (the gaps between ticks of a 10 ms timer).
//   bench_window_digest [file]   without a file, a 1 GiB file is written to a temporary folder
//   first
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "digest_run.h"
#include "prompts.h"
#include "tessarin_dlg.h"

namespace {

constexpr qint64 kDefaultSize = qint64{1} << 30;

class NoMessages final : public tessarin::MessageBoxes {
  public:
    void Show(QWidget*, Icon, const QString&, const QString&) override {}
};

class FixedChooser final : public tessarin::FileChooser {
  public:
    explicit FixedChooser(QString path) : path_(std::move(path)) {}
    QString ChooseFile(QWidget*, const QString&) override { return path_; }

  private:
    QString path_;
};

bool WriteFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < size; done += block.size()) {
        for (qsizetype i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((done + i) * 2654435761u >> 24);
        if (file.write(block) != block.size()) return false;
    }
    return true;
}

double OpenSslSeconds(const QString& path, QString& digest) {
    const std::string command =
        "openssl dgst -sha256 -r '" + QFile::encodeName(path).toStdString() + "'";
    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
    char line[256] = {};
    if (!pipe || std::fgets(line, sizeof line, pipe.get()) == nullptr) return -1;
    digest = QString::fromLatin1(line).left(64).toUpper();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString path;
    if (argc > 1) {
        path = QFile::decodeName(argv[1]);
    } else {
        path = dir.filePath(QStringLiteral("bench.bin"));
        if (!dir.isValid() || !WriteFile(path, kDefaultSize)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    // Brings the file into the page cache, so both sides read from memory.
    QString theirs;
    OpenSslSeconds(path, theirs);
    const double openssl = OpenSslSeconds(path, theirs);

    NoMessages messages;
    FixedChooser chooser(path);
    tessarin::ServiceDigester digester;
    tessarin::CTessarinDlg dialog(messages, chooser, digester);
    dialog.show();

    std::vector<double> gaps;
    QElapsedTimer since_tick;
    QElapsedTimer clock;
    double wall = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &dialog, [&] {
        gaps.push_back(static_cast<double>(since_tick.nsecsElapsed()) / 1e6);
        since_tick.start();
        if (!dialog.IsDigesting()) {
            wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            app.quit();
        }
    });
    QTimer::singleShot(0, &dialog, [&] {
        clock.start();
        since_tick.start();
        ticks.start(10);
        dialog.findChild<QPushButton*>(QStringLiteral("browseButton1"))->click();
    });
    app.exec();

    const QString ours = dialog.findChild<QLineEdit*>(QStringLiteral("editHash1"))->text();
    if (ours.isEmpty() || ours != theirs) {
        std::fprintf(stderr, "digests differ: %s / %s\n", qPrintable(ours), qPrintable(theirs));
        return 1;
    }
    std::sort(gaps.begin(), gaps.end());
    const double mib = static_cast<double>(QFile(path).size()) / (1 << 20);
    std::printf("file: %.0f MiB in the page cache\n", mib);
    std::printf("window, browse to filled box  %.3f s (%5.0f MiB/s)\n", wall, mib / wall);
    std::printf("openssl dgst -sha256          %.3f s (%5.0f MiB/s)\n", openssl, mib / openssl);
    std::printf("ratio                         %.3f\n", wall / openssl);
    std::printf("10 ms timer while digesting   %zu ticks, median gap %.1f ms, longest %.1f ms\n",
                gaps.size(), gaps[gaps.size() / 2], gaps.back());
    return 0;
}
