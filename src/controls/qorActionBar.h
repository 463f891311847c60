#pragma once

#include "framework/Canvas.h"
#include "framework/Color.h"
#include "framework/Event.h"

#include <cstdint>
#include <string>
#include <vector>

class Graphics;

// A bar of up to three buttons at its left, "+" (28 pixels wide), "-" and
// "A" (30 each), in that order; a button that is off takes no room. A press
// in a button's zone marks it pending, and the next release raises the
// events of every pending button. It paints and takes the mouse itself, so
// its window cannot handle Paint, MouseDown or MouseUp.
class qorActionBar : public Canvas {
    DECLARE_CLASS_INFO

public:
    // Stored as a 64-bit integer; any other value draws no background. The
    // same fills as the status bar's, numbered one lower, so a bar whose
    // Style was never set is Solid.
    enum class Schema : std::int64_t { Solid = 0, TwoTone = 1, Gradient = 2 };

    Event<void(qorActionBar&)> AddButtonClick;
    Event<void(qorActionBar&)> RemoveButtonClick;
    Event<void(qorActionBar&)> ActionButtonClick;

    // Plain fields: a new value shows at the next paint.
    Color BorderColor; // the outline and the separators
    std::vector<std::string> ButtonName; // kept for callers; the bar itself never reads it
    Color EndColor;
    Color StartColor;
    Schema Style = Schema::Solid;
    Color DrawColor; // the glyphs

    // Each setter repaints at once, also when the value is unchanged.
    bool HasAddButton() const { return mHasAddButton; }
    void SetHasAddButton(bool shown);
    bool HasRemoveButton() const { return mHasRemoveButton; }
    void SetHasRemoveButton(bool shown);
    bool HasActionButton() const { return mHasActionButton; }
    void SetHasActionButton(bool shown);
    bool Border() const { return mBorder; }
    void SetBorder(bool border);

    // Pending clicks: set by a press in the button's zone, cleared together
    // once a release has raised them.
    bool AddButtonPending() const { return mAddButtonClick; }
    bool RemoveButtonPending() const { return mRemoveButtonClick; }
    bool ActionButtonPending() const { return mActionButtonClick; }

    // Draws the whole bar, whatever areas asks for. A pending button looks
    // like any other.
    void Event_Paint(Graphics& g, const std::vector<Rect>& areas) override;
    // Takes every press (true), so the release comes wherever it happens.
    bool Event_MouseDown(std::int64_t x, std::int64_t y) override;
    // Raises the pending clicks in button order, then clears them. When a
    // handler throws, the later events are not raised, every flag stays set
    // for the next release, and the exception passes on.
    void Event_MouseUp(std::int64_t x, std::int64_t y) override;

private:
    bool mHasAddButton = false;
    bool mAddButtonClick = false;
    bool mRemoveButtonClick = false;
    bool mHasRemoveButton = false;
    bool mActionButtonClick = false;
    bool mHasActionButton = false;
    bool mBorder = false;
};
