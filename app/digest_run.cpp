#include "digest_run.h"

#include <utility>

namespace tessarin {

std::vector<QString> ServiceDigester::Digest(const QString& path,
                                             const std::vector<Algorithm>& algorithms,
                                             const ProgressCallback& progress) {
    std::vector<const char*> names;
    for (const Algorithm algorithm : algorithms) names.push_back(AlgorithmName(algorithm));
    CMD5 service;
    return service.GetFileDigestTexts(path, names, progress);
}

DigestRun::DigestRun(FileDigester& digester, QString path, std::vector<Algorithm> algorithms,
                     QObject* parent)
    : QObject(parent),
      path_(std::move(path)),
      algorithms_(std::move(algorithms)),
      worker_([this, &digester] { Work(digester); }) {}

DigestRun::~DigestRun() {
    Cancel();
    worker_.join();
}

void DigestRun::Work(FileDigester& digester) {
    const std::vector<QString> texts =
        digester.Digest(path_, algorithms_, [this](std::int64_t done, std::int64_t total) {
            done_ = done;
            total_ = total;
            return !cancelled_;
        });
    QStringList list(texts.begin(), texts.end());
    if (cancelled_) list = QStringList(static_cast<qsizetype>(algorithms_.size()), QString());
    // Queued to this object's thread; a run destroyed before then takes the event with it.
    QMetaObject::invokeMethod(
        this, [this, list = std::move(list)] { emit Finished(list); }, Qt::QueuedConnection);
}

}  // namespace tessarin
