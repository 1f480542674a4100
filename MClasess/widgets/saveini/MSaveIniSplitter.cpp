#include "MSaveIniSplitter.h"
#include "MSaveIniContent.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSplitter>

#include <utility>

namespace saveini {

namespace {

constexpr int kDrags = 2;

QString HandlePath(int handle, QStringView coordinate)
{
    if (handle == 1)
        return Joined({u"->", coordinate});
    return Joined({IndexedPath(u"Handles", handle), u"->", coordinate});
}

void Send(QWidget* receiver, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    const QPointF local = receiver->mapFromGlobal(global);
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(receiver, &event);
}

// Presses the left button on the handle's top-left pixel, moves to the target and releases.
void Drag(QSplitterHandle* handle, QPoint targetInSplitter)
{
    const QPoint from = handle->mapToGlobal(QPoint(0, 0));
    const QPoint to = handle->parentWidget()->mapToGlobal(targetInSplitter);
    Send(handle, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(handle, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(handle, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void DragHandlesTo(QSplitter* splitter, const QList<QPoint>& saved)
{
    for (int drag = 0; drag < kDrags; ++drag)
        for (int i = 1; i < splitter->count() && i <= saved.size(); ++i)
            if (QSplitterHandle* handle = splitter->handle(i); handle->pos() != saved[i - 1])
                Drag(handle, saved[i - 1]);
}

// A hidden splitter has not placed its handles yet (Qt does that when it is shown), so a drag
// would start from nowhere; the drags wait beside it (an unnamed child) for its first showing.
class TPendingDrags : public QObject {
public:
    TPendingDrags(QSplitter* splitter, QList<QPoint> saved)
        : QObject(splitter), splitter_(splitter), saved_(std::move(saved))
    {
        splitter->installEventFilter(this);
    }

    static void Replace(QSplitter* splitter)
    {
        for (QObject* child : splitter->children())
            if (auto* pending = dynamic_cast<TPendingDrags*>(child))
                delete pending;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == splitter_ && event->type() == QEvent::Show) {
            splitter_->removeEventFilter(this);
            DragHandlesTo(splitter_, saved_);
            deleteLater();
        }
        return false;
    }

private:
    QSplitter* splitter_;
    QList<QPoint> saved_;
};

}  // namespace

void BindSplitter(QObject* component, const MSaveIniBinder& keys)
{
    auto* splitter = static_cast<QSplitter*>(component);
    QList<QPoint> positions;
    for (int i = 1; i < splitter->count(); ++i)
        positions.append(splitter->handle(i)->pos());
    for (int i = 1; i <= positions.size(); ++i) {
        QPoint& position = positions[i - 1];
        keys.Key(HandlePath(i, u"Top"), position.ry());
        keys.Key(HandlePath(i, u"Left"), position.rx());
    }
    keys.AfterLoad([&] {
        TPendingDrags::Replace(splitter);
        if (splitter->isVisible())
            DragHandlesTo(splitter, positions);
        else
            new TPendingDrags(splitter, positions);
    });
}

QObjectList SplitterPanes(QObject* component)
{
    auto* splitter = static_cast<QSplitter*>(component);
    QList<QWidget*> panes;
    for (int i = 0; i < splitter->count(); ++i)
        panes.append(splitter->widget(i));
    return ContentOf(panes);
}

}  // namespace saveini
