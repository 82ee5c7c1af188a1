// Wall time of CMD5::GetFileDigestText on a large file already in the page cache, beside
// `openssl dgst -sha256` on the same file, and this process's peak resident set.
//   bench_file_digest [file]   without a file, a 1 GiB file is written to a temporary folder first
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "md5.h"

namespace {

constexpr int kRuns = 5;
constexpr qint64 kDefaultSize = qint64{1} << 30;

using Clock = std::chrono::steady_clock;

bool WriteFile(const QString& path, qint64 size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 done = 0; done < size; done += block.size()) {
        for (qsizetype i = 0; i < block.size(); ++i) block[i] = static_cast<char>((done + i) * 2654435761u >> 24);
        if (file.write(block) != block.size()) return false;
    }
    return true;
}

// `openssl dgst -sha256 -r` prints the digest in lower case, then the file name.
QString OpenSslDigest(const QString& path) {
    const std::string command = "openssl dgst -sha256 -r '" + QFile::encodeName(path).toStdString() + "'";
    const std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
    if (!pipe) return {};
    char line[256] = {};
    if (std::fgets(line, sizeof line, pipe.get()) == nullptr) return {};
    return QString::fromLatin1(line).left(64).toUpper();
}

double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
    double wall;  // median of the runs
    double cpu;   // mean per run: on a shared machine the steadier figure
};

// `who` names whose processor time the work spends: this process or its children.
template <class Work>
Timing Measure(int who, Work work) {
    std::vector<double> seconds;
    const double cpu_before = CpuSeconds(who);
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return {seconds[seconds.size() / 2], (CpuSeconds(who) - cpu_before) / kRuns};
}

}  // namespace

int main(int argc, char** argv) {
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
    const qint64 size = QFile(path).size();

    // One untimed pass of each brings the file into the page cache.
    tessarin::CMD5 service;
    const QString ours = service.GetFileDigestText(path);
    const QString theirs = OpenSslDigest(path);
    if (ours.isEmpty() || ours != theirs) {
        std::fprintf(stderr, "digests differ: %s / %s\n", qPrintable(ours), qPrintable(theirs));
        return 1;
    }

    const Timing tessarin = Measure(RUSAGE_SELF, [&] { tessarin::CMD5().GetFileDigestText(path); });
    const Timing openssl = Measure(RUSAGE_CHILDREN, [&] { OpenSslDigest(path); });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    const double mib = static_cast<double>(size) / (1 << 20);
    std::printf("file: %.0f MiB in the page cache, %d runs each\n", mib, kRuns);
    std::printf("                         wall (median)          cpu (mean)\n");
    std::printf("CMD5::GetFileDigestText  %.3f s (%5.0f MiB/s)  %.3f s\n", tessarin.wall, mib / tessarin.wall,
                tessarin.cpu);
    std::printf("openssl dgst -sha256     %.3f s (%5.0f MiB/s)  %.3f s\n", openssl.wall, mib / openssl.wall,
                openssl.cpu);
    std::printf("ratio                    %.3f                  %.3f\n", tessarin.wall / openssl.wall,
                tessarin.cpu / openssl.cpu);
    std::printf("peak resident set        %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024);
    return 0;
}
