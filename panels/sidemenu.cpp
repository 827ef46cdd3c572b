#include "panels/sidemenu.h"

#include "panels/commandpanel.h"
#include "panels/frmsidemenu.h"
#include "widgets/twips.h"

namespace rundel::panels {
namespace {

constexpr int kNarrowWidth = widgets::px(8325);
constexpr int kWideWidth = widgets::px(11580);

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
        window_->panel().set_multi(address_mode_() == editing::AddressMode::Multi);
        connect(window_, &frmSidemenu::closing, this, &SideMenu::unfloat);
        wire_(window_->panel());
    }
    return *window_;
}

CommandPanel* SideMenu::panel() const {
    return window_.isNull() ? nullptr : &window_->panel();
}

void SideMenu::float_panel() {
    frmSidemenu& side = window();
    side.panel().restore(main_panel_.state(), address_mode_());
    side.move(main_window_.x() + kNarrowWidth, main_window_.y());
    side.show();
    main_window_.resize(kNarrowWidth, main_window_.height());
}

void SideMenu::unfloat() {
    if (window_.isNull()) {
        return;
    }
    main_panel_.restore(window_->panel().state(), address_mode_());
    main_window_.resize(kWideWidth, main_window_.height());
}

} // namespace rundel::panels
