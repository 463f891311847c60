#pragma once

#include <functional>
#include <utility>

// An event of a framework object. The owner of the control (normally its
// window) binds at most one handler; an event with no bound handler is not
// delivered, and raising it returns the default value of its result.
template <class Signature>
class Event;

template <class R, class... Args>
class Event<R(Args...)> {
public:
    using Handler = std::function<R(Args...)>;

    void Bind(Handler handler) { m_handler = std::move(handler); }
    void Unbind() { m_handler = nullptr; }
    bool IsBound() const { return static_cast<bool>(m_handler); }

    R Raise(Args... args) const
    {
        if (!m_handler) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return m_handler(std::forward<Args>(args)...);
    }

private:
    Handler m_handler;
};
