#include "MSaveIniWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace saveini {

namespace {

constexpr int kStateNormal = 0;
constexpr int kStateMinimised = 1;
constexpr int kStateMaximised = 2;
constexpr int kStateFullScreen = 3;
constexpr int kReachableSide = 32;
constexpr Qt::WindowStates kSizeStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

int StateCode(Qt::WindowStates state)
{
    if (state & Qt::WindowMinimized)
        return kStateMinimised;
    if (state & Qt::WindowFullScreen)
        return kStateFullScreen;
    if (state & Qt::WindowMaximized)
        return kStateMaximised;
    return kStateNormal;
}

// Minimised and unknown codes restore as normal: a window that starts minimised looks as if
// the program had not started.
Qt::WindowStates StateOfCode(int code)
{
    switch (code) {
    case kStateMaximised:
        return Qt::WindowMaximized;
    case kStateFullScreen:
        return Qt::WindowFullScreen;
    default:
        return Qt::WindowNoState;
    }
}

QRect NormalBounds(const QWidget* form)
{
    const QRect normal = form->normalGeometry();
    return normal.isValid() ? normal : form->geometry();
}

QList<QRect> AvailableAreas()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

bool IsReachableOn(const QRect& bounds, const QRect& area)
{
    const QRect common = bounds & area;
    return common.width() >= std::min(kReachableSide, bounds.width())
        && common.height() >= std::min(kReachableSide, bounds.height());
}

long long SquaredDistance(const QPoint& point, const QRect& area)
{
    const long long dx = point.x() < area.left() ? area.left() - point.x()
        : point.x() > area.right()               ? point.x() - area.right()
                                                 : 0;
    const long long dy = point.y() < area.top() ? area.top() - point.y()
        : point.y() > area.bottom()             ? point.y() - area.bottom()
                                                : 0;
    return dx * dx + dy * dy;
}

}  // namespace

QRect MoveOntoScreens(const QRect& bounds, const QList<QRect>& availableAreas)
{
    const QRect* nearest = nullptr;
    long long nearestDistance = std::numeric_limits<long long>::max();
    for (const QRect& area : availableAreas) {
        if (IsReachableOn(bounds, area))
            return bounds;
        const long long distance = SquaredDistance(bounds.center(), area);
        if (distance < nearestDistance) {
            nearest = &area;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return bounds;
    const QSize size = bounds.size().boundedTo(nearest->size());
    const int x = std::clamp(bounds.x(), nearest->left(), nearest->left() + nearest->width() - size.width());
    const int y = std::clamp(bounds.y(), nearest->top(), nearest->top() + nearest->height() - size.height());
    return {QPoint(x, y), size};
}

void SaveWindowState(QWidget* form, const MSaveIniKeys& keys)
{
    const Qt::WindowStates state = form->windowState();
    keys.WriteInteger(u"->WindowState", StateCode(state));
    // Taken before the state changes: Qt applies a new state to a shown window later.
    const QRect normal = NormalBounds(form);
    if (state & kSizeStates)
        form->setWindowState(state & ~kSizeStates);
    keys.WriteInteger(u"->Top", normal.y());
    keys.WriteInteger(u"->Left", normal.x());
    keys.WriteInteger(u"->Height", normal.height());
    keys.WriteInteger(u"->Width", normal.width());
}

void LoadWindowBounds(QWidget* form, const MSaveIniKeys& keys)
{
    const QRect current = NormalBounds(form);
    const int top = keys.ReadInteger(u"->Top", current.y());
    const int left = keys.ReadInteger(u"->Left", current.x());
    int height = keys.ReadInteger(u"->Height", current.height());
    int width = keys.ReadInteger(u"->Width", current.width());
    if (height <= 0)
        height = current.height();
    if (width <= 0)
        width = current.width();
    form->setGeometry(MoveOntoScreens(QRect(left, top, width, height), AvailableAreas()));

    const int state = keys.ReadInteger(u"->WindowState", kStateNormal);
    form->setWindowState((form->windowState() & ~kSizeStates) | StateOfCode(state));
}

}  // namespace saveini
