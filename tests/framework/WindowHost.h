#pragma once

// A shown window, by default a bare one to place controls in; closed and
// released at the end of each test.
#include "framework/PropertyList.h"
#include "framework/Window.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The entries that place a control, to start its design-time list with.
inline PropertyList Frame(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
{
    PropertyList list;
    list.Integer("Left", left).Integer("Top", top).Integer("Width", width).Integer("Height", height);
    return list;
}

template <class W = Window>
class WindowHost : public ::testing::Test {
protected:
    ~WindowHost() override
    {
        // A closed window is released from the event loop, so the loop must
        // turn once now; a release left for the application's own teardown
        // would delete widgets too late.
        if (window->IsOpen())
            window->Close();
        window.reset();
        QCoreApplication::sendPostedEvents();
    }

    // Adds a control to the window and applies its design-time list.
    template <class T>
    T& Add(const std::string& name, const PropertyList& list = PropertyList())
    {
        T& control = static_cast<T&>(window->_AddControl(name, std::make_unique<T>()));
        _SetProperties(control, list.Bytes());
        return control;
    }

    std::shared_ptr<W> window = Constructed();

private:
    static std::shared_ptr<W> Constructed()
    {
        auto window = std::make_shared<W>();
        window->Constructor();
        return window;
    }
};
