#include "MSaveIniContent.h"

#include <QWidget>

namespace saveini {

QObjectList OwnedComponents(QObject* component)
{
    return component->isWidgetType() ? component->children() : QObjectList();
}

QObjectList ContentOf(const QList<QWidget*>& contentWidgets)
{
    QObjectList content;
    for (QWidget* widget : contentWidgets) {
        if (!widget)
            continue;
        if (widget->objectName().isEmpty())
            content += widget->children();
        else
            content.append(widget);
    }
    return content;
}

}  // namespace saveini
