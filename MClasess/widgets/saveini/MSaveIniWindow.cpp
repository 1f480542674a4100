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

void BindWindowState(QWidget* form, const MSaveIniBinder& keys)
{
    const Qt::WindowStates state = form->windowState();
    int stateCode = StateCode(state);
    keys.KeyOr(u"->WindowState", stateCode, kStateNormal);
    // Taken before the state changes: Qt applies a new state to a shown window later.
    const QRect normal = NormalBounds(form);
    keys.AfterSave([&] {
        if (state & kSizeStates)
            form->setWindowState(state & ~kSizeStates);
    });
    int top = normal.y();
    int left = normal.x();
    int height = normal.height();
    int width = normal.width();
    keys.Key(u"->Top", top);
    keys.Key(u"->Left", left);
    keys.Key(u"->Height", height);
    keys.Key(u"->Width", width);
    keys.AfterLoad([&] {
        if (height <= 0)
            height = normal.height();
        if (width <= 0)
            width = normal.width();
        form->setGeometry(MoveOntoScreens(QRect(left, top, width, height), AvailableAreas()));
        form->setWindowState((form->windowState() & ~kSizeStates) | StateOfCode(stateCode));
    });
}

}  // namespace saveini
