#pragma once

#include <QColor>
#include <QIcon>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace rundel::chrome {

/// Styles a window's menus: background colours, the maximum height of drop-downs, and item
/// pictures. Positions are 1-based. With ByID, a menu is named by its 1-based position in the
/// stored menu bar and an item by its command identifier (the action's data).
class clsMenu {
public:
    /// A menu, or (ByID) the position of a drop-down in the stored menu bar.
    struct MenuRef {
        MenuRef(QWidget* m) : menu(m) {} // NOLINT(google-explicit-constructor)
        MenuRef(int p) : position(p) {}  // NOLINT(google-explicit-constructor)
        QWidget* menu = nullptr;
        int position = 0;
    };

    /// Stores the menu bar of @p window.
    void MainMenuHwnd(QWidget* window);
    [[nodiscard]] QMenuBar* MainMenuHwnd() const { return bar_; }

    /// The drop-down at 1-based position @p nPos of @p Parent (a menu bar or menu); null when
    /// that position holds no drop-down.
    [[nodiscard]] static QMenu* SubMenu(QWidget* Parent, int nPos);

    /// Gives the menu a background colour, and with @p ApplyToSubMenus every menu below it.
    /// 0 when there is no menu.
    static int SetBkgColor(QWidget* SubMenu, const QColor& Color, bool ApplyToSubMenus = false);
    static int SubMaxHeight(QMenu* SubMenu, int Height);
    int SetIcon(MenuRef SubMenu, int ItemIndex, const QIcon& hIcon, bool ByID = false);
    int SetCheckIcons(MenuRef SubMenu, int ItemIndex, const QPixmap& hCheckIcon,
                      const QPixmap& hUncheckIcon, bool ByID = false);

private:
    [[nodiscard]] QAction* item(MenuRef menu, int index, bool by_id) const;

    QMenuBar* bar_ = nullptr;
};

/// The start-up menu colours: the bar and its drop-downs white.
void apply_menu_colours(QWidget& window, clsMenu& menus, const QColor& menu_colour);

} // namespace rundel::chrome
