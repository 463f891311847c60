#include "controls/qorActionBar.h"

#include "controls/PaintBarBackground.h"
#include "framework/Graphics.h"

namespace {

BarFill FillFor(qorActionBar::Schema style)
{
    switch (style) {
    case qorActionBar::Schema::Solid: return BarFill::Solid;
    case qorActionBar::Schema::TwoTone: return BarFill::TwoTone;
    case qorActionBar::Schema::Gradient: return BarFill::Gradient;
    default: return BarFill::None;
    }
}

constexpr std::int64_t kAddWidth = 28;
constexpr std::int64_t kRemoveWidth = 30;
constexpr std::int64_t kActionWidth = 30;
// A glyph starts this far left of its button's separator, on a fixed
// baseline whatever the bar's height.
constexpr std::int64_t kGlyphOffset = 17;
constexpr double kGlyphBaseline = 15;

} // namespace

const ClassInfo& qorActionBar::StaticClassInfo()
{
    using B = qorActionBar;
    // ButtonName is an array, which no design-time list can carry.
    static const ClassInfo info("qorActionBar", &Canvas::StaticClassInfo(), {
        MakeField("BorderColor", PropertyType::Color, &B::BorderColor),
        MakeField("mHasAddButton", PropertyType::Boolean, &B::mHasAddButton),
        MakeField("mAddButtonClick", PropertyType::Boolean, &B::mAddButtonClick),
        MakeField("mRemoveButtonClick", PropertyType::Boolean, &B::mRemoveButtonClick),
        MakeField("mHasRemoveButton", PropertyType::Boolean, &B::mHasRemoveButton),
        MakeField("mActionButtonClick", PropertyType::Boolean, &B::mActionButtonClick),
        MakeField("mHasActionButton", PropertyType::Boolean, &B::mHasActionButton),
        MakeProperty("HasRemoveButton", PropertyType::Boolean, &B::HasRemoveButton, &B::SetHasRemoveButton),
        MakeProperty("HasActionButton", PropertyType::Boolean, &B::HasActionButton, &B::SetHasActionButton),
        MakeProperty("Border", PropertyType::Boolean, &B::Border, &B::SetBorder),
        MakeField("mBorder", PropertyType::Boolean, &B::mBorder),
        MakeField("EndColor", PropertyType::Color, &B::EndColor),
        MakeField("StartColor", PropertyType::Color, &B::StartColor),
        MakeField("Style", PropertyType::Enum64, &B::Style),
        MakeProperty("HasAddButton", PropertyType::Boolean, &B::HasAddButton, &B::SetHasAddButton),
        MakeField("DrawColor", PropertyType::Color, &B::DrawColor),
    });
    return info;
}

void qorActionBar::SetHasAddButton(bool shown)
{
    mHasAddButton = shown;
    Refresh(false);
}

void qorActionBar::SetHasRemoveButton(bool shown)
{
    mHasRemoveButton = shown;
    Refresh(false);
}

void qorActionBar::SetHasActionButton(bool shown)
{
    mHasActionButton = shown;
    Refresh(false);
}

void qorActionBar::SetBorder(bool border)
{
    mBorder = border;
    Refresh(false);
}

void qorActionBar::Event_Paint(Graphics& g, const std::vector<Rect>&)
{
    const std::int64_t w = Width();
    const std::int64_t h = Height();
    PaintBarBackground(g, FillFor(Style), StartColor, EndColor, w, h);

    if (mBorder) {
        g.SetForeColor(BorderColor);
        g.DrawRect(0, 0, w, h);
    }

    // The separators are drawn with or without the outline.
    std::int64_t x = 0;
    auto button = [&](bool shown, std::int64_t width, const char* glyph) {
        if (!shown)
            return;
        x += width;
        g.SetForeColor(BorderColor);
        g.DrawLine(x, 0, x, h);
        g.SetForeColor(DrawColor);
        g.DrawString(glyph, double(x - kGlyphOffset), kGlyphBaseline, 0, false);
    };
    button(mHasAddButton, kAddWidth, "+");
    button(mHasRemoveButton, kRemoveWidth, "-");
    button(mHasActionButton, kActionWidth, "A");
}

bool qorActionBar::Event_MouseDown(std::int64_t x, std::int64_t y)
{
    // The top row reaches no button. Zones are closed at both ends, so a
    // separator between two buttons belongs to both and a press there marks
    // both.
    if (0 < y && y < Height()) {
        std::int64_t pos = 0;
        if (mHasAddButton) {
            if (0 <= x && x <= kAddWidth)
                mAddButtonClick = true;
            pos = kAddWidth;
        }
        if (mHasRemoveButton) {
            if (pos <= x && x <= pos + kRemoveWidth)
                mRemoveButtonClick = true;
            pos += kRemoveWidth;
        }
        if (mHasActionButton) {
            if (pos <= x && x <= pos + kActionWidth)
                mActionButtonClick = true;
        }
    }
    Invalidate(false);
    return true;
}

void qorActionBar::Event_MouseUp(std::int64_t, std::int64_t)
{
    // By the flags alone: a button switched off since the press still
    // raises. Raise skips an event that has no handler.
    if (mAddButtonClick)
        AddButtonClick.Raise(*this);
    if (mRemoveButtonClick)
        RemoveButtonClick.Raise(*this);
    if (mActionButtonClick)
        ActionButtonClick.Raise(*this);
    // Not reached when a handler throws: the flags stay for the next release.
    mAddButtonClick = false;
    mRemoveButtonClick = false;
    mActionButtonClick = false;
}
