#pragma once

#include <string_view>

namespace rundel::engine {

/// Receives the engine's failure descriptions. The desktop program shows them in a
/// message box, the batch runner prints them; the engine itself never prints.
class FailureSink {
public:
    virtual ~FailureSink() = default;
    virtual void engine_failure(std::string_view message) = 0;
};

} // namespace rundel::engine
