#include "controls/qorStatusBar.h"

#include "controls/PaintBarBackground.h"
#include "framework/Graphics.h"

namespace {

BarFill FillFor(qorStatusBar::Schema style)
{
    switch (style) {
    case qorStatusBar::Schema::Solid: return BarFill::Solid;
    case qorStatusBar::Schema::TwoTone: return BarFill::TwoTone;
    case qorStatusBar::Schema::Gradient: return BarFill::Gradient;
    default: return BarFill::None; // Plain, and any value the lists may carry
    }
}

// Inset of the left caption's start and of the right caption's end.
constexpr double kCaptionInset = 5.0;

} // namespace

const ClassInfo& qorStatusBar::StaticClassInfo()
{
    using B = qorStatusBar;
    static const ClassInfo info("qorStatusBar", &Canvas::StaticClassInfo(), {
        MakeField("BorderColor", PropertyType::Color, &B::BorderColor),
        MakeProperty("CenterCaption", PropertyType::String, &B::CenterCaption, &B::SetCenterCaption),
        MakeProperty("Border", PropertyType::Boolean, &B::Border, &B::SetBorder),
        MakeProperty("LeftCaption", PropertyType::String, &B::LeftCaption, &B::SetLeftCaption),
        MakeField("MarginLeft", PropertyType::Integer, &B::MarginLeft),
        MakeField("MarginRight", PropertyType::Integer, &B::MarginRight),
        MakeField("mCenterCaption", PropertyType::String, &B::mCenterCaption),
        MakeField("mBorder", PropertyType::Boolean, &B::mBorder),
        MakeField("mLeftCaption", PropertyType::String, &B::mLeftCaption),
        MakeField("mRightCaption", PropertyType::String, &B::mRightCaption),
        MakeProperty("RightCaption", PropertyType::String, &B::RightCaption, &B::SetRightCaption),
        MakeField("Style", PropertyType::Enum64, &B::Style),
        MakeField("StartColor", PropertyType::Color, &B::StartColor),
        MakeField("EndColor", PropertyType::Color, &B::EndColor),
        MakeField("TextColor", PropertyType::Color, &B::TextColor),
    });
    return info;
}

void qorStatusBar::SetBorder(bool border)
{
    mBorder = border;
    Refresh(false);
}

void qorStatusBar::SetLeftCaption(const std::string& caption)
{
    mLeftCaption = caption;
    Refresh(false);
}

void qorStatusBar::SetCenterCaption(const std::string& caption)
{
    mCenterCaption = caption;
    Refresh(false);
}

void qorStatusBar::SetRightCaption(const std::string& caption)
{
    mRightCaption = caption;
    Refresh(false);
}

std::int64_t qorStatusBar::CaptionBaseline(std::int64_t gh, double ts)
{
    return TruncTowardZero(double(gh) / 2.0 + ts / 2.0 - 2.0);
}

std::int64_t qorStatusBar::CenterCaptionX(std::int64_t gw, double captionWidth)
{
    return TruncTowardZero(double(gw) / 2.0 - captionWidth / 2.0);
}

std::int64_t qorStatusBar::RightCaptionX(std::int64_t gw, double captionWidth)
{
    return TruncTowardZero(double(gw) - (captionWidth + kCaptionInset));
}

void qorStatusBar::Event_Paint(Graphics& g, const std::vector<Rect>&)
{
    PaintBarBackground(g, FillFor(Style), StartColor, EndColor, Width(), Height());

    // Over the background, under the captions.
    if (mBorder) {
        g.SetForeColor(BorderColor);
        g.DrawRect(0, 0, Width(), Height());
    }

    // The captions use whatever font and size the context carries. Empty
    // ones are drawn too; they show nothing. Later ones lie on top.
    g.SetForeColor(TextColor);
    const double y = double(CaptionBaseline(g.Height(), g.TextSize()));
    g.DrawString(mLeftCaption, kCaptionInset, y, 0, false);
    g.DrawString(mCenterCaption, double(CenterCaptionX(g.Width(), g.StringWidth(mCenterCaption))), y, 0, false);
    g.DrawString(mRightCaption, double(RightCaptionX(g.Width(), g.StringWidth(mRightCaption))), y, 0, false);
}
