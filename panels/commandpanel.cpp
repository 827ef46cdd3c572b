#include "panels/commandpanel.h"

#include "editing/nodelisteditor.h"
#include "session/listentries.h"
#include "session/routemeasure.h"
#include "session/saveformat.h"
#include "session/schedule.h"
#include "session/sessionlists.h"
#include "widgets/isbutton.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <cmath>

namespace rundel::panels {
namespace {

using widgets::make;
using widgets::px;

QGroupBox* frame(QWidget* parent, const char* name, const QString& title, int y_twips,
                 int height_twips) {
    auto* box = make<QGroupBox>(parent, name,
                                QRect(px(120), px(y_twips), px(2895), px(height_twips)), title);
    return box;
}

} // namespace

CommandPanel::CommandPanel(session::SessionLists& lists, editing::NodeListEditor& editor,
                           int top_twips, QWidget* parent)
    : QWidget(parent), lists_(lists), editor_(editor) {
    setObjectName(QStringLiteral("frame_sidemenu"));
    const int inner = px(2895) - 16;
    const int shift = top_twips - 120;

    frame_move = frame(this, "frame_move", QStringLiteral("住所"), 120 + shift, 1095);
    txtRealAddress = make<QLineEdit>(frame_move, "txtRealAddress", QRect(8, 20, inner, 22));
    txtRealAddress->setPlaceholderText(QStringLiteral("住所・地名"));
    cmdMove =
        make<isButton>(frame_move, "cmdMove", QRect(8, 45, 110, 24), QStringLiteral("住所で移動"));
    btnClear = make<isButton>(frame_move, "btnClear", QRect(122, 45, inner - 114, 24),
                              QStringLiteral("クリア"));

    FrameMulti = frame(this, "FrameMulti", QStringLiteral("住所一覧（CSV）"), 120 + shift, 1815);
    ComboRealAddress = make<QComboBox>(FrameMulti, "ComboRealAddress", QRect(8, 22, inner, 24));
    ComboRealAddress->setEditable(true);
    cmdCSV = make<isButton>(FrameMulti, "cmdCSV", QRect(8, 50, inner, 26),
                            QStringLiteral("CSV読み込み・ノード表示"));
    // While a list is looked up, its progress and 中止 take the import button's place.
    lblProgress = make<QLabel>(FrameMulti, "lblProgress", QRect(8, 50, inner - 60, 26), QString());
    cmdStop = make<isButton>(FrameMulti, "cmdStop", QRect(inner - 48, 50, 56, 26),
                             QStringLiteral("中止"));
    lblProgress->hide();
    cmdStop->hide();
    FrameMulti->setAutoFillBackground(true); // it covers the single-address frame
    FrameMulti->hide();

    frame_tsonode = frame(this, "frame_tsonode", QStringLiteral("ノード"), 1320 + shift, 1815);
    lstNode = make<QListWidget>(frame_tsonode, "lstNode", QRect(8, 20, inner, 66));
    cmdGetNodes = make<isButton>(frame_tsonode, "cmdGetNodes", QRect(8, 90, inner, 24),
                                 QStringLiteral("ノードを取得"));

    frame_salesmanroute =
        frame(this, "frame_salesmanroute", QStringLiteral("巡回経路"), 3240 + shift, 2655);
    cmdGetSalesmanRoute = make<isButton>(frame_salesmanroute, "cmdGetSalesmanRoute",
                                         QRect(8, 20, inner, 24), QStringLiteral("巡回経路取得"));
    make<QLabel>(frame_salesmanroute, "lblRoute", QRect(8, 46, 32, 16), QStringLiteral("経路"));
    lblTotal =
        make<QLabel>(frame_salesmanroute, "lblTotal", QRect(40, 46, inner - 32, 16), QString());
    lblTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lstNodeConnect =
        make<QListWidget>(frame_salesmanroute, "lstNodeConnect", QRect(8, 62, inner, 38));
    // How the route is measured: by road, or in straight lines and why.
    lblMeasure =
        make<QLabel>(frame_salesmanroute, "lblMeasure", QRect(8, 101, inner, 16), QString());
    lblMeasure->setWordWrap(false);
    make<QLabel>(frame_salesmanroute, "lblArrow", QRect(8, 118, 14, 16), QStringLiteral("▼"));
    make<QLabel>(frame_salesmanroute, "lblCoord", QRect(24, 118, 36, 16), QStringLiteral("座標"));
    lblUnimproved = make<QLabel>(frame_salesmanroute, "lblUnimproved",
                                 QRect(60, 118, inner - 52, 16), QString());
    lblUnimproved->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int half = (inner - 4) / 2;
    txtS_ido = make<QLineEdit>(frame_salesmanroute, "txtS_ido", QRect(8, 134, half, 20));
    txtS_keido =
        make<QLineEdit>(frame_salesmanroute, "txtS_keido", QRect(12 + half, 134, half, 20));
    txtE_ido = make<QLineEdit>(frame_salesmanroute, "txtE_ido", QRect(8, 156, half, 20));
    txtE_keido =
        make<QLineEdit>(frame_salesmanroute, "txtE_keido", QRect(12 + half, 156, half, 20));
    for (QLineEdit* box : leg_boxes()) {
        box->setReadOnly(true);
    }
    txtS_ido->setToolTip(QStringLiteral("始点の緯度"));
    txtS_keido->setToolTip(QStringLiteral("始点の経度"));
    txtE_ido->setToolTip(QStringLiteral("終点の緯度"));
    txtE_keido->setToolTip(QStringLiteral("終点の経度"));

    Frame4 = frame(this, "Frame4", QStringLiteral("データ"), 6000 + shift, 2580);
    cmdClear = make<isButton>(Frame4, "cmdClear", QRect(8, 20, inner, 24),
                              QStringLiteral("巡回経路データ消去"));
    cmdMarkerHideShow = make<isButton>(Frame4, "cmdMarkerHideShow", QRect(8, 48, inner, 24),
                                       QStringLiteral("マーカーを隠す"));
    cmbSavetype = make<QComboBox>(Frame4, "cmbSavetype", QRect(8, 80, inner, 24));
    cmbSavetype->setEditable(true);
    cmbSavetype->addItems(session::save_format_captions());
    cmbSavetype->setEditText(QStringLiteral("▼ 形式選択"));
    cmdSavedata = make<isButton>(Frame4, "cmdSavedata", QRect(8, 108, inner, 24),
                                 QStringLiteral("巡回経路データ保存"));

    connect(&lists, &session::SessionLists::nodesChanged, this, &CommandPanel::show_nodes);
    connect(&lists, &session::SessionLists::nodeAppended, this, &CommandPanel::append_node);
    connect(cmdStop, &QAbstractButton::clicked, this, &CommandPanel::stopRequested);
    connect(&lists, &session::SessionLists::legsChanged, this, &CommandPanel::show_legs);
    connect(&lists, &session::SessionLists::legBoxesCleared, this, &CommandPanel::clear_leg_boxes);
    connect(&lists, &session::SessionLists::addressCleared, this, [this] {
        txtRealAddress->clear();
        ComboRealAddress->clear();
    });
    connect(lstNodeConnect, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { show_leg(lstNodeConnect->row(item)); });
    // The keyboard chooses legs too: follow the current row, however it moved.
    connect(lstNodeConnect, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            show_leg(row);
        }
    });
    connect(cmdGetNodes, &QAbstractButton::clicked, this, [this] { editor_.get_nodes(); });
    lstNode->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstNode, &QWidget::customContextMenuRequested, this, &CommandPanel::node_menu);
    connect(&lists, &session::SessionLists::endsChanged, this, &CommandPanel::show_nodes);
    connect(cmdGetSalesmanRoute, &QAbstractButton::clicked, this,
            [this] { editor_.request_route(); });
    // While a route is on its way the button stops it, and an improvement that takes a
    // while shows how far it is where the total will be.
    connect(&editor_, &editing::NodeListEditor::routePendingChanged, this, [this](bool pending) {
        cmdGetSalesmanRoute->setCaption(pending ? QStringLiteral("中止")
                                                : QStringLiteral("巡回経路取得"));
    });
    connect(&editor_, &editing::NodeListEditor::routeStatus, this, [this](const QString& status) {
        if (status.isEmpty()) {
            show_route_length();
        } else {
            lblTotal->setText(status);
        }
    });
    connect(cmdClear, &QAbstractButton::clicked, this, [this] { editor_.clear_session(); });
    connect(cmdMarkerHideShow, &QAbstractButton::clicked, this, &CommandPanel::toggle_markers);
    connect(cmdMove, &QAbstractButton::clicked, this, &CommandPanel::request_lookup);
    connect(cmdCSV, &QAbstractButton::clicked, this, &CommandPanel::csvRequested);
    connect(cmdSavedata, &QAbstractButton::clicked, this,
            [this] { emit saveRequested(session::save_format_of(cmbSavetype->currentText())); });
    connect(&lists, &session::SessionLists::addressTextCleared, txtRealAddress, &QLineEdit::clear);
    connect(btnClear, &QAbstractButton::clicked, this, [this] { lists_.clear_address_text(); });
    show_nodes();
    show_legs();
}

