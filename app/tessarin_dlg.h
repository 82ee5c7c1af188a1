#pragma once
// The main window (template 102): two file groups, each with a path and its SHA-256 text, filled by
// browsing or by dropping files; compare, reset and close buttons.
#include <QDialog>
#include <QIcon>
#include <QString>

#include <chrono>

class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QMimeData;

namespace tessarin {

class FileChooser;
class MessageBoxes;

class CTessarinDlg : public QDialog {
    Q_OBJECT
public:
    // Command of the about entry, as in a window menu.
    static constexpr int kIdmAboutBox = 0x0010;

    // The window keeps references to both services; they must outlive it.
    CTessarinDlg(MessageBoxes& messages, FileChooser& chooser, QWidget* parent = nullptr);
    ~CTessarinDlg() override;

    // How long a digest runs before a progress dialog offers to cancel it.
    void SetProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    enum class Group { None, Upper, Lower };

    void OnInitDialog();
    void OnSysCommand(int id);
    void OnDropFiles(const QMimeData& data, QPoint point);
    void OnBnClickedBrowse1();
    void OnBnClickedBrowse2();
    void OnBnClickedCompare();
    void OnBnClickedReset();

    void Browse(QLineEdit* path_edit, QLineEdit* hash_edit);
    void ShowFile(QLineEdit* path_edit, QLineEdit* hash_edit, const QString& path);
    Group FindDropGroup(QPoint point) const;

    QIcon m_hIcon;
    QString m_strTitle;
    QLineEdit* m_editPath1 = nullptr;
    QLineEdit* m_editHash1 = nullptr;
    QLineEdit* m_editPath2 = nullptr;
    QLineEdit* m_editHash2 = nullptr;

    MessageBoxes& m_messages;
    FileChooser& m_chooser;
    std::chrono::milliseconds m_progressDelay{500};
};

}  // namespace tessarin
