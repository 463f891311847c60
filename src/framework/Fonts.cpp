#include "Fonts.h"

#include <QApplication>

#include <algorithm>

QFont ControlFont(const std::string& family, double size, std::int64_t unit, bool bold, bool italic, bool underline)
{
    QFont font = QApplication::font();
    if (!family.empty() && family != "System" && family != "SmallSystem")
        font.setFamily(QString::fromStdString(family));
    if (size > 0) {
        if (unit == 0 || unit == 1)
            font.setPixelSize(std::max(1, int(size + 0.5)));
        else
            font.setPointSizeF(size);
    }
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}
