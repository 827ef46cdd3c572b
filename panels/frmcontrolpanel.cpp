#include "panels/frmcontrolpanel.h"

#include "bridge/mappage.h"
#include "panels/arrowicons.h"
#include "widgets/isbutton.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace rundel::panels {
namespace {

using widgets::make;
using widgets::px;
using widgets::twips;

const QColor kGrey(0x80, 0x80, 0x80);
const QColor kBlack(0, 0, 0);

} // namespace

frmControlpanel::frmControlpanel(bridge::MapPage& page, QWidget* parent)
    : QWidget(parent, Qt::Window), page_(page) {
    setObjectName(QStringLiteral("frmControlpanel"));
    setWindowTitle(QStringLiteral("マップコントロールパネル"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(7815), px(3015));

    frame_maptype = make<QGroupBox>(this, "frame_maptype", twips(120, 60, 2175, 2775),
                                    QStringLiteral("地図の種類"));
    cmdNormalmap = make<isButton>(frame_maptype, "cmdNormalmap", twips(240, 240, 1695, 495),
                                  QStringLiteral("地図"));
    cmdSatellitemap = make<isButton>(frame_maptype, "cmdSatellitemap", twips(240, 840, 1695, 495),
                                     QStringLiteral("航空写真"));
    cmdNormalsatemap = make<isButton>(frame_maptype, "cmdNormalsatemap",
                                      twips(240, 1440, 1695, 495), QStringLiteral("地図 + 写真"));
    cmdChikeimap = make<isButton>(frame_maptype, "cmdChikeimap", twips(240, 2040, 1695, 495),
                                  QStringLiteral("地形地図"));

    frame_control = make<QGroupBox>(this, "frame_control", twips(2400, 60, 3015, 2775),
                                    QStringLiteral("移動・拡大縮小"));
    struct Direction {
        isButton** button;
        const char* name;
        int column;
        int row;
        bridge::PanDirection direction;
        const char* tip;
    };
    const Direction directions[] = {
        {&cmdLU, "cmdLU", 0, 0, bridge::PanDirection::LeftUp, "左上へ"},
        {&cmdUPPER, "cmdUPPER", 1, 0, bridge::PanDirection::Up, "上へ"},
        {&cmdRU, "cmdRU", 2, 0, bridge::PanDirection::RightUp, "右上へ"},
        {&cmdLeft, "cmdLeft", 0, 1, bridge::PanDirection::Left, "左へ"},
        {&cmdCenter, "cmdCenter", 1, 1, bridge::PanDirection::Centre, "中央へ"},
        {&cmdRight, "cmdRight", 2, 1, bridge::PanDirection::Right, "右へ"},
        {&cmdLD, "cmdLD", 0, 2, bridge::PanDirection::LeftDown, "左下へ"},
        {&cmdDown, "cmdDown", 1, 2, bridge::PanDirection::Down, "下へ"},
        {&cmdRD, "cmdRD", 2, 2, bridge::PanDirection::RightDown, "右下へ"},
    };
    for (const Direction& d : directions) {
        auto* button = make<isButton>(frame_control, d.name,
                                      twips(600 + 720 * d.column, 240 + 600 * d.row, 495, 495),
                                      QStringLiteral("Command"));
        button->setIcon(arrow_icon(d.column - 1, d.row - 1));
        button->setToolTip(QString::fromUtf8(d.tip));
        // Without a caption, screen readers would fall back to the group's title.
        button->setAccessibleName(QString::fromUtf8(d.tip));
        connect(button, &QAbstractButton::clicked, this,
                [this, direction = d.direction] { page_.pan(direction); });
        *d.button = button;
    }
    cmdZoomout = make<QPushButton>(frame_control, "cmdZoomout", twips(120, 2160, 375, 375),
                                   QStringLiteral("-"));
    Slider1 = make<QSlider>(frame_control, "Slider1", twips(480, 2160, 2055, 375), Qt::Horizontal);
    Slider1->setMinimum(0);
    Slider1->setMaximum(10);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setTickInterval(1);
    Slider1->setTickPosition(QSlider::TicksBelow);
    cmdZoomin = make<QPushButton>(frame_control, "cmdZoomin", twips(2520, 2160, 375, 375),
                                  QStringLiteral("+"));

    frame_other =
        make<QGroupBox>(this, "frame_other", twips(5520, 60, 2175, 2775), QStringLiteral("その他"));
    cmdSetHomePos = make<isButton>(frame_other, "cmdSetHomePos", twips(120, 240, 1935, 495),
                                   QStringLiteral("  ホームポジション"));
    cmdGoogleearth = make<isButton>(frame_other, "cmdGoogleearth", twips(120, 2040, 1935, 495),
                                    QStringLiteral("Google Earth(β)"));

    // Loading: twenty zoom levels, and the direction buttons show their pictures alone.
    Slider1->setMaximum(19);
    for (isButton* b :
         {cmdLU, cmdUPPER, cmdRU, cmdLeft, cmdCenter, cmdRight, cmdLD, cmdDown, cmdRD}) {
        b->setCaption(QString());
    }
    for (isButton* b :
         {cmdLU, cmdUPPER, cmdRU, cmdLeft, cmdCenter, cmdRight, cmdLD, cmdDown, cmdRD}) {
        b->setIconAlign(0);
    }

    const auto map_type = [this](isButton* button, bridge::MapType type) {
        connect(button, &QAbstractButton::clicked, this, [this, type] {
            page_.set_map_type(type);
            show_maptype(bridge::MapPage::word_of(type));
        });
    };
    map_type(cmdNormalmap, bridge::MapType::Normal);
    map_type(cmdSatellitemap, bridge::MapType::Satellite);
    map_type(cmdNormalsatemap, bridge::MapType::NormalSatellite);
    map_type(cmdChikeimap, bridge::MapType::Terrain);
    connect(cmdGoogleearth, &QAbstractButton::clicked, this,
            [this] { page_.set_map_type(bridge::MapType::Earth); });
    connect(cmdSetHomePos, &QAbstractButton::clicked, this, [this] {
        user_zoomed();
        page_.go_home();
    });
    connect(cmdZoomin, &QPushButton::clicked, this, [this] {
        user_zoomed();
        page_.zoom_in();
        if (Slider1->value() != 19) {
            Slider1->setValue(Slider1->value() + 1);
        }
    });
    connect(cmdZoomout, &QPushButton::clicked, this, [this] {
        user_zoomed();
        page_.zoom_out();
        if (Slider1->value() != 0) {
            Slider1->setValue(Slider1->value() - 1);
        }
    });
    Slider1->installEventFilter(this);
}

bool frmControlpanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Slider1 && event->type() == QEvent::MouseButtonPress) {
        user_zoomed();
    }
    if (watched == Slider1 && event->type() == QEvent::MouseButtonRelease) {
        user_zoomed();
        // After the slider has taken its new position from the same release.
        QTimer::singleShot(0, this, &frmControlpanel::slider_moved_by_mouse);
    }
    return QWidget::eventFilter(watched, event);
}

