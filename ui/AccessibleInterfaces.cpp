#include "AccessibleInterfaces.h"

#include "ComboBoxAccessible.h"
#include "PictureButtonAccessible.h"

#include <QAbstractButton>
#include <QComboBox>

namespace velmix::AccessibleInterfaces {
namespace {

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QComboBox"))
        return new ComboBoxAccessible(static_cast<QComboBox *>(object));
    if (className == QLatin1String("velmix::PictureCheckBox") || className == QLatin1String("velmix::PictureButton")
        || className == QLatin1String("velmix::RoundTitleButton"))
        return new PictureButtonAccessible(static_cast<QAbstractButton *>(object));
    // Named by their captions, which Qt gives any window.
    if (className == QLatin1String("velmix::VelmixWindow"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    if (className == QLatin1String("velmix::ProgressWindow"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Dialog);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = (QAccessible::installFactory(factory), true);
    Q_UNUSED(installed);
}

} // namespace velmix::AccessibleInterfaces
