#include "MSaveIniComponent.h"

#include <QVariant>
#include <QWidget>

namespace saveini {

namespace {

constexpr const char* kTagProperty = "Tag";

bool IsForm(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget || !widget->isWindow())
        return false;
    // A menu or a tooltip is a window of its own to Qt, but part of the form that made it.
    const Qt::WindowType type = widget->windowType();
    return type != Qt::Popup && type != Qt::ToolTip;
}

}  // namespace

bool IsComponent(const QObject* object)
{
    const QString& name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

int TagOf(const QObject* component) { return component->property(kTagProperty).toInt(); }

void SetTag(QObject* component, int tag)
{
    // An unchanged tag is not written, so objects without one do not gain the property.
    if (tag != TagOf(component))
        component->setProperty(kTagProperty, tag);
}

TComponentKind KindOf(const QObject* component)
{
    if (IsForm(component))
        return TComponentKind::Form;
    if (component->isWidgetType() && dynamic_cast<const MSaveIniFrame*>(component))
        return TComponentKind::Frame;
    return TComponentKind::Control;
}

void Notify(QObject* component, MSaveIniCode code)
{
    if (auto* notified = dynamic_cast<MSaveIniNotified*>(component))
        notified->SaveIniNotify(code);
}

}  // namespace saveini
