#include "about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "dialog_units.h"

namespace tessarin {

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("Tessarin 정보"));
    setFont(DialogFont());
    const DialogUnits units(font());

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutIcon"));
    const int icon_size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    picture->setPixmap(icon.pixmap(icon_size, icon_size));
    picture->setGeometry(QRect(units.Map(14, 14, 0, 0).topLeft(), QSize(icon_size, icon_size)));

    auto* version = new QLabel(QStringLiteral("Tessarin, 버전 1.0"), this);
    version->setObjectName(QStringLiteral("aboutText"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(units.Map(42, 14, 114, 8));

    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName(QStringLiteral("aboutOk"));
    ok->setDefault(true);
    ok->setGeometry(units.Map(113, 41, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(units.Map(170, 62));
}

}  // namespace tessarin
