#include "chrome/clsmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace rundel::chrome {
namespace {

QList<QAction*> actions_of(QWidget* menu) {
    return menu == nullptr ? QList<QAction*>() : menu->actions();
}

} // namespace

void clsMenu::MainMenuHwnd(QWidget* window) {
    // Found, never made: QMainWindow::menuBar() would replace a caption bar's menu area.
    bar_ = window != nullptr ? window->findChild<QMenuBar*>() : nullptr;
}

QMenu* clsMenu::SubMenu(QWidget* Parent, int nPos) {
    const QList<QAction*> actions = actions_of(Parent);
    if (nPos < 1 || nPos > actions.size()) {
        return nullptr;
    }
    return actions.at(nPos - 1)->menu();
}

int clsMenu::SetBkgColor(QWidget* SubMenu, const QColor& Color, bool ApplyToSubMenus) {
    if (SubMenu == nullptr) {
        return 0;
    }
    // Only the background roles: the highlight of the item under the pointer keeps the
    // style's colours (a style sheet would paint it with the background too), and a palette
    // does not reach the drop-downs, which are windows of their own, unless asked below.
    QPalette palette = SubMenu->palette();
    palette.setColor(QPalette::Window, Color);
    palette.setColor(QPalette::Base, Color);
    palette.setColor(QPalette::Button, Color);
    SubMenu->setPalette(palette);
    SubMenu->setAutoFillBackground(true);
    if (ApplyToSubMenus) {
        for (QAction* action : SubMenu->actions()) {
            if (action->menu() != nullptr) {
                SetBkgColor(action->menu(), Color, true);
            }
        }
    }
    return 1;
}

int clsMenu::SubMaxHeight(QMenu* SubMenu, int Height) {
    if (SubMenu == nullptr) {
        return 0;
    }
    SubMenu->setMaximumHeight(Height);
    return 1;
}

QAction* clsMenu::item(MenuRef menu, int index, bool by_id) const {
    if (!by_id) {
        const QList<QAction*> actions = actions_of(menu.menu);
        return index >= 1 && index <= actions.size() ? actions.at(index - 1) : nullptr;
    }
    QMenu* drop_down = SubMenu(bar_, menu.position);
    for (QAction* action : actions_of(drop_down)) {
        if (action->data().toInt() == index && action->data().isValid()) {
            return action;
        }
    }
    return nullptr;
}

int clsMenu::SetIcon(MenuRef SubMenu, int ItemIndex, const QIcon& hIcon, bool ByID) {
    QAction* action = item(SubMenu, ItemIndex, ByID);
    if (action == nullptr) {
        return 0;
    }
    action->setIcon(hIcon);
    action->setIconVisibleInMenu(true);
    return 1;
}

int clsMenu::SetCheckIcons(MenuRef SubMenu, int ItemIndex, const QPixmap& hCheckIcon,
                           const QPixmap& hUncheckIcon, bool ByID) {
    QAction* action = item(SubMenu, ItemIndex, ByID);
    if (action == nullptr) {
        return 0;
    }
    QIcon icon;
    icon.addPixmap(hCheckIcon, QIcon::Normal, QIcon::On);
    icon.addPixmap(hUncheckIcon, QIcon::Normal, QIcon::Off);
    action->setIcon(icon);
    action->setIconVisibleInMenu(true);
    return 1;
}

void apply_menu_colours(QWidget& window, clsMenu& menus, const QColor& menu_colour) {
    menus.MainMenuHwnd(&window);
    QMenuBar* bar = menus.MainMenuHwnd();
    clsMenu::SetBkgColor(bar, menu_colour, false);
    clsMenu::SetBkgColor(clsMenu::SubMenu(bar, 1), menu_colour, false);
    for (int k = 2; k <= 5; ++k) {
        clsMenu::SetBkgColor(clsMenu::SubMenu(menus.MainMenuHwnd(), k), QColor(255, 255, 255),
                             true);
    }
}

} // namespace rundel::chrome
