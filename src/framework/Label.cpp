#include "Label.h"

#include <QRegularExpression>

#include "Application.h"
#include "UiThread.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>

namespace {

// Whether one line of text, laid out as the label lays it out, lies whole
// inside a label this wide: its advance fits and no glyph's ink sticks out
// at either end.
bool FitsOnOneLine(const QString& text, const QFont& font, int width, Qt::Alignment alignment)
{
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(text);
    const QRectF ink = metrics.tightBoundingRect(text);
    qreal origin = 0;
    if (alignment & Qt::AlignHCenter)
        origin = (width - advance) / 2;
    else if (alignment & Qt::AlignRight)
        origin = width - advance;
    return advance <= width && (ink.isEmpty() || (origin + ink.left() >= 0 && origin + ink.right() <= width));
}

// The widget behind a Label.
//
// Qt's QWidget::event drops mouse presses for a disabled widget before
// mousePressEvent is called, but the owner still wants them (a disabled
// reload label must see the press and decide to do nothing). So the press is
// taken in event() itself, ahead of QLabel's handling. Disabling keeps its
// normal meaning otherwise: the widget is really disabled, takes no focus and
// draws its text in the palette's disabled colour.
//
// A single line is shown whole: where it is wider than the label in the
// font the label's settings ask for, it is drawn at the largest smaller size
// that fits, bold and all. A desktop font wider than the one the layout was
// drawn for then shrinks the text instead of cutting off its ends.
class LabelWidget : public QLabel {
public:
    explicit LabelWidget(Label* owner) : m_owner(owner), m_font(font())
    {
        setTextFormat(Qt::PlainText);
        setWordWrap(false);
        setFocusPolicy(Qt::NoFocus);
    }

    void SetRequestedFont(const QFont& font)
    {
        m_font = font;
        FitText();
    }

    void FitText()
    {
        QFont shown = m_font;
        if (!wordWrap() && !FitsOnOneLine(text(), shown, width(), alignment())) {
            for (int size = QFontInfo(m_font).pixelSize() - 1; size >= 1; --size) {
                shown.setPixelSize(size);
                if (FitsOnOneLine(text(), shown, width(), alignment()))
                    break;
            }
        }
        if (font() != shown)
            setFont(shown);
    }

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

    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        FitText();
    }

private:
    Label* m_owner;
    QFont m_font; // as the label's settings ask for it
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
        // One line: the text up to its first line break; whatever runs past
        // the label's edge is simply cut off by the widget's clip.
        const qsizetype lineEnd = shown.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
        if (lineEnd >= 0)
            shown.truncate(lineEnd);
    }
    Widget(*this)->setText(shown);
    Widget(*this)->FitText();
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
    Widget(*this)->FitText();
}

void Label::ApplyFont(const QFont& font)
{
    Widget(*this)->SetRequestedFont(font);
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
