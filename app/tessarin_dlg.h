#pragma once
// The main window (template 102): two file groups, each with a path and its digest text, filled by
// browsing or by dropping files; compare, reset and close buttons. Files are digested on worker
// threads; the window answers meanwhile.
#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

#include "digest_text.h"

class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMimeData;
class QProgressDialog;

namespace tessarin {

class DigestRun;
class FileChooser;
class FileDigester;
class MessageBoxes;

class CTessarinDlg : public QDialog {
    Q_OBJECT
  public:
    // Command of the about entry, as in a window menu.
    static constexpr int kIdmAboutBox = 0x0010;

    // The window keeps references to the three services; they must outlive it.
    CTessarinDlg(MessageBoxes& messages, FileChooser& chooser, FileDigester& digester,
                 QWidget* parent = nullptr);
    ~CTessarinDlg() override;

    // How long a digest runs before a progress dialog offers to cancel it.
    void SetProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }

    // True while a file of either group is being digested.
    bool IsDigesting() const;

    // Closing cancels every running digest.
    void done(int result) override;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    enum class Group { None, Upper, Lower };

    // A file group's controls, the digests computed for its file and the digest running for it.
    struct FileGroup {
        QLineEdit* path = nullptr;
        QLineEdit* hash = nullptr;
        QLabel* label = nullptr;
        QRect label_area;
        QString file;
        std::map<Algorithm, QString> digests;
        Algorithm shown = Algorithm::Sha256;
        DigestRun* run = nullptr;
        bool for_compare = false;  // the run serves a comparison, not a newly chosen file
    };

    void OnInitDialog();
    void OnSysCommand(int id);
    void OnDropFiles(const QMimeData& data, QPoint point);
    void OnBnClickedBrowse1();
    void OnBnClickedBrowse2();
    void OnBnClickedCompare();
    void OnBnClickedReset();

    void Browse(FileGroup& group);
    void ShowFile(FileGroup& group, const QString& path);
    Group FindDropGroup(QPoint point) const;

    void Compare();
    bool AlignTo(FileGroup& own, const FileGroup& other);
    void ShowDigest(FileGroup& group, Algorithm algorithm);
    void StartRun(FileGroup& group, std::vector<Algorithm> algorithms, bool for_compare);
    void OnRunFinished(FileGroup& group, DigestRun* run, const QStringList& texts);
    void StopRun(FileGroup& group);
    void StopAll();
    void UpdateBusy();
    void UpdateProgress();
    void CloseProgress();

    QIcon m_hIcon;
    QString m_strTitle;
    QLineEdit* m_editPath1 = nullptr;
    QLineEdit* m_editHash1 = nullptr;
    QLineEdit* m_editPath2 = nullptr;
    QLineEdit* m_editHash2 = nullptr;

    MessageBoxes& m_messages;
    FileChooser& m_chooser;
    FileDigester& m_digester;
    std::chrono::milliseconds m_progressDelay{500};

    FileGroup m_upper;
    FileGroup m_lower;
    bool m_compareWaits = false;  // a comparison resumes when the digest it needs is done
    QElapsedTimer m_busyFor;
    QTimer m_progressTimer;
    QProgressDialog* m_progress = nullptr;
    bool m_busyCursor = false;
};

}  // namespace tessarin
