#include "Canvas.h"

#include "Application.h"
#include "Graphics.h"
#include "UiThread.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QWidget>

namespace {

// The widget behind a Canvas: forwards paint and mouse events to it.
class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(Canvas* owner) : m_owner(owner) { setFocusPolicy(Qt::NoFocus); }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        Graphics g(this, width(), height());
        const QRect r = event->rect();
        const std::vector<Rect> areas{Rect{r.x(), r.y(), r.width(), r.height()}};
        _CallGuarded([&] { m_owner->Event_Paint(g, areas); });
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) {
            QWidget::mousePressEvent(event);
            return;
        }
        const QPoint p = event->position().toPoint();
        m_captured = false;
        _CallGuarded([&] { m_captured = m_owner->Event_MouseDown(p.x(), p.y()); });
        // Qt sends the release to the pressed widget wherever it happens,
        // which is what a True from MouseDown asks for.
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_captured) {
            QWidget::mouseReleaseEvent(event);
            return;
        }
        m_captured = false;
        const QPoint p = event->position().toPoint();
        _CallGuarded([&] { m_owner->Event_MouseUp(p.x(), p.y()); });
    }

private:
    Canvas* m_owner;
    bool m_captured = false;
};

} // namespace

const ClassInfo& Canvas::StaticClassInfo()
{
    static const ClassInfo info("Canvas", &RectControl::StaticClassInfo(), {
        MakeStored("UseFocusRing", PropertyType::Boolean),
        MakeStored("AcceptFocus", PropertyType::Boolean),
        MakeStored("AcceptTabs", PropertyType::Boolean),
        MakeStored("DoubleBuffer", PropertyType::Boolean),
        MakeStored("EraseBackground", PropertyType::Boolean),
        MakeStored("Transparent", PropertyType::Boolean),
        MakeStored("Backdrop", PropertyType::Integer),
    });
    return info;
}

Canvas::Canvas() : RectControl(NewWidget<CanvasWidget>(this)) {}

void Canvas::Event_Paint(Graphics& g, const std::vector<Rect>& areas)
{
    Paint.Raise(*this, g, areas);
}

bool Canvas::Event_MouseDown(std::int64_t x, std::int64_t y)
{
    return MouseDown.Raise(*this, x, y);
}

void Canvas::Event_MouseUp(std::int64_t x, std::int64_t y)
{
    MouseUp.Raise(*this, x, y);
}

QImage Canvas::Render() const
{
    RequireMainThread();
    QWidget* widget = NativeWidget();
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
