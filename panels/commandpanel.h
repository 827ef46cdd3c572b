#pragma once

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace rundel::session {
class SessionLists;
}
namespace rundel::editing {
class NodeListEditor;
}

namespace rundel::widgets {
class isButton;
}

namespace rundel::panels {

using widgets::isButton;

/// The command panel: address lookup, node list, route and leg list, and the session's
/// commands. The main window and the side window each show one; both show the same session
/// lists, while the address and leg boxes are each panel's own.
class CommandPanel : public QWidget {
    Q_OBJECT

public:
    /// @param top_twips where the first frame starts: 120 on the main window, 0 on the side
    /// window; the frames below keep their distances.
    CommandPanel(session::SessionLists& lists, editing::NodeListEditor& editor, int top_twips = 120,
                 QWidget* parent = nullptr);

    /// Shows the multi-address frame over the single-address one, or hides it.
    void set_multi(bool multi);

    QGroupBox* frame_move;
    QLineEdit* txtRealAddress;
    isButton* cmdMove;
    isButton* btnClear;
    QGroupBox* FrameMulti;
    QComboBox* ComboRealAddress;
    isButton* cmdCSV;
    QGroupBox* frame_tsonode;
    QListWidget* lstNode;
    isButton* cmdGetNodes;
    QGroupBox* frame_salesmanroute;
    isButton* cmdGetSalesmanRoute;
    QListWidget* lstNodeConnect;
    QLabel* lblTotal;
    QLabel* lblUnimproved;
    QLineEdit* txtS_ido;
    QLineEdit* txtS_keido;
    QLineEdit* txtE_ido;
    QLineEdit* txtE_keido;
    QGroupBox* Frame4;
    isButton* cmdClear;
    isButton* cmdMarkerHideShow;
    isButton* cmdSavedata;
    QComboBox* cmbSavetype;

private:
    void show_nodes();
    void show_legs();
    void show_route_length();
    void show_leg(int index);
    void clear_leg_boxes();

    session::SessionLists& lists_;
    editing::NodeListEditor& editor_;
};

} // namespace rundel::panels
