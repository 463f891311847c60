#pragma once

#include "Color.h"
#include "Event.h"
#include "Fonts.h"
#include "RectControl.h"

#include <cstdint>
#include <string>

// A static text. Single-line by default: the text up to its first line break
// is shown, never wrapped; where it is too wide for the label it is drawn at
// the largest smaller size that fits, down to a readable floor, and cut
// short with an ellipsis only where even the floor is too wide (FitOneLine).
//
// MouseDown is raised for a press inside the label also while the label is
// disabled, so that its handler can decide from Enabled what a press does.
// The label has no MouseUp; the handler's result is not used.
class Label : public RectControl {
    DECLARE_CLASS_INFO

public:
    Label();

    Event<bool(Label&, std::int64_t x, std::int64_t y)> MouseDown;

    const std::string& Text() const;
    void SetText(const std::string& text);
    // 0 left, 1 centred, 2 right.
    std::int64_t TextAlign() const;
    void SetTextAlign(std::int64_t align);
    Color TextColor() const;
    void SetTextColor(Color color);
    bool Multiline() const;
    void SetMultiline(bool multiline);
    bool Selectable() const;
    void SetSelectable(bool selectable);

    // Called by the label's widget for a press at x, y (label coordinates).
    void _HandleMouseDown(std::int64_t x, std::int64_t y);
    // The font and the text the label draws its line in at its present
    // size. Framework code and tests only.
    FittedLine _ShownLine() const;

private:
    void UpdateText();
    void UpdateAlignment();
    void UpdatePalette();

    std::string m_text;
    std::int64_t m_textAlign = 0;
    Color m_textColor;
    bool m_multiline = false;
    bool m_selectable = false;
};
