#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QGroupBox;
class QPushButton;
class QSlider;

namespace rundel::bridge {
class MapPage;
struct MapView;
} // namespace rundel::bridge

namespace rundel::widgets {
class isButton;
}

namespace rundel::panels {

using widgets::isButton;

/// The map control panel: pans, zooms and switches the map type of the page in the main
/// window, and follows the page's zoom level and map type whenever it is painted.
class frmControlpanel : public QWidget {
    Q_OBJECT

public:
    explicit frmControlpanel(bridge::MapPage& page, QWidget* parent = nullptr);

    /// Greys the map-type buttons and blackens the one of @p word.
    void show_maptype(const QString& word);
    /// Asks the page for its zoom level and map type, for the slider and the buttons.
    void synchronise();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void slider_moved_by_mouse();
    /// The page's answer to synchronise().
    void follow(const bridge::MapView& view, int asked_at);
    /// The user zoomed: an answer asked for before this no longer tells the level.
    void user_zoomed() { ++zoom_actions_; }

    bridge::MapPage& page_;
    bool sync_scheduled_ = false;
    bool syncing_ = false;
    int zoom_actions_ = 0;
    QElapsedTimer since_sync_;
    QElapsedTimer asked_;

    QGroupBox* frame_maptype;
    isButton* cmdNormalmap;
    isButton* cmdSatellitemap;
    isButton* cmdNormalsatemap;
    isButton* cmdChikeimap;
    QGroupBox* frame_control;
    isButton* cmdLU;
    isButton* cmdUPPER;
    isButton* cmdRU;
    isButton* cmdLeft;
    isButton* cmdCenter;
    isButton* cmdRight;
    isButton* cmdLD;
    isButton* cmdDown;
    isButton* cmdRD;
    QPushButton* cmdZoomout;
    QSlider* Slider1;
    QPushButton* cmdZoomin;
    QGroupBox* frame_other;
    isButton* cmdSetHomePos;
    isButton* cmdGoogleearth;
};

} // namespace rundel::panels
