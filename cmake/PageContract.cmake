# The page contract (web/contract.json) as a C++ header, generated at configure time, so that
# the program, its fake page and its tests know the ids and title words the page has.
set(RUNDEL_CONTRACT_JSON ${CMAKE_SOURCE_DIR}/web/contract.json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${RUNDEL_CONTRACT_JSON})
file(READ ${RUNDEL_CONTRACT_JSON} contract)

function(rundel_contract_array json key out_name out_text)
    string(JSON count LENGTH "${json}" ${key})
    math(EXPR last "${count} - 1")
    set(items "")
    foreach(i RANGE ${last})
        string(JSON item GET "${json}" ${key} ${i})
        string(APPEND items "    \"${item}\",\n")
    endforeach()
    set(${out_text} "inline constexpr std::array<std::string_view, ${count}> ${out_name}{{\n${items}}};\n"
        PARENT_SCOPE)
endfunction()

rundel_contract_array("${contract}" values kValues values_text)
rundel_contract_array("${contract}" commands kCommands commands_text)
rundel_contract_array("${contract}" events kEvents events_text)
string(JSON idle GET "${contract}" idle)
string(JSON event_count LENGTH "${contract}" events)
math(EXPR last_event "${event_count} - 1")
set(event_enum "")
foreach(i RANGE ${last_event})
    string(JSON word GET "${contract}" events ${i})
    string(APPEND event_enum "    ${word},\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/generated/rundel/pagecontract.h.new
"#pragma once

// Generated from web/contract.json: edit that file, not this one.

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace rundel::contract {

/// Hidden values the program writes and reads.
${values_text}
/// Buttons the program clicks.
${commands_text}
/// Title words the page raises its events with.
${events_text}
/// The page's events, one per title word, in the order of kEvents.
enum class Event {
${event_enum}};

/// The event a title word raises; none for the idle title or any other word.
[[nodiscard]] constexpr std::optional<Event> event_of(std::string_view title) {
    const auto* found = std::find(kEvents.begin(), kEvents.end(), title);
    if (found == kEvents.end()) {
        return std::nullopt;
    }
    return static_cast<Event>(found - kEvents.begin());
}

/// The title word of @p event.
[[nodiscard]] constexpr std::string_view word_of(Event event) {
    return kEvents.at(static_cast<std::size_t>(event));
}

/// The title of a page with no event waiting.
inline constexpr std::string_view kIdleTitle = \"${idle}\";

/// True when @p id names an element of the page contract (a value or a command).
[[nodiscard]] constexpr bool is_element(std::string_view id) {
    return std::find(kValues.begin(), kValues.end(), id) != kValues.end() ||
           std::find(kCommands.begin(), kCommands.end(), id) != kCommands.end();
}

} // namespace rundel::contract
")
# Rewritten only when it changes, so that a reconfigure does not rebuild everything.
file(COPY_FILE ${CMAKE_BINARY_DIR}/generated/rundel/pagecontract.h.new
     ${CMAKE_BINARY_DIR}/generated/rundel/pagecontract.h ONLY_IF_DIFFERENT)
