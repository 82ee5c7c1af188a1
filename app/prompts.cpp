#include "prompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tessarin {

void QtMessageBoxes::Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) {
    QMessageBox::Icon kind = QMessageBox::Critical;
    switch (icon) {
        case Icon::Error: kind = QMessageBox::Critical; break;
        case Icon::Warning: kind = QMessageBox::Warning; break;
        case Icon::Information: kind = QMessageBox::Information; break;
    }
    QMessageBox box(kind, caption, text, QMessageBox::Ok, owner);
    // The texts contain '&' and line breaks that must show as they are.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtFileChooser::ChooseFile(QWidget* owner, const QString& filter) {
    // Each filter carries its patterns twice: the name the user reads, then the patterns Qt
    // matches; hiding the details shows only the name.
    return QFileDialog::getOpenFileName(owner, QString(), QString(), filter, nullptr,
                                        QFileDialog::HideNameFilterDetails);
}

}  // namespace tessarin
