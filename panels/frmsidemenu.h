#pragma once

#include <QWidget>

namespace rundel::session {
class SessionLists;
}
namespace rundel::editing {
class NodeListEditor;
}

namespace rundel::panels {

class CommandPanel;

/// The side menu window: the command panel floating beside a narrowed main window.
class frmSidemenu : public QWidget {
    Q_OBJECT

public:
    frmSidemenu(session::SessionLists& lists, editing::NodeListEditor& editor,
                QWidget* parent = nullptr);

    [[nodiscard]] CommandPanel& panel() const { return *panel_; }

signals:
    /// The user closes the window; it goes once this returns.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CommandPanel* panel_;
};

} // namespace rundel::panels
