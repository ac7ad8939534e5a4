#include "WindowSizeStore.h"

#include "program/ConfigFolder.h"
#include "program/SettingsFile.h"

#include <QSettings>

namespace velmix {

using namespace Qt::StringLiterals;

namespace {

const QString SizeKey = u"size"_s;
const QString ColumnKey = u"firstColumn"_s;
const QString MaximisedKey = u"maximised"_s;

// A whole number above zero, or 0.
int positive(const QVariant &value)
{
    bool isNumber = false;
    const int number = value.toString().toInt(&isNumber);
    return isNumber && number > 0 ? number : 0;
}

} // namespace

WindowSizeStore::WindowSizeStore(QString file)
    : m_file(std::move(file))
{
}

QString WindowSizeStore::defaultFile()
{
    return configFolder() + u"/window.ini"_s;
}

WindowSizeStore::Shape WindowSizeStore::load() const
{
    const SettingsFile file(m_file);
    Shape shape;
    if (!file.settings())
        return shape; // none kept, or not a regular file: the designed shape
    const QSettings &settings = *file.settings();
    const QStringList size = settings.value(SizeKey).toString().split(u'x');
    if (size.size() == 2) {
        const QSize read(positive(size[0]), positive(size[1]));
        if (!read.isEmpty())
            shape.size = read;
    }
    shape.firstColumn = positive(settings.value(ColumnKey));
    shape.maximised = settings.value(MaximisedKey).toString() == u"true";
    return shape;
}

void WindowSizeStore::save(const Shape &shape) const
{
    (void)SettingsFile::write(m_file, [&](QSettings &settings) {
        settings.setValue(SizeKey, u"%1x%2"_s.arg(shape.size.width()).arg(shape.size.height()));
        settings.setValue(ColumnKey, shape.firstColumn);
        settings.setValue(MaximisedKey, shape.maximised);
    });
}

} // namespace velmix
