#pragma once

#include "engine/failuresink.h"

namespace rundel::widgets {
class Dialogs;
}

namespace rundel::session {

/// Shows the route engine's failures in a message box.
class DialogFailureSink final : public engine::FailureSink {
public:
    explicit DialogFailureSink(widgets::Dialogs& dialogs) : dialogs_(dialogs) {}
    void engine_failure(std::string_view message) override;

private:
    widgets::Dialogs& dialogs_;
};

} // namespace rundel::session
