#pragma once

#include <functional>

namespace rundel::bridge {

/// The program's waits for the page: let the UI process its pending events, then test, until
/// the condition holds. They block until the next event or a short tick, so a long wait costs
/// no CPU. The waits in progress end (returning false) when the program is quitting.
class PageWait {
public:
    static bool until(const std::function<bool()>& condition);

    /// Ends every wait in progress: the program is going away. Waits begun later wait again,
    /// so that nothing stays latched for the rest of the process.
    static void abandon_all();
};

} // namespace rundel::bridge