void CommandPanel::set_multi(bool multi) {
    FrameMulti->setVisible(multi);
    if (multi) {
        // Over the single-address frame, under the node frame that its lower edge reaches.
        FrameMulti->raise();
        frame_tsonode->raise();
    }
}

PanelState CommandPanel::state() const {
    PanelState state{
        txtRealAddress->text(), ComboRealAddress->currentText(), {}, cmbSavetype->currentText()};
    for (const QLineEdit* box : leg_boxes()) {
        state.leg.append(box->text());
    }
    return state;
}

void CommandPanel::restore(const PanelState& state, editing::AddressMode mode) {
    if (mode == editing::AddressMode::Single) {
        txtRealAddress->setText(state.address);
    } else {
        ComboRealAddress->setEditText(state.multi_address);
    }
    const QList<QLineEdit*> boxes = leg_boxes();
    for (int i = 0; i < boxes.size(); ++i) {
        boxes.at(i)->setText(state.leg.value(i));
    }
    cmbSavetype->setEditText(state.save_choice);
}

void CommandPanel::set_addresses(const QStringList& addresses) {
    ComboRealAddress->clear();
    ComboRealAddress->addItems(addresses);
    ComboRealAddress->setEditText(addresses.value(0));
}

void CommandPanel::request_lookup() {
    QStringList list;
    for (int i = 0; i < ComboRealAddress->count(); ++i) {
        list.append(ComboRealAddress->itemText(i));
    }
    emit lookupRequested(txtRealAddress->text(), list);
}

