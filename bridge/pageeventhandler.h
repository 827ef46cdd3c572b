#pragma once

#include <QString>

namespace rundel::bridge {

/// What the program does for the page's events; the dispatcher decides when.
class PageEventHandler {
public:
    virtual ~PageEventHandler() = default;
    /// "getnode": a node entry for the node lists of both windows.
    virtual void node_entry_arrived(const QString& entry) = 0;
    /// "nodedataok": download the session's node file, then solve and publish it.
    virtual void node_data_ready(const QString& session_id) = 0;
    /// "pointdragend"
    virtual void move_node() = 0;
    /// "delmarker"
    virtual void delete_node() = 0;
    /// A message box with the program's title.
    virtual void show_message(const QString& text) = 0;
};

} // namespace rundel::bridge
