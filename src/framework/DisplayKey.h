#pragma once

#include <string>
#include <vector>

// The display that a program shows its windows on, as one name: one program
// runs per user and display, and the name tells displays apart.
class DisplayKey {
public:
    // Given the platform and the process arguments before Qt took its own:
    // for X the display's host and number (from -display, else $DISPLAY; the
    // screen does not matter), for Wayland $WAYLAND_DISPLAY, otherwise the
    // platform alone.
    static std::string Of(const std::string& platform, const std::vector<std::string>& arguments);

    // An X display name, [protocol/][host]:number[.screen], as host and
    // number: the screen is the same display, "unix" or no host both mean
    // this machine's local socket, and the number counts, not its digits.
    static std::string XDisplay(const std::string& name);
};
