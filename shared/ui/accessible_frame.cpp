#include "ui/accessible_frame.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace ui {
namespace {

constexpr const char* kExposedAsWindow = "ui_exposedAsWindow";

QAccessibleInterface* WindowFactory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType() || !object->property(kExposedAsWindow).toBool())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

void ExposeAsWindow(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(WindowFactory);
        return true;
    }();
    (void)installed;
    window->setProperty(kExposedAsWindow, true);
}

}  // namespace ui