// The caption changes before the page is told: the page may take a while, and the button
// must already say what a second press would do.
void CommandPanel::toggle_markers() {
    markers_shown_ = !markers_shown_;
    cmdMarkerHideShow->setCaption(markers_shown_ ? QStringLiteral("マーカーを隠す")
                                                 : QStringLiteral("マーカーを表示"));
    editor_.show_markers(markers_shown_);
}

QList<QLineEdit*> CommandPanel::leg_boxes() const {
    return {txtS_ido, txtS_keido, txtE_ido, txtE_keido};
}

void CommandPanel::show_nodes() {
    lstNode->clear();
    lstNode->addItems(lists_.nodes());
    // The day's start and end stand out in the list as on the map.
    const engine::RouteEnds& ends = lists_.ends();
    for (const auto& [number, role] : {std::pair{ends.start, QStringLiteral("出発地")},
                                       std::pair{ends.end, QStringLiteral("到着地")}}) {
        if (number > 0 && number <= lstNode->count()) {
            QListWidgetItem* item = lstNode->item(number - 1);
            item->setText(item->text() + QStringLiteral("（") + role + QStringLiteral("）"));
        }
    }
    lstNode->scrollToBottom();
}

void CommandPanel::node_menu(const QPoint& at) {
    const QListWidgetItem* item = lstNode->itemAt(at);
    const auto node = item ? lists_.node_entries().value(lstNode->row(item)) : std::nullopt;
    const int number = node ? node->number.toInt() : 0;
    const engine::RouteEnds& ends = lists_.ends();
    // Shown without waiting for the choice: the menu deletes itself once closed.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("mnuNodeRoles"));
    QAction* start = menu->addAction(QStringLiteral("出発地にする"));
    QAction* end = menu->addAction(QStringLiteral("到着地にする"));
    start->setEnabled(number > 0);
    end->setEnabled(number > 0);
    QAction* one_way = menu->addAction(QStringLiteral("片道（最後の地点で終わる）"));
    one_way->setCheckable(true);
    one_way->setChecked(ends.open);
    QAction* stay = menu->addAction(QStringLiteral("滞在時間を変更…"));
    stay->setEnabled(number > 0);
    menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("出発地・到着地を解除"));
    clear->setEnabled(ends.chosen());
    connect(start, &QAction::triggered, this, [this, number] { editor_.set_start(number); });
    connect(end, &QAction::triggered, this, [this, number] { editor_.set_end(number); });
    connect(one_way, &QAction::toggled, this, [this](bool on) { editor_.set_one_way(on); });
    connect(clear, &QAction::triggered, this, [this] { lists_.set_ends({}); });
    connect(stay, &QAction::triggered, this, [this, number] { editor_.edit_stay(number); });
    menu->popup(lstNode->viewport()->mapToGlobal(at));
}

void CommandPanel::append_node(const QString& entry) {
    // One row: rebuilding the list for every marker made large imports quadratic.
    lstNode->addItem(entry);
    lstNode->scrollToBottom();
}

