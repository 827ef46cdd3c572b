#pragma once

#include "engine/failuresink.h"

#include <string>
#include <vector>

namespace rundel::test {

/// Keeps every failure the engine reports.
class RecordingSink final : public engine::FailureSink {
public:
    void engine_failure(std::string_view message) override { messages.emplace_back(message); }
    std::vector<std::string> messages;
};

} // namespace rundel::test
