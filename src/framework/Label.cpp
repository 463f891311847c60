#include "Label.h"

#include "Application.h"
#include "Fonts.h"
#include "UiThread.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The widget behind a Label.
//
// Qt's QWidget::event drops mouse presses for a disabled widget before
// mousePressEvent is called, but the owner still wants them (a disabled
// reload label must see the press and decide to do nothing). So the press is
// taken in event() itself, ahead of QLabel's handling. Disabling keeps its
// normal meaning otherwise: the widget is really disabled, takes no focus and
// draws its text in the palette's disabled colour.
//
// A single line is fitted to the label as it is drawn (FitOneLine), so only
// once its text, font and width are final, and again only when one of them
// changes: a desktop font wider than the one the layout was drawn for then
// shrinks the text a little instead of cutting off its ends. The widget's
// own font stays the one the label's settings ask for. A selectable label
// is drawn by Qt's text control, in that font.
class LabelWidget : public QLabel {
public:
    explicit LabelWidget(Label* owner) : m_owner(owner)
    {
        setTextFormat(Qt::PlainText);
        setWordWrap(false);
        setFocusPolicy(Qt::NoFocus);
        // Not selectable until Selectable says so.
        setTextInteractionFlags(Qt::NoTextInteraction);
    }

    bool FitsItsLine() const { return !wordWrap() && textInteractionFlags() == Qt::NoTextInteraction; }

    const FittedLine& Shown() { return m_fitter.Fit(text(), font(), contentsRect().width(), alignment()); }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* press = static_cast<QMouseEvent*>(event);
            if (press->button() == Qt::LeftButton) {
                const QPoint p = press->position().toPoint();
                m_owner->_HandleMouseDown(p.x(), p.y());
                // The press belongs to the label; it must not fall through to
                // the container behind it.
                event->accept();
                return true;
            }
        }
        return QLabel::event(event);
    }

    // What QLabel draws for a plain line, in the fitted font.
    void paintEvent(QPaintEvent* event) override
    {
        if (!FitsItsLine()) {
            QLabel::paintEvent(event);
            return;
        }
        const FittedLine& line = Shown();
        QPainter painter(this);
        drawFrame(&painter);
        painter.setFont(line.font);
        QStyleOption option;
        option.initFrom(this);
        style()->drawItemText(&painter, contentsRect(), int(QStyle::visualAlignment(layoutDirection(), alignment())),
                              option.palette, isEnabled(), line.text, foregroundRole());
    }

private:
    Label* m_owner;
    LineFitter m_fitter;
};

LabelWidget* Widget(const Label& label)
{
    return static_cast<LabelWidget*>(label.NativeWidget());
}

} // namespace

const ClassInfo& Label::StaticClassInfo()
{
    static const ClassInfo info = [] {
        std::vector<PropertyInfo> properties{
            MakeProperty("Text", PropertyType::String, &Label::Text, &Label::SetText),
            MakeProperty("TextAlign", PropertyType::Integer, &Label::TextAlign, &Label::SetTextAlign),
            MakeProperty("TextColor", PropertyType::Color, &Label::TextColor, &Label::SetTextColor),
            MakeProperty("Multiline", PropertyType::Boolean, &Label::Multiline, &Label::SetMultiline),
            MakeProperty("Selectable", PropertyType::Boolean, &Label::Selectable, &Label::SetSelectable),
            // A QLabel never fills its background, so it is always transparent.
            MakeStored("Transparent", PropertyType::Boolean),
            MakeStored("DataSource", PropertyType::String),
            MakeStored("DataField", PropertyType::String),
        };
        for (PropertyInfo& font : FontProperties())
            properties.push_back(std::move(font));
        return ClassInfo("Label", &RectControl::StaticClassInfo(), std::move(properties));
    }();
    return info;
}

Label::Label() : RectControl(NewWidget<LabelWidget>(this))
{
    UpdateAlignment();
    UpdatePalette();
}

const std::string& Label::Text() const
{
    RequireMainThread();
    return m_text;
}

void Label::SetText(const std::string& text)
{
    RequireMainThread();
    m_text = text;
    UpdateText();
}

std::int64_t Label::TextAlign() const
{
    RequireMainThread();
    return m_textAlign;
}

void Label::SetTextAlign(std::int64_t align)
{
    RequireMainThread();
    m_textAlign = align;
    UpdateAlignment();
}

Color Label::TextColor() const
{
    RequireMainThread();
    return m_textColor;
}

void Label::SetTextColor(Color color)
{
    RequireMainThread();
    m_textColor = color;
    UpdatePalette();
}

bool Label::Multiline() const
{
    RequireMainThread();
    return m_multiline;
}

void Label::SetMultiline(bool multiline)
{
    RequireMainThread();
    m_multiline = multiline;
    Widget(*this)->setWordWrap(multiline);
    UpdateText();
    UpdateAlignment();
}

bool Label::Selectable() const
{
    RequireMainThread();
    return m_selectable;
}

void Label::SetSelectable(bool selectable)
{
    RequireMainThread();
    m_selectable = selectable;
    Widget(*this)->setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
}

void Label::_HandleMouseDown(std::int64_t x, std::int64_t y)
{
    RequireMainThread();
    // Nothing uses the result: a label has no MouseUp to capture.
    _CallGuarded([&] { (void)MouseDown.Raise(*this, x, y); });
}

void Label::UpdateText()
{
    QString shown = QString::fromStdString(m_text);
    if (m_multiline) {
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        // One line: the text up to its first line break.
        const auto lineEnd = std::find_if(shown.cbegin(), shown.cend(),
                                          [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); });
        shown.truncate(lineEnd - shown.cbegin());
    }
    Widget(*this)->setText(shown);
}

void Label::UpdateAlignment()
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (m_textAlign == 1)
        horizontal = Qt::AlignHCenter;
    else if (m_textAlign == 2)
        horizontal = Qt::AlignRight;
    // Text starts at the top edge, as the layout's label heights expect.
    Widget(*this)->setAlignment(horizontal | Qt::AlignTop);
}

FittedLine Label::_ShownLine() const
{
    LabelWidget* widget = Widget(*this);
    if (!widget->FitsItsLine())
        return {widget->font(), widget->text()};
    return widget->Shown();
}

void Label::UpdatePalette()
{
    LabelWidget* widget = Widget(*this);
    QPalette palette = widget->palette();
    const QColor text = ToQColor(m_textColor);
    palette.setColor(QPalette::Active, QPalette::WindowText, text);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
    // Disabled: the same colour halfway to the background, so a disabled
    // label greys but keeps its hue.
    const QColor back = palette.color(QPalette::Active, QPalette::Window);
    const QColor grey((text.red() + back.red()) / 2, (text.green() + back.green()) / 2,
                      (text.blue() + back.blue()) / 2, text.alpha());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, grey);
    widget->setPalette(palette);
}
