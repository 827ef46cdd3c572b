#pragma once

#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QTimer;
class QWebEngineView;

namespace rundel::widgets {
class isButton;
}

namespace rundel::shell {

using widgets::isButton;

/// The main window: the map browser WB, the command panel beside it, the menus, and the hidden
/// engine panel frame_tsp. It lays the controls out; the program's logic is wired in by
/// RundelApp.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    /// Places the command panel (frame_sidemenu) beside the map.
    void set_command_panel(QWidget* panel);

    QWebEngineView* WB;
    QWidget* frame_sidemenu = nullptr;

    QAction* mnuEnd;
    QAction* mnuMode;
    QAction* mnuTariki;
    QAction* mnuJiriki;
    QAction* mnuFloatSidemenu;
    QAction* mnuFloatControlpanel;
    QAction* mnuImprove;
    QAction* menuSingle;
    QAction* menuMulti;
    QAction* mnuPrint;
    QAction* mnuHelp;
    QAction* mnuAbout;
    QAction* mnuTest;

    QFrame* frame_tsp;
    isButton* Command1;
    isButton* Command2;
    isButton* Command3;
    isButton* Command4;
    QLineEdit* txtFile;
    QLineEdit* txtResult;
    QLabel* Label1;

signals:
    /// Any close request: the program ends.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* central_;
};

} // namespace rundel::shell
