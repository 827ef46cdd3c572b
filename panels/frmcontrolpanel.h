#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QGroupBox;
class QPushButton;
class QSlider;

namespace rundel::bridge {
class PageInterface;
}

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
    explicit frmControlpanel(bridge::PageInterface& page, QWidget* parent = nullptr);

    /// Greys the map-type buttons and blackens the one of @p word.
    void show_maptype(const QString& word);
    /// Reads the zoom level and map type from the page into the slider and the buttons.
    void synchronise();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void slider_moved_by_mouse();

    bridge::PageInterface& page_;
    bool sync_scheduled_ = false;
    bool syncing_ = false;
    QElapsedTimer since_sync_;

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
