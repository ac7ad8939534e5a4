#include "text/VisibleText.h"

namespace velmix {

QString withControlPictures(QStringView text)
{
    QString shown = text.toString();
    for (QChar &c : shown) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return shown;
}

} // namespace velmix
