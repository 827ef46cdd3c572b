#pragma once

#include <functional>

namespace rundel::bridge {

/// The program's waits for the page: let the UI process its pending events, then test, until
/// the condition holds. They block until the next event or a short tick, so a long wait costs
/// no CPU. All waits end (returning false) once the program is quitting.
class PageWait {
public:
    static bool until(const std::function<bool()>& condition);

    /// Ends every wait, now and later: the program is going away.
    static void abandon_all();
    [[nodiscard]] static bool abandoned();
};

} // namespace rundel::bridge
