#pragma once
// The about box (template 100).
#include <QDialog>

class QIcon;

namespace tessarin {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
};

}  // namespace tessarin