void frmControlpanel::slider_moved_by_mouse() {
    const int level = Slider1->value();
    Slider1->setToolTip(QString::number(level));
    user_zoomed();
    page_.set_zoom(level);
}

void frmControlpanel::show_maptype(const QString& word) {
    isButton* const buttons[] = {cmdNormalmap, cmdSatellitemap, cmdNormalsatemap, cmdChikeimap};
    for (isButton* button : buttons) {
        button->setFontColor(kGrey);
        button->setFontHighlightColor(kGrey);
    }
    const QString words[] = {QStringLiteral("normal"), QStringLiteral("satellite"),
                             QStringLiteral("normalsate"), QStringLiteral("chikei")};
    for (int i = 0; i < 4; ++i) {
        if (word == words[i]) {
            buttons[i]->setFontColor(kBlack);
            buttons[i]->setFontHighlightColor(kBlack);
            break;
        }
    }
}

void frmControlpanel::synchronise() {
    // One question at a time; one that a reloading page never answered is given up.
    if (syncing_ && asked_.elapsed() < 2000) {
        return;
    }
    syncing_ = true;
    asked_.start();
    page_.read_view(this, [this, asked_at = zoom_actions_](const bridge::MapView& view) {
        follow(view, asked_at);
    });
}

void frmControlpanel::follow(const bridge::MapView& view, int asked_at) {
    syncing_ = false;
    since_sync_.start();
    // Not while the user drags the handle, nor after they zoomed since the question: the
    // answer tells an old level, and taking it would throw the handle back.
    if (view.zoom >= 0 && view.zoom <= 19 && !Slider1->isSliderDown() &&
        asked_at == zoom_actions_) {
        Slider1->setValue(view.zoom); // anything else is no zoom level: the slider stays
    }
    Slider1->setToolTip(view.zoom_text);
    show_maptype(view.map_type);
}

void frmControlpanel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The synchronisation repaints the panel; the paints it causes do not synchronise again.
    const bool settled = !since_sync_.isValid() || since_sync_.elapsed() > 300;
    if (!sync_scheduled_ && !syncing_ && settled) {
        sync_scheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            sync_scheduled_ = false;
            if (isVisible()) {
                synchronise();
            }
        });
    }
}

void frmControlpanel::closeEvent(QCloseEvent* event) {
    page_.set_controls_visible(true);
    event->accept();
}

} // namespace rundel::panels
