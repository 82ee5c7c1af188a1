#pragma once
// The two places where the window waits on the user outside itself: message boxes and the
// open-file dialog. Behind small interfaces so that tests can answer them without a screen.
#include <QString>

class QMessageBox;
class QWidget;

namespace tessarin {

class MessageBoxes {
  public:
    enum class Icon { Error, Warning, Information };
    virtual ~MessageBoxes() = default;
    // One OK button; returns when the user has closed the box.
    virtual void Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) = 0;
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The full path of one existing file, or an empty text when the user cancels. `filter` uses
    // Qt's "Name (patterns);;Name (patterns)" form.
    virtual QString ChooseFile(QWidget* owner, const QString& filter) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
  public:
    void Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) override;
};

// The width a window needs for its title bar to show `caption` whole: the caption in a bold face
// of the window's font, and room for the window icon and the title bar's buttons.
int CaptionWidth(const QWidget& window, const QString& caption);

// Widens a message box to CaptionWidth when its text alone would leave it narrower.
void FitCaption(QMessageBox& box);

class QtFileChooser final : public FileChooser {
  public:
    QString ChooseFile(QWidget* owner, const QString& filter) override;
};

}  // namespace tessarin