void CommandPanel::show_progress(const editing::LookupProgress& progress) {
    lblProgress->setVisible(progress.running);
    cmdStop->setVisible(progress.running);
    cmdCSV->setVisible(!progress.running);
    lblProgress->setText(QStringLiteral("%1 / %2 件（見つかった %3・見つからない %4）")
                             .arg(progress.done)
                             .arg(progress.total)
                             .arg(progress.found)
                             .arg(progress.not_found));
}

void CommandPanel::show_legs() {
    lstNodeConnect->clear();
    // Each leg ends with the time the route reaches its stop.
    QList<int> stays{-1}; // the first stop is left at the day's start
    for (const session::RouteLeg& leg : lists_.route_legs()) {
        stays.append(lists_.stay(leg.to));
    }
    const QList<session::StopTimes> times =
        session::schedule(lists_.leg_times(), lists_.day_times(), stays);
    const QString estimated = lists_.times_estimated() ? QStringLiteral("（概算）") : QString();
    // Times belong to a day's route: measured by a router, or with its start or end chosen;
    // a plain round trip lists its legs as always.
    const bool timed = lists_.measure().by_road() || lists_.ends().chosen();
    for (int i = 0; i < lists_.legs().size(); ++i) {
        const double km = lists_.leg_km(i);
        const double seconds = lists_.leg_seconds(i);
        QString text = lists_.legs().at(i);
        if (seconds >= 0) {
            // Each leg's own figures: road km and minutes, or a marked straight line.
            text +=
                QStringLiteral("  %1 km・%2 分").arg(km, 0, 'f', 1).arg(std::round(seconds / 60));
            if (!lists_.measure().legs.at(i).by_road) {
                text += QStringLiteral("（直線）");
            }
        }
        if (timed) {
            // When the leg's stop is reached and, after a stay there, left.
            const session::StopTimes& at = times.value(i + 1);
            text += QStringLiteral("  ") + session::clock_text(at.arrival) + QStringLiteral("着");
            if (at.departure > at.arrival && i + 1 < lists_.legs().size()) {
                text +=
                    QStringLiteral("・") + session::clock_text(at.departure) + QStringLiteral("発");
            }
            text += estimated;
        }
        auto* item = new QListWidgetItem(text, lstNodeConnect);
        if (km >= 0) {
            item->setToolTip(QStringLiteral("%1 km").arg(km, 0, 'f', 3));
        }
    }
    show_route_length();
}

void CommandPanel::show_route_length() {
    const bool shown = !lists_.legs().isEmpty();
    const session::RouteMeasure& measure = lists_.measure();
    const bool by_road = shown && measure.by_road();
    QString total =
        shown ? QStringLiteral("総距離 %1 km").arg(lists_.route_km(), 0, 'f', 1) : QString();
    if (by_road) {
        total += QStringLiteral("・所要時間 ") + session::hours_minutes(measure.seconds());
    }
    lblTotal->setText(total);
    lblTotal->setToolTip(!shown    ? QString()
                         : by_road ? QStringLiteral("道路に沿った総距離と所要時間")
                                   : QStringLiteral("経路の総距離（大圏距離）"));
    // Never a silent mix: whenever a leg is a straight line, the panel says so and why.
    QString note;
    if (shown && !measure.straight_because.isEmpty()) {
        note = (by_road ? QStringLiteral("一部直線距離: ") : QStringLiteral("直線距離: ")) +
               measure.straight_because;
    } else if (by_road) {
        note = QStringLiteral("道路距離（") + measure.router + QStringLiteral("）");
    }
    lblMeasure->setText(
        lblMeasure->fontMetrics().elidedText(note, Qt::ElideRight, lblMeasure->width()));
    lblMeasure->setToolTip(note);
    const bool improved = shown && lists_.unimproved_km() >= 0;
    lblUnimproved->setText(
        improved ? QStringLiteral("改善前 %1 km").arg(lists_.unimproved_km(), 0, 'f', 1)
                 : QString());
    lblUnimproved->setToolTip(improved ? QStringLiteral("改善する前の経路の総距離") : QString());
}

void CommandPanel::show_leg(int index) {
    const QStringList fields = editor_.leg_fields(index);
    const QList<QLineEdit*> boxes = leg_boxes();
    if (fields.size() == boxes.size()) {
        for (int i = 0; i < boxes.size(); ++i) {
            boxes.at(i)->setText(fields.at(i));
        }
    }
}

void CommandPanel::clear_leg_boxes() {
    for (QLineEdit* box : leg_boxes()) {
        box->clear();
    }
}

} // namespace rundel::panels
