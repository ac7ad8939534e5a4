#include "Skin.h"

#include <QFontInfo>
#include <QStringList>

namespace velmix::Skin {

QPixmap picture(const QString &name, QSize naturalSize)
{
    return QIcon(QStringLiteral(":/skin/%1.jpg").arg(name)).pixmap(naturalSize);
}

QIcon windowIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icon/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

namespace {

QFont layoutFont(qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // The stand-in sans fonts run wider than the bitmap font the layout was measured
    // with; a slight condensing keeps the longest captions inside their labels.
    if (QFontInfo(font).family() != QLatin1String("MS Sans Serif"))
        font.setStretch(95);
    return font;
}

} // namespace

QFont controlFont()
{
    return layoutFont(8.25, false);
}

QFont frameFont()
{
    return layoutFont(8.25, true);
}

QFont titleFont()
{
    return layoutFont(12, true);
}

} // namespace velmix::Skin
