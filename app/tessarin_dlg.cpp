#include "tessarin_dlg.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#include "about_dlg.h"
#include "dialog_units.h"
#include "digest_run.h"
#include "md5.h"
#include "prompts.h"

namespace tessarin {
namespace {

const QString kTitle = QStringLiteral("ZELTARO Hash Compare Tool");
const QString kAboutEntry = QStringLiteral("Tessarin 정보(&A)...");
const QString kWrongDropCount = QStringLiteral(
    "Drap&Drop 을 잘못하였습니다. \n파일을 하나 또는 두개만 Drag&Drop 하시길 바랍니다.");
const QString kSelectFirst = QStringLiteral("먼저 비교할 파일들을 선택하시길 바랍니다.");
const QString kIdentical = QStringLiteral("두 개의 파일이 동일합니다. (Hash 값 동일)");
const QString kDifferent = QStringLiteral("두 개의 파일이 동일하지 않습니다. (Hash 값 다름)");
// Each filter names its patterns for the reader, then lists them for Qt; the dialog shows only the
// names: "exe and cab (*.exe)(*.cab)" and "All Files (*.*)".
const QString kBrowseFilter =
    QStringLiteral("exe and cab (*.exe)(*.cab) (*.exe *.cab);;All Files (*.*) (*)");

constexpr int kProgressSteps = 1000;
constexpr std::chrono::milliseconds kProgressInterval{50};

// The label keeps its place in the template; a text that needs more room grows it about its centre,
// since the units come from whole-pixel metrics and a label one pixel short would cut its glyphs.
void FitLabel(QLabel* label, const QString& text, QRect area) {
    label->setText(text);
    const QSize needed = label->sizeHint().expandedTo(area.size());
    const QSize grow = needed - area.size();
    label->setGeometry(area.adjusted(-grow.width() / 2, -grow.height() / 2,
                                     grow.width() - grow.width() / 2,
                                     grow.height() - grow.height() / 2));
}

QString LabelText(Algorithm algorithm) {
    return QStringLiteral("(%1)").arg(QLatin1String(AlgorithmName(algorithm)));
}

QLineEdit* MakeEdit(QWidget* parent, const QString& name, QRect geometry, bool read_only) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    edit->setReadOnly(read_only);
    // Files dropped anywhere belong to the window's routing, not to one edit.
    edit->setAcceptDrops(false);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect area) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    FitLabel(label, LabelText(Algorithm::Sha256), area);
    return label;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& title, QRect geometry) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(geometry);
    return group;
}

}  // namespace

