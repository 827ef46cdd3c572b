#include "chrome/frmabout.h"

#include "chrome/appicon.h"
#include "rundel/version.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace rundel::chrome {
namespace {

constexpr const char* kTitle = "Rundel_Engine";
constexpr int kMajor = RUNDEL_VERSION_MAJOR;
constexpr int kMinor = RUNDEL_VERSION_MINOR;
constexpr int kRevision = RUNDEL_VERSION_PATCH;

QPixmap small_picture() {
    QPixmap pixmap(48, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x4f, 0xd1), 2));
    painter.drawPolyline(QPolygonF({{4, 18}, {16, 6}, {30, 16}, {44, 4}}));
    painter.setBrush(QColor(0xd2, 0x3c, 0x3c));
    painter.setPen(Qt::NoPen);
    for (const QPointF p : {QPointF(4, 18), QPointF(16, 6), QPointF(30, 16), QPointF(44, 4)}) {
        painter.drawEllipse(p, 3, 3);
    }
    return pixmap;
}

} // namespace

QString frmAbout::version_line(int major, int minor, int revision) {
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(420, 200);
    setWindowTitle(QString::fromLatin1(kTitle) + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(app_icon().pixmap(48, 48));
    picIcon->setGeometry(16, 16, 48, 48);
    lblTitle = new QLabel(QString::fromLatin1(kTitle), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont title_font = lblTitle->font();
    title_font.setPointSizeF(title_font.pointSizeF() * 1.5);
    title_font.setBold(true);
    lblTitle->setFont(title_font);
    lblTitle->setGeometry(80, 14, 320, 28);
    lblVersion = new QLabel(version_line(kMajor, kMinor, kRevision), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(80, 44, 320, 20);
    lblDescription = new QLabel(
        QStringLiteral("ランダムな地点を一筆書きで、最短に巡回する経路を計算し表示します。"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    lblDescription->setGeometry(80, 72, 320, 44);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(small_picture());
    Image1->setGeometry(16, 84, 48, 24);

    // The etched line: a grey line with a white one right under it.
    auto* dark = new QFrame(this);
    dark->setGeometry(16, 132, 388, 1);
    dark->setStyleSheet(QStringLiteral("background-color: #808080;"));
    auto* light = new QFrame(this);
    light->setGeometry(16, 133, 388, 1);
    light->setStyleSheet(QStringLiteral("background-color: #ffffff;"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(318, 152, 86, 30);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
}

} // namespace rundel::chrome
