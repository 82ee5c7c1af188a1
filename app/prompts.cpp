#include "prompts.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

namespace tessarin {

void QtMessageBoxes::Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) {
    QMessageBox::Icon kind = QMessageBox::Critical;
    switch (icon) {
        case Icon::Error:
            kind = QMessageBox::Critical;
            break;
        case Icon::Warning:
            kind = QMessageBox::Warning;
            break;
        case Icon::Information:
            kind = QMessageBox::Information;
            break;
    }
    QMessageBox box(kind, caption, text, QMessageBox::Ok, owner);
    // The texts contain '&' and line breaks that must show as they are.
    box.setTextFormat(Qt::PlainText);
    FitCaption(box);
    box.exec();
}

int CaptionWidth(const QWidget& window, const QString& caption) {
    QFont bold = window.font();
    bold.setBold(true);
    const int bar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    // A square for the icon, three for the buttons, and a margin at each end.
    return QFontMetrics(bold).horizontalAdvance(caption) + 4 * bar + bar / 2;
}

void FitCaption(QMessageBox& box) {
    // The box sizes itself from its layout whenever it is shown, so the width goes in as a spacer
    // across the whole grid rather than as a minimum size it would override.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    grid->addItem(new QSpacerItem(CaptionWidth(box, box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QString QtFileChooser::ChooseFile(QWidget* owner, const QString& filter) {
    // Each filter carries its patterns twice: the name the user reads, then the patterns Qt
    // matches; hiding the details shows only the name.
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter, nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

}  // namespace tessarin
