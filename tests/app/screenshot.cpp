// Shows the window as a user would leave it after checking a file against its published SHA-512
// digest, with the verdict's message box open, and saves the screen as a PNG.
//   tessarin_screenshot out.png
#include <openssl/evp.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "digest_run.h"
#include "prompts.h"
#include "tessarin_app.h"
#include "tessarin_dlg.h"

namespace {

class ScriptedChooser final : public tessarin::FileChooser {
  public:
    explicit ScriptedChooser(QString path) : path_(std::move(path)) {}
    QString ChooseFile(QWidget*, const QString&) override { return path_; }

  private:
    QString path_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s out.png\n", argv[0]);
        return 2;
    }
    tessarin::CTessarinApp app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tessarin-1.0-setup.exe"));
    QByteArray content(3 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 2654435761u >> 24);
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return 1;
    file.close();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(content.constData(), static_cast<size_t>(content.size()), digest, &length,
               EVP_sha512(), nullptr);
    // As `sha512sum` prints it on a download page.
    const QString published =
        QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex()) +
        QStringLiteral("  ") + QFileInfo(path).fileName();

    tessarin::QtMessageBoxes messages;
    ScriptedChooser chooser(path);
    tessarin::ServiceDigester digester;
    tessarin::CTessarinDlg dialog(messages, chooser, digester);
    int status = 1;
    QTimer steps;
    int step = 0;
    QObject::connect(&steps, &QTimer::timeout, &dialog, [&] {
        switch (step) {
            case 0:
                dialog.findChild<QPushButton*>(QStringLiteral("browseButton1"))->click();
                ++step;
                break;
            case 1:
                if (dialog.IsDigesting()) return;
                dialog.findChild<QLineEdit*>(QStringLiteral("editHash2"))->setText(published);
                ++step;
                // The SHA-512 digest runs first; the verdict's box follows.
                dialog.findChild<QPushButton*>(QStringLiteral("compareButton"))->click();
                break;
            case 2: {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr || !box->isVisible()) return;
                ++step;
                QTimer::singleShot(500, box, [&status, &dialog, box, argv] {
                    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
                    status = screen.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
                    box->accept();
                    QTimer::singleShot(0, &dialog, &QDialog::accept);
                });
                break;
            }
            default:
                break;
        }
    });
    steps.start(100);
    dialog.show();
    dialog.move(40, 40);
    dialog.exec();
    return status;
}
