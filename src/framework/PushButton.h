#pragma once

#include "Event.h"
#include "Fonts.h"
#include "RectControl.h"

#include <string>

// A push button. Action is raised when the user clicks it.
class PushButton : public RectControl {
    DECLARE_CLASS_INFO

public:
    PushButton();

    Event<void(PushButton&)> Action;

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The window's default button: drawn as such, and pressed by Return or
    // Enter anywhere in its window while it is enabled.
    bool Default() const;
    void SetDefault(bool isDefault);

    // Clicks the button as the user would, raising Action.
    void Push();

    // The font and the text the button draws its caption in at its present
    // size: a one-line caption is fitted as a label's line is (FitOneLine).
    // Framework code and tests only.
    FittedLine _ShownCaption() const;
};
