#pragma once

#include "Event.h"
#include "RectControl.h"

#include <cstdint>
#include <string>

// A check box. Action is raised whenever the ticked state changes: by the
// user's click, and inside the setter when the program sets Value (or State)
// to a new value, also while the box is disabled. Setting the value it
// already has raises nothing.
class CheckBox : public RectControl {
    DECLARE_CLASS_INFO

public:
    // The values of State.
    enum CheckedStates : std::int64_t { Unchecked = 0, Checked = 1, Indeterminate = 2 };

    CheckBox();

    Event<void(CheckBox&)> Action;

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // True exactly when State is Checked.
    bool Value() const;
    void SetValue(bool value);
    std::int64_t State() const;
    void SetState(std::int64_t state);
};
