#pragma once

#include "editing/addresslookup.h"
#include "editing/addressmode.h"
#include "session/saveformat.h"

#include <QStringList>
#include <QWidget>
#include <optional>

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

/// What a panel holds of its own, beside the session's lists: it moves with the panel when
/// the panel floats and when it comes back.
struct PanelState {
    QString address;       ///< the single-address box (txtRealAddress)
    QString multi_address; ///< the address list's edit text (ComboRealAddress)
    QStringList leg;       ///< the leg boxes: start latitude, longitude, end latitude, longitude
    QString save_choice;   ///< the save-format box's text (cmbSavetype)
};

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

    [[nodiscard]] PanelState state() const;
    /// Takes @p state's leg boxes and save choice, and the address of @p mode only.
    void restore(const PanelState& state, editing::AddressMode mode);
    /// Fills the address list (ComboRealAddress) and shows its first entry.
    void set_addresses(const QStringList& addresses);
    /// 住所で移動: asks for the lookup of what the address boxes hold.
    void request_lookup();
    /// Shows where a list lookup stands, with 中止 while it runs; hides both after it.
    void show_progress(const editing::LookupProgress& progress);

signals:
    /// 住所で移動: the single address and the address list, for the lookup to choose from.
    void lookupRequested(const QString& address, const QStringList& list);
    /// CSV読み込み・ノード表示
    void csvRequested();
    /// 巡回経路データ保存: the chosen format, none when the box holds no format's caption.
    void saveRequested(std::optional<session::SaveFormat> format);
    /// 中止: end the list lookup.
    void stopRequested();

private:
    void show_nodes();
    void append_node(const QString& entry);
    /// The node list's context menu: 出発地 / 到着地 / 片道 / 解除 for the stop at @p at.
    void node_menu(const QPoint& at);
    void show_legs();
    void show_route_length();
    void show_leg(int index);
    void clear_leg_boxes();
    void toggle_markers();
    [[nodiscard]] QList<QLineEdit*> leg_boxes() const;

    session::SessionLists& lists_;
    editing::NodeListEditor& editor_;
    bool markers_shown_ = true;

    QGroupBox* frame_move;
    QLineEdit* txtRealAddress;
    isButton* cmdMove;
    isButton* btnClear;
    QGroupBox* FrameMulti;
    QComboBox* ComboRealAddress;
    isButton* cmdCSV;
    QLabel* lblProgress;
    isButton* cmdStop;
    QGroupBox* frame_tsonode;
    QListWidget* lstNode;
    isButton* cmdGetNodes;
    QGroupBox* frame_salesmanroute;
    isButton* cmdGetSalesmanRoute;
    QListWidget* lstNodeConnect;
    QLabel* lblTotal;
    QLabel* lblMeasure;
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
};

} // namespace rundel::panels
