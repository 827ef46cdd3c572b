#include "panels/sidemenu.h"

#include "panels/commandpanel.h"
#include "panels/frmsidemenu.h"

#include <QComboBox>
#include <QLineEdit>

namespace rundel::panels {
namespace {

constexpr int kNarrowWidth = 8325 / 15;
constexpr int kWideWidth = 11580 / 15;

/// What moves between the two panels at float and unfloat.
void copy_state(const CommandPanel& from, CommandPanel& to, editing::AddressMode mode) {
    if (mode == editing::AddressMode::Single) {
        to.txtRealAddress->setText(from.txtRealAddress->text());
    } else {
        to.ComboRealAddress->setEditText(from.ComboRealAddress->currentText());
    }
    to.txtS_ido->setText(from.txtS_ido->text());
    to.txtS_keido->setText(from.txtS_keido->text());
    to.txtE_ido->setText(from.txtE_ido->text());
    to.txtE_keido->setText(from.txtE_keido->text());
    to.cmbSavetype->setEditText(from.cmbSavetype->currentText());
}

} // namespace

SideMenu::SideMenu(session::SessionLists& lists, editing::NodeListEditor& editor,
                   QWidget& main_window, CommandPanel& main_panel,
                   std::function<editing::AddressMode()> address_mode,
                   std::function<void(CommandPanel&)> wire)
    : lists_(lists), editor_(editor), main_window_(main_window), main_panel_(main_panel),
      address_mode_(std::move(address_mode)), wire_(std::move(wire)) {}

SideMenu::~SideMenu() {
    delete window_.data();
}

frmSidemenu& SideMenu::window() {
    if (window_.isNull()) {
        window_ = new frmSidemenu(lists_, editor_);
        window_->panel->set_multi(address_mode_() == editing::AddressMode::Multi);
        connect(window_, &frmSidemenu::closing, this, &SideMenu::unfloat);
        wire_(*window_->panel);
    }
    return *window_;
}

CommandPanel* SideMenu::panel() const {
    return window_.isNull() ? nullptr : window_->panel;
}

void SideMenu::float_panel() {
    frmSidemenu& side = window();
    copy_state(main_panel_, *side.panel, address_mode_());
    side.move(main_window_.x() + kNarrowWidth, main_window_.y());
    side.show();
    main_window_.resize(kNarrowWidth, main_window_.height());
}

void SideMenu::unfloat() {
    if (window_.isNull()) {
        return;
    }
    copy_state(*window_->panel, main_panel_, address_mode_());
    main_window_.resize(kWideWidth, main_window_.height());
}

} // namespace rundel::panels
