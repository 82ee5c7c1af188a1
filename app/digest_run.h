#pragma once
// A file digest on a worker thread, so that the window keeps answering while a large file is read.
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "digest_text.h"
#include "md5.h"

namespace tessarin {

// Where the window's digests come from; behind an interface so that tests can slow it down.
class FileDigester {
  public:
    virtual ~FileDigester() = default;
    // Runs on a worker thread, for both groups at once when both are busy. One upper-case text per
    // algorithm, all empty when the file cannot be digested or `progress` returns false.
    virtual std::vector<QString> Digest(const QString& path,
                                        const std::vector<Algorithm>& algorithms,
                                        const ProgressCallback& progress) = 0;
};

// The file digest service.
class ServiceDigester final : public FileDigester {
  public:
    std::vector<QString> Digest(const QString& path, const std::vector<Algorithm>& algorithms,
                                const ProgressCallback& progress) override;
};

// One digest of one file, started at construction. Finished is emitted on the object's thread
// once the worker is done, cancelled or not; destroying the object cancels the work and waits for
// the worker, so nothing arrives afterwards.
class DigestRun : public QObject {
    Q_OBJECT
  public:
    // `digester` must outlive the run.
    DigestRun(FileDigester& digester, QString path, std::vector<Algorithm> algorithms,
              QObject* parent = nullptr);
    ~DigestRun() override;
    DigestRun(const DigestRun&) = delete;
    DigestRun& operator=(const DigestRun&) = delete;

    // Asks the worker to stop at its next block; Finished still follows.
    void Cancel() { cancelled_ = true; }
    bool IsCancelled() const { return cancelled_; }

    const QString& Path() const { return path_; }
    const std::vector<Algorithm>& Algorithms() const { return algorithms_; }
    // Bytes read so far and the file's size (0 while unknown).
    std::int64_t Done() const { return done_; }
    std::int64_t Total() const { return total_; }

  signals:
    // One text per algorithm, in the order asked for.
    void Finished(const QStringList& texts);

  private:
    void Work(FileDigester& digester);

    const QString path_;
    const std::vector<Algorithm> algorithms_;
    std::atomic<bool> cancelled_{false};
    std::atomic<std::int64_t> done_{0};
    std::atomic<std::int64_t> total_{0};
    std::thread worker_;  // last, so that it starts once everything it reads exists
};

}  // namespace tessarin
