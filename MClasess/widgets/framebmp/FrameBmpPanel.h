#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPPANEL_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPPANEL_H

// The panels and paint boxes of the viewer frame. Each forwards its paint and mouse events to
// the frame's handlers through the hooks below, and keeps any exception a handler lets through
// from reaching Qt: the handler ends, the program goes on, and the failure is posted.

#include <QFrame>

#include <functional>

class QMouseEvent;
class QPainter;

namespace framebmp {

class TFrameBmpPanel : public QFrame {
    Q_OBJECT
public:
    explicit TFrameBmpPanel(QWidget* parent = nullptr);

    std::function<void(QPainter&)> OnPaint;
    std::function<void(QMouseEvent&)> OnMouseDown;
    std::function<void(QMouseEvent&)> OnMouseMove;
    std::function<void(QMouseEvent&)> OnMouseUp;
    // Without this hook a double click counts as a press, as Qt does by default.
    std::function<void(QMouseEvent&)> OnDoubleClick;
    std::function<void()> OnEnter;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void Forward(const char* method, const std::function<void()>& call) noexcept;
};

}  // namespace framebmp

#endif
