#pragma once

#include "editing/addressmode.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace rundel::session {
class SessionLists;
}
namespace rundel::editing {
class NodeListEditor;
}

namespace rundel::panels {

class CommandPanel;
class frmSidemenu;

/// Floating the command panel: the side window is made (hidden) the first time anything
/// needs it, shown by float_panel(), and closing it puts its state back into the main
/// window's panel. The node and leg lists are the session's own and need no copying.
class SideMenu : public QObject {
    Q_OBJECT

public:
    /// @param wire connects a new side window's commands, as the main panel's are.
    SideMenu(session::SessionLists& lists, editing::NodeListEditor& editor, QWidget& main_window,
             CommandPanel& main_panel, std::function<editing::AddressMode()> address_mode,
             std::function<void(CommandPanel&)> wire);
    ~SideMenu() override;

    /// The side window, made hidden when there is none.
    frmSidemenu& window();
    [[nodiscard]] bool exists() const { return !window_.isNull(); }
    /// The side window's panel when there is one, else null.
    [[nodiscard]] CommandPanel* panel() const;

    /// サイドメニュをフロート
    void float_panel();

private:
    void unfloat();

    session::SessionLists& lists_;
    editing::NodeListEditor& editor_;
    QWidget& main_window_;
    CommandPanel& main_panel_;
    std::function<editing::AddressMode()> address_mode_;
    std::function<void(CommandPanel&)> wire_;
    QPointer<frmSidemenu> window_;
};

} // namespace rundel::panels
