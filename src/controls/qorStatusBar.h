#pragma once

#include "framework/Canvas.h"
#include "framework/Color.h"

#include <cstdint>
#include <string>
#include <vector>

class Graphics;

// A bar along the bottom of a window: a background in one of three styles,
// an optional outline and three one-line captions (left, centre, right).
// It paints itself, so its window cannot handle Paint; other controls can
// stand inside it (InitialParent names it).
class qorStatusBar : public Canvas {
    DECLARE_CLASS_INFO

public:
    // Stored as a 64-bit integer; any other value draws no background.
    enum class Schema : std::int64_t { Plain = 0, Solid = 1, TwoTone = 2, Gradient = 3 };

    // Plain fields: a new value shows at the next paint.
    Color BorderColor;
    std::int64_t MarginLeft = 0;  // kept for the lists; the captions keep fixed insets
    std::int64_t MarginRight = 0; // likewise
    Schema Style = Schema::Plain;
    Color StartColor; // solid fill, upper band, top of the gradient
    Color EndColor;   // lower band, bottom of the gradient
    Color TextColor;  // all three captions

    // Each setter repaints at once, also when the value is unchanged.
    bool Border() const { return mBorder; }
    void SetBorder(bool border);
    const std::string& LeftCaption() const { return mLeftCaption; }
    void SetLeftCaption(const std::string& caption);
    const std::string& CenterCaption() const { return mCenterCaption; }
    void SetCenterCaption(const std::string& caption);
    const std::string& RightCaption() const { return mRightCaption; }
    void SetRightCaption(const std::string& caption);

    // Draws the whole bar, whatever areas asks for.
    void Event_Paint(Graphics& g, const std::vector<Rect>& areas) override;

    // Caption placement on a gw x gh context whose text size is ts, given a
    // caption's measured width; the left caption always starts at x 5.
    static std::int64_t CaptionBaseline(std::int64_t gh, double ts);
    static std::int64_t CenterCaptionX(std::int64_t gw, double captionWidth);
    static std::int64_t RightCaptionX(std::int64_t gw, double captionWidth);

private:
    std::string mCenterCaption;
    bool mBorder = false;
    std::string mLeftCaption;
    std::string mRightCaption;
};