CTessarinDlg::CTessarinDlg(MessageBoxes& messages, FileChooser& chooser, FileDigester& digester,
                           QWidget* parent)
    : QDialog(parent),
      m_hIcon(QStringLiteral(":/tessarin/tessarin.png")),
      m_strTitle(kTitle),
      m_messages(messages),
      m_chooser(chooser),
      m_digester(digester) {
    setObjectName(QStringLiteral("mainDialog"));
    setWindowTitle(m_strTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setAcceptDrops(true);
    const DialogUnits units(font());

    // Created in the template's order, which is also the tab order.
    auto* close = MakeButton(this, QStringLiteral("closeButton"), QStringLiteral("닫기"),
                             units.Map(221, 153, 50, 14));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = MakeButton(this, QStringLiteral("cancelButton"), QStringLiteral("취소"),
                              units.Map(322, 66, 50, 14));
    cancel->hide();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    MakeGroup(this, QStringLiteral("upperGroup"), QStringLiteral("원본 파일"),
              units.Map(7, 7, 365, 59));
    MakeGroup(this, QStringLiteral("lowerGroup"), QStringLiteral("비교 대상 파일"),
              units.Map(7, 81, 365, 61));
    m_editPath1 = MakeEdit(this, QStringLiteral("editPath1"), units.Map(19, 23, 306, 14), true);
    m_editPath2 = MakeEdit(this, QStringLiteral("editPath2"), units.Map(19, 99, 306, 14), true);
    auto* browse1 = MakeButton(this, QStringLiteral("browseButton1"), QStringLiteral("찾기"),
                               units.Map(330, 22, 33, 14));
    connect(browse1, &QPushButton::clicked, this, &CTessarinDlg::OnBnClickedBrowse1);
    auto* browse2 = MakeButton(this, QStringLiteral("browseButton2"), QStringLiteral("찾기"),
                               units.Map(330, 98, 33, 14));
    connect(browse2, &QPushButton::clicked, this, &CTessarinDlg::OnBnClickedBrowse2);
    m_editHash1 = MakeEdit(this, QStringLiteral("editHash1"), units.Map(19, 41, 306, 14), false);
    m_editHash2 = MakeEdit(this, QStringLiteral("editHash2"), units.Map(19, 117, 306, 14), false);
    auto* compare = MakeButton(this, QStringLiteral("compareButton"), QStringLiteral("HASH 비교"),
                               units.Map(164, 153, 50, 14));
    connect(compare, &QPushButton::clicked, this, &CTessarinDlg::OnBnClickedCompare);
    m_upper.label_area = units.Map(331, 45, 33, 8);
    m_upper.label = MakeLabel(this, QStringLiteral("algorithmLabel1"), m_upper.label_area);
    m_lower.label_area = units.Map(331, 120, 35, 8);
    m_lower.label = MakeLabel(this, QStringLiteral("algorithmLabel2"), m_lower.label_area);
    auto* reset = MakeButton(this, QStringLiteral("resetButton"), QStringLiteral("초기화"),
                             units.Map(107, 153, 50, 14));
    connect(reset, &QPushButton::clicked, this, &CTessarinDlg::OnBnClickedReset);

    m_upper.path = m_editPath1;
    m_upper.hash = m_editHash1;
    m_lower.path = m_editPath2;
    m_lower.hash = m_editHash2;
    m_progressTimer.setInterval(kProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &CTessarinDlg::UpdateProgress);

    setFixedSize(units.Map(379, 179));
    OnInitDialog();
}

CTessarinDlg::~CTessarinDlg() {
    // Every worker is told to stop before the first is waited for.
    const QList<DigestRun*> runs = findChildren<DigestRun*>(Qt::FindDirectChildrenOnly);
    for (DigestRun* run : runs) run->Cancel();
    qDeleteAll(runs);
    m_upper.run = m_lower.run = nullptr;
    UpdateBusy();
}

bool CTessarinDlg::IsDigesting() const {
    return m_upper.run != nullptr || m_lower.run != nullptr;
}

void CTessarinDlg::done(int result) {
    StopAll();
    QDialog::done(result);
}

void CTessarinDlg::OnInitDialog() {
    setWindowIcon(m_hIcon);
}

void CTessarinDlg::contextMenuEvent(QContextMenuEvent* event) {
    // Window managers keep the window menu to themselves; the entry lives in the context menu.
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("windowMenu"));
    menu.addSeparator();
    QAction* about = menu.addAction(kAboutEntry);
    if (menu.exec(event->globalPos()) == about) OnSysCommand(kIdmAboutBox);
}

void CTessarinDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == kIdmAboutBox) {
        CAboutDlg about(m_hIcon, this);
        about.exec();
    }
}

void CTessarinDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool files =
        !urls.isEmpty() &&
        std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    if (files) event->acceptProposedAction();
}

void CTessarinDlg::dropEvent(QDropEvent* event) {
    OnDropFiles(*event->mimeData(), event->position().toPoint());
    event->acceptProposedAction();
}

void CTessarinDlg::OnDropFiles(const QMimeData& data, QPoint point) {
    const QList<QUrl> urls = data.urls();
    std::array<QString, 2> paths;
    int found = 0;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (path.isEmpty()) continue;
        paths[found++] = path;
        if (found == 2) break;
    }
    // Routed by the number of files offered, not the number of names that could be read.
    switch (urls.size()) {
        case 1:
            switch (FindDropGroup(point)) {
                case Group::Upper:
                    ShowFile(m_upper, paths[0]);
                    break;
                case Group::Lower:
                    ShowFile(m_lower, paths[0]);
                    break;
                case Group::None:
                    break;
            }
            break;
        case 2:
            ShowFile(m_upper, paths[0]);
            ShowFile(m_lower, paths[1]);
            break;
        default:
            m_messages.Show(this, MessageBoxes::Icon::Error, m_strTitle, kWrongDropCount);
            break;
    }
}

