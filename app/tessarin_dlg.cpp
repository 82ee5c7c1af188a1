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

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Driven from the reading loop: once the work has taken longer than the delay, a modal progress
// dialog appears and the events it needs are processed between blocks, so the user can cancel.
class DigestProgress {
public:
    DigestProgress(QWidget* owner, QString title, QString label, std::chrono::milliseconds delay)
        : owner_(owner), title_(std::move(title)), label_(std::move(label)), delay_(delay) {
        clock_.start();
    }

    bool operator()(std::int64_t done, std::int64_t total) {
        if (!dialog_) {
            if (std::chrono::milliseconds(clock_.elapsed()) < delay_) return true;
            Open(total > 0);
        }
        if (total > 0) {
            dialog_->setValue(static_cast<int>(std::min<std::int64_t>(done, total) * kSteps / total));
        }
        QCoreApplication::processEvents();
        return !dialog_->wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;

    void Open(bool known_size) {
        dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("취소"), 0,
                                                    known_size ? kSteps : 0, owner_);
        dialog_->setObjectName(QStringLiteral("digestProgress"));
        dialog_->setWindowTitle(title_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        dialog_->setMinimumDuration(0);
        dialog_->show();
        // The busy pointer still shows that the cancel button can be pressed.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    }

    QWidget* owner_;
    QString title_;
    QString label_;
    std::chrono::milliseconds delay_;
    QElapsedTimer clock_;
    std::unique_ptr<QProgressDialog> dialog_;
};

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

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    // The units come from whole-pixel metrics; a label one pixel short would cut its glyphs, so it
    // grows about its centre to what its text needs.
    const QSize needed = label->sizeHint().expandedTo(geometry.size());
    const QSize grow = needed - geometry.size();
    label->setGeometry(geometry.adjusted(-grow.width() / 2, -grow.height() / 2, grow.width() - grow.width() / 2,
                                         grow.height() - grow.height() / 2));
    return label;
}

QGroupBox* MakeGroup(QWidget* parent, const QString& name, const QString& title, QRect geometry) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(geometry);
    return group;
}

}  // namespace

CTessarinDlg::CTessarinDlg(MessageBoxes& messages, FileChooser& chooser, QWidget* parent)
    : QDialog(parent),
      m_hIcon(QStringLiteral(":/tessarin/tessarin.png")),
      m_strTitle(kTitle),
      m_messages(messages),
      m_chooser(chooser) {
    setObjectName(QStringLiteral("mainDialog"));
    setWindowTitle(m_strTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
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
    MakeGroup(this, QStringLiteral("upperGroup"), QStringLiteral("원본 파일"), units.Map(7, 7, 365, 59));
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
    MakeLabel(this, QStringLiteral("algorithmLabel1"), QStringLiteral("(SHA256)"), units.Map(331, 45, 33, 8));
    MakeLabel(this, QStringLiteral("algorithmLabel2"), QStringLiteral("(SHA256)"), units.Map(331, 120, 35, 8));
    auto* reset = MakeButton(this, QStringLiteral("resetButton"), QStringLiteral("초기화"),
                             units.Map(107, 153, 50, 14));
    connect(reset, &QPushButton::clicked, this, &CTessarinDlg::OnBnClickedReset);

    setFixedSize(units.Map(379, 179));
    OnInitDialog();
}

CTessarinDlg::~CTessarinDlg() = default;

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
    const bool files = !urls.isEmpty() &&
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
                case Group::Upper: ShowFile(m_editPath1, m_editHash1, paths[0]); break;
                case Group::Lower: ShowFile(m_editPath2, m_editHash2, paths[0]); break;
                case Group::None: break;
            }
            break;
        case 2:
            ShowFile(m_editPath1, m_editHash1, paths[0]);
            ShowFile(m_editPath2, m_editHash2, paths[1]);
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

void CTessarinDlg::OnBnClickedBrowse1() { Browse(m_editPath1, m_editHash1); }

void CTessarinDlg::OnBnClickedBrowse2() { Browse(m_editPath2, m_editHash2); }

void CTessarinDlg::Browse(QLineEdit* path_edit, QLineEdit* hash_edit) {
    const QString path = m_chooser.ChooseFile(this, kBrowseFilter);
    if (!path.isEmpty()) ShowFile(path_edit, hash_edit, path);
}

void CTessarinDlg::ShowFile(QLineEdit* path_edit, QLineEdit* hash_edit, const QString& path) {
    path_edit->setText(path);
    path_edit->setCursorPosition(0);
    QString text;
    {
        const WaitCursor wait;
        DigestProgress progress(this, m_strTitle, QFileInfo(path).fileName(), m_progressDelay);
        CMD5 service;
        text = service.GetFileDigestText(path, std::ref(progress));
    }
    hash_edit->setText(text);
    hash_edit->setCursorPosition(0);
}

void CTessarinDlg::OnBnClickedCompare() {
    const QString first = m_editHash1->text();
    const QString second = m_editHash2->text();
    if (first.isEmpty() || second.isEmpty()) {
        m_messages.Show(this, MessageBoxes::Icon::Warning, m_strTitle, kSelectFirst);
        return;
    }
    if (first == second) {
        m_messages.Show(this, MessageBoxes::Icon::Information, m_strTitle, kIdentical);
    } else {
        m_messages.Show(this, MessageBoxes::Icon::Error, m_strTitle, kDifferent);
    }
}

void CTessarinDlg::OnBnClickedReset() {
    m_editPath1->clear();
    m_editHash1->clear();
    m_editPath2->clear();
    m_editHash2->clear();
}

}  // namespace tessarin
