#include "dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace tessarin {

QFont DialogFont() {
    return QFont(QStringList{QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
                             QStringLiteral("sans-serif")},
                 9);
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width is that of the 52 Latin letters, rounded to the nearest pixel.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    base_x_ = (letters / 26 + 1) / 2;
    base_y_ = metrics.height();
}

QRect DialogUnits::Map(int x, int y, int width, int height) const {
    const QSize size = Map(width, height);
    return {(x * base_x_ + 2) / 4, (y * base_y_ + 4) / 8, size.width(), size.height()};
}

QSize DialogUnits::Map(int width, int height) const {
    return {(width * base_x_ + 2) / 4, (height * base_y_ + 4) / 8};
}

}  // namespace tessarin