CTessarinDlg::Group CTessarinDlg::FindDropGroup(QPoint point) const {
    if (!rect().contains(point)) return Group::None;
    const auto* lower = findChild<QGroupBox*>(QStringLiteral("lowerGroup"));
    if (lower == nullptr) return Group::Upper;
    // The dividing line lies as far above the client area's bottom as the lower group's top lies
    // above the window's bottom edge, frame included; a point on the line belongs below.
    const QRect window = frameGeometry();
    const int window_bottom = window.y() + window.height();
    const int group_top = lower->mapToGlobal(QPoint(0, 0)).y();
    return point.y() < height() + group_top - window_bottom ? Group::Upper : Group::Lower;
}

void CTessarinDlg::OnBnClickedBrowse1() {
    Browse(m_upper);
}

void CTessarinDlg::OnBnClickedBrowse2() {
    Browse(m_lower);
}

void CTessarinDlg::Browse(FileGroup& group) {
    const QString path = m_chooser.ChooseFile(this, kBrowseFilter);
    if (!path.isEmpty()) ShowFile(group, path);
}

void CTessarinDlg::ShowFile(FileGroup& group, const QString& path) {
    // A new file replaces whatever ran for the group, and a comparison waiting on it is moot.
    StopRun(group);
    m_compareWaits = false;
    group.path->setText(path);
    group.path->setCursorPosition(0);
    group.hash->clear();
    group.file = path;
    group.digests.clear();
    group.shown = Algorithm::Sha256;
    FitLabel(group.label, LabelText(group.shown), group.label_area);
    if (!path.isEmpty()) StartRun(group, {Algorithm::Sha256}, false);
}

void CTessarinDlg::OnBnClickedCompare() {
    for (FileGroup* group : {&m_upper, &m_lower}) {
        if (group->for_compare) StopRun(*group);
    }
    m_compareWaits = false;
    Compare();
}

void CTessarinDlg::Compare() {
    if (m_editHash1->text().isEmpty() || m_editHash2->text().isEmpty()) {
        m_messages.Show(this, MessageBoxes::Icon::Warning, m_strTitle, kSelectFirst);
        return;
    }
    // A pasted digest of another kind is met by the other group's file under that algorithm.
    if (AlignTo(m_upper, m_lower) || AlignTo(m_lower, m_upper)) {
        m_compareWaits = true;
        return;
    }
    const QString first = m_editHash1->text();
    const QString second = m_editHash2->text();
    if (first.isEmpty() || second.isEmpty()) {
        m_messages.Show(this, MessageBoxes::Icon::Warning, m_strTitle, kSelectFirst);
    } else if (DigestTextsMatch(first, second)) {
        m_messages.Show(this, MessageBoxes::Icon::Information, m_strTitle, kIdentical);
    } else {
        m_messages.Show(this, MessageBoxes::Icon::Error, m_strTitle, kDifferent);
    }
}

// Shows `own` file's digest in the algorithm of the digest `other` holds; true when that digest
// must first be computed. Only a box still showing what the tool computed for its file is changed.
bool CTessarinDlg::AlignTo(FileGroup& own, const FileGroup& other) {
    const std::optional<QString> theirs = ParseHexDigest(other.hash->text());
    if (!theirs) return false;
    const std::vector<Algorithm> wanted = AlgorithmsForLength(theirs->size());
    const auto shown = own.digests.find(own.shown);
    if (wanted.empty() || own.file.isEmpty() || own.run != nullptr || shown == own.digests.end() ||
        shown->second.isEmpty() || own.hash->text() != shown->second) {
        return false;
    }
    std::vector<Algorithm> missing;
    for (const Algorithm algorithm : wanted) {
        if (own.digests.count(algorithm) == 0) missing.push_back(algorithm);
    }
    if (!missing.empty()) {
        StartRun(own, std::move(missing), true);
        return true;
    }
    // Of two algorithms with digests of one length, the one that matches is shown.
    Algorithm choice = wanted.front();
    for (const Algorithm algorithm : wanted) {
        if (own.digests[algorithm] == *theirs) choice = algorithm;
    }
    ShowDigest(own, choice);
    return false;
}

void CTessarinDlg::ShowDigest(FileGroup& group, Algorithm algorithm) {
    group.shown = algorithm;
    group.hash->setText(group.digests[algorithm]);
    group.hash->setCursorPosition(0);
    FitLabel(group.label, LabelText(algorithm), group.label_area);
}

