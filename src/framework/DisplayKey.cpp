#include "DisplayKey.h"

#include <QByteArray>

#include <algorithm>

std::string DisplayKey::Of(const std::string& platform, const std::vector<std::string>& arguments)
{
    if (platform == "xcb") {
        std::string display = qgetenv("DISPLAY").toStdString();
        // Taken by the X platform as the last one given, "--display" too.
        for (std::size_t i = 1; i + 1 < arguments.size(); ++i) {
            if (arguments[i] == "-display" || arguments[i] == "--display")
                display = arguments[++i];
        }
        return platform + '-' + XDisplay(display);
    }
    if (platform.rfind("wayland", 0) == 0) {
        std::string display = qgetenv("WAYLAND_DISPLAY").toStdString();
        // A name is that of a socket in the runtime folder.
        const std::string folder = qgetenv("XDG_RUNTIME_DIR").toStdString();
        if (!folder.empty() && display.rfind(folder + '/', 0) == 0)
            display.erase(0, folder.size() + 1);
        return "wayland-" + (display.empty() ? std::string("wayland-0") : display);
    }
    return platform.empty() ? std::string("none") : platform;
}

std::string DisplayKey::XDisplay(const std::string& name)
{
    const std::size_t colon = name.rfind(':');
    if (colon == std::string::npos)
        return name;
    std::string host = name.substr(0, colon);
    std::string number = name.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    // A number, whatever its text: ":0" and ":00" are one display.
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
        number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
    if (const std::size_t slash = host.find('/'); slash != std::string::npos && host.front() != '/') {
        const bool local = host.compare(0, slash, "unix") == 0;
        host = local ? std::string() : host.substr(slash + 1);
    }
    if (host == "unix")
        host.clear();
    return host + ':' + number;
}
