#pragma once
// Dialog templates place controls in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its character height down.
#include <QFont>
#include <QRect>
#include <QSize>

namespace tessarin {

// The font both dialogs are laid out in: 9 points, in a face that carries Hangul, so that the
// metrics the units come from are those of the glyphs actually drawn.
QFont DialogFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect Map(int x, int y, int width, int height) const;
    QSize Map(int width, int height) const;

private:
    int base_x_;
    int base_y_;
};

}  // namespace tessarin