void CTessarinDlg::StartRun(FileGroup& group, std::vector<Algorithm> algorithms, bool for_compare) {
    if (!IsDigesting()) m_busyFor.start();
    auto* run = new DigestRun(m_digester, group.file, std::move(algorithms), this);
    connect(run, &DigestRun::Finished, this,
            [this, &group, run](const QStringList& texts) { OnRunFinished(group, run, texts); });
    group.run = run;
    group.for_compare = for_compare;
    UpdateBusy();
}

void CTessarinDlg::OnRunFinished(FileGroup& group, DigestRun* run, const QStringList& texts) {
    run->deleteLater();
    // A run stopped by a newer file, a reset or closing leaves no trace.
    if (group.run != run) return;
    group.run = nullptr;
    const bool for_compare = group.for_compare;
    group.for_compare = false;
    UpdateBusy();
    if (run->IsCancelled()) {
        if (for_compare) m_compareWaits = false;
        return;
    }
    for (std::size_t i = 0; i < run->Algorithms().size(); ++i) {
        group.digests[run->Algorithms()[i]] = texts.value(static_cast<qsizetype>(i));
    }
    if (!for_compare) {
        ShowDigest(group, Algorithm::Sha256);
    } else if (m_compareWaits) {
        m_compareWaits = false;
        Compare();
    }
}

void CTessarinDlg::StopRun(FileGroup& group) {
    if (group.run == nullptr) return;
    // The worker ends at its next block; its Finished then only releases it.
    group.run->Cancel();
    group.run = nullptr;
    group.for_compare = false;
    UpdateBusy();
}

void CTessarinDlg::StopAll() {
    m_compareWaits = false;
    StopRun(m_upper);
    StopRun(m_lower);
}

void CTessarinDlg::UpdateBusy() {
    const bool busy = IsDigesting();
    if (busy && !m_busyCursor) {
        // The arrow beside the hourglass says that the window still takes input.
        QApplication::setOverrideCursor(Qt::BusyCursor);
        m_progressTimer.start();
    } else if (!busy && m_busyCursor) {
        QApplication::restoreOverrideCursor();
        m_progressTimer.stop();
        CloseProgress();
    }
    m_busyCursor = busy;
}

// Once the digests have run longer than the delay, a progress dialog shows how far they are and
// offers to cancel them; the window itself stays usable.
void CTessarinDlg::UpdateProgress() {
    std::vector<const DigestRun*> runs;
    for (const FileGroup* group : {&m_upper, &m_lower}) {
        if (group->run != nullptr) runs.push_back(group->run);
    }
    if (runs.empty()) return;
    if (m_progress == nullptr) {
        if (std::chrono::milliseconds(m_busyFor.elapsed()) < m_progressDelay) return;
        m_progress = new QProgressDialog(this);
        m_progress->setObjectName(QStringLiteral("digestProgress"));
        m_progress->setWindowTitle(m_strTitle);
        m_progress->setCancelButtonText(QStringLiteral("취소"));
        m_progress->setWindowModality(Qt::NonModal);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        m_progress->setMinimumDuration(0);
        connect(m_progress, &QProgressDialog::canceled, this, [this] {
            StopAll();
            CloseProgress();
        });
    }
    QStringList names;
    std::int64_t done = 0;
    std::int64_t total = 0;
    bool known = true;
    for (const DigestRun* run : runs) {
        names.append(QFileInfo(run->Path()).fileName());
        done += std::min(run->Done(), run->Total());
        total += run->Total();
        known = known && run->Total() > 0;
    }
    m_progress->setLabelText(names.join(QLatin1Char('\n')));
    m_progress->setMaximum(known ? kProgressSteps : 0);
    if (known) m_progress->setValue(static_cast<int>(done * kProgressSteps / total));
    if (!m_progress->isVisible()) m_progress->show();
}

void CTessarinDlg::CloseProgress() {
    if (m_progress == nullptr) return;
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void CTessarinDlg::OnBnClickedReset() {
    StopAll();
    for (FileGroup* group : {&m_upper, &m_lower}) {
        group->file.clear();
        group->digests.clear();
        group->shown = Algorithm::Sha256;
        FitLabel(group->label, LabelText(group->shown), group->label_area);
    }
    m_editPath1->clear();
    m_editHash1->clear();
    m_editPath2->clear();
    m_editHash2->clear();
}

}  // namespace tessarin
