#pragma once
// The two places where the window waits on the user outside itself: message boxes and the
// open-file dialog. Behind small interfaces so that tests can answer them without a screen.
#include <QString>

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

class QtFileChooser final : public FileChooser {
public:
    QString ChooseFile(QWidget* owner, const QString& filter) override;
};

}  // namespace tessarin
