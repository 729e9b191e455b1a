// The toolkit's exception classes. Anything thrown inside a window procedure or
// event handler ends in the thunk: EAbort silently, anything else in an error box.
#pragma once
#include <stdexcept>
#include <string>

namespace tk {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The silent abort: unwinds to the message loop without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

[[noreturn]] inline void Abort() { throw EAbort(); }

} // namespace tk
