#include "chrome/captiongeometry.h"
#include "chrome/clsmenu.h"
#include "chrome/frmabout.h"
#include "chrome/frmhelp.h"
#include "chrome/gradient.h"
#include "chrome/modgradtitlebar.h"
#include "rundel/version.h"
#include "support/controls.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

using rundel::chrome::build_gradient;
using rundel::chrome::CaptionGeometry;
using rundel::chrome::clsMenu;

namespace {

/// The colour a menu is drawn with, away from its items and frame.
QColor background_of(QMenu& menu) {
    menu.adjustSize();
    const QImage drawn = menu.grab().toImage();
    return drawn.pixelColor(drawn.width() - 4, drawn.height() / 2);
}

/// The style may shade a menu's background slightly.
bool near(const QColor& drawn, const QColor& wanted) {
    const bool close = qAbs(drawn.red() - wanted.red()) < 24 &&
                       qAbs(drawn.green() - wanted.green()) < 24 &&
                       qAbs(drawn.blue() - wanted.blue()) < 24;
    if (!close) {
        qWarning() << "drawn" << drawn.name() << "wanted" << wanted.name();
    }
    return close;
}

} // namespace

class ChromeTest : public QObject {
    Q_OBJECT

private slots:
    void gradientRunsOneStepAheadAndHoldsItsComponents() {
        // Equal components stay as they are in every entry.
        for (const QColor& c : build_gradient(QColor(10, 200, 30), QColor(10, 100, 30), 4)) {
            QCOMPARE(c.red(), 10);
            QCOMPARE(c.blue(), 30);
        }
        const auto g = build_gradient(QColor(0, 0, 0), QColor(200, 100, 40), 4);
        QCOMPARE(g.size(), std::size_t{5});
        QCOMPARE(g[0], QColor(50, 25, 10));   // already one step away from the start
        QCOMPARE(g[3], QColor(200, 100, 40)); // entry n - 1 is the end colour
        QCOMPARE(g[4], QColor(250, 125, 50)); // one step beyond
        // Held within 0..255 at every step.
        const auto up = build_gradient(QColor(0, 0, 0), QColor(255, 255, 255), 2);
        QCOMPARE(up[2], QColor(255, 255, 255));
        const auto down = build_gradient(QColor(255, 255, 255), QColor(0, 0, 0), 2);
        QCOMPARE(down[2], QColor(0, 0, 0));
        // Halves round to the even number: steps of 2.5 give 2, 5, 8 (7.5 -> 8), 10.
        const auto halves = build_gradient(QColor(0, 0, 0), QColor(10, 0, 0), 4);
        QCOMPARE(halves[0].red(), 2);
        QCOMPARE(halves[2].red(), 8);
        QCOMPARE(halves[3].red(), 10);
    }

    void captionButtons_data() {
        QTest::addColumn<bool>("maximize_box");
        QTest::addColumn<bool>("minimize_box");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QString>("buttons");
        QTest::newRow("both") << true << true << false << QStringLiteral("close max+ min+");
        QTest::newRow("both, maximised")
            << true << true << true << QStringLiteral("close restore+ min+");
        QTest::newRow("maximise only")
            << true << false << false << QStringLiteral("close max+ min-");
        QTest::newRow("minimise only")
            << false << true << false << QStringLiteral("close max- min+");
        QTest::newRow("neither") << false << false << false << QStringLiteral("close");
    }

    void captionButtons() {
        QFETCH(bool, maximize_box);
        QFETCH(bool, minimize_box);
        QFETCH(bool, maximized);
        CaptionGeometry::Style style;
        style.maximize_box = maximize_box;
        style.minimize_box = minimize_box;
        const auto g = CaptionGeometry::compute(772, 24, 24, 4, style, maximized, true);
        QStringList names;
        for (const auto& b : g.buttons) {
            const char* name = b.button == CaptionGeometry::Button::Close      ? "close"
                               : b.button == CaptionGeometry::Button::Maximize ? "max"
                               : b.button == CaptionGeometry::Button::Restore  ? "restore"
                                                                               : "min";
            names << QString::fromLatin1(name) + (b.button == CaptionGeometry::Button::Close ? ""
                                                  : b.enabled                                ? "+"
                                                                                             : "-");
        }
        QTEST(names.join(QLatin1Char(' ')), "buttons");
        // Close at the right edge, each further button B (then B - 2) to the left.
        QCOMPARE(g.buttons[0].rect, QRect(772 - 4 - 2 - 24 + 2, 6, 22, 19));
        if (g.buttons.size() == 3) {
            QCOMPARE(g.buttons[1].rect.left(), g.buttons[0].rect.left() - 24);
            QCOMPARE(g.buttons[2].rect.left(), g.buttons[1].rect.left() - 22);
        }
    }

    void captionTextAndIcon() {
        const CaptionGeometry::Style style;
        const auto with_icon = CaptionGeometry::compute(772, 24, 24, 4, style, false, true);
        QCOMPARE(with_icon.text.left(), 4 + 24 + 4);
        QCOMPARE(with_icon.icon, QRect(5, 5, 22, 22));
        const auto without = CaptionGeometry::compute(772, 24, 24, 4, style, false, false);
        QCOMPARE(without.text.left(), 4 + 2);
        QVERIFY(without.icon.isEmpty());
        QCOMPARE(without.text.right(), 4 + 772 - 10 - 1);
        CaptionGeometry::Style dialog;
        dialog.dialog_frame = true;
        QCOMPARE(CaptionGeometry::compute(772, 24, 24, 4, dialog, false, false).text.right(),
                 4 + 772 - 8 - 1);

        using rundel::chrome::modGradTitlebar;
        QCOMPARE(modGradTitlebar::caption_text(QStringLiteral("   巡回  ")),
                 QStringLiteral("巡回  "));
        const QString long_title = QString(200, QLatin1Char('x'));
        const QString shown = modGradTitlebar::shown_text(long_title, 120);
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QVERIFY(shown.size() < long_title.size());
        QCOMPARE(modGradTitlebar::shown_text(QStringLiteral("  ab"), 500), QStringLiteral("ab"));

        const QImage caption =
            modGradTitlebar::paint_caption(300, QStringLiteral("t"), QIcon(), true, style, false);
        QCOMPARE(caption.size(), QSize(300, 50));
    }

    void menusByPositionAndByIdentifier() {
        QMainWindow window;
        QMenuBar* bar = window.menuBar();
        QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
        QAction* end = file->addAction(QStringLiteral("終了"));
        end->setData(1001);
        QMenu* tools = bar->addMenu(QStringLiteral("ツール"));
        QMenu* deeper = tools->addMenu(QStringLiteral("下"));
        QAction* first_tool = tools->addAction(QStringLiteral("a"));
        bar->addAction(QStringLiteral("印刷")); // no drop-down at position 3

        clsMenu menus;
        menus.MainMenuHwnd(&window);
        QCOMPARE(menus.MainMenuHwnd(), bar);
        QCOMPARE(clsMenu::SubMenu(bar, 1), file);
        QCOMPARE(clsMenu::SubMenu(bar, 2), tools);
        QCOMPARE(clsMenu::SubMenu(bar, 3), nullptr);
        QCOMPARE(clsMenu::SubMenu(bar, 9), nullptr);
        QCOMPARE(clsMenu::SubMenu(bar, 0), nullptr);
        QCOMPARE(clsMenu::SetBkgColor(clsMenu::SubMenu(bar, 3), Qt::white), 0);

        const QColor deeper_before = background_of(*deeper);
        QCOMPARE(clsMenu::SetBkgColor(tools, QColor(250, 0, 0)), 1);
        QVERIFY(near(background_of(*tools), QColor(250, 0, 0)));
        // Without the flag only the menu given.
        QCOMPARE(background_of(*deeper), deeper_before);
        clsMenu::SetBkgColor(tools, QColor(0, 250, 0), true);
        QVERIFY(near(background_of(*deeper), QColor(0, 250, 0)));
        QCOMPARE(clsMenu::SubMaxHeight(tools, 300), 1);
        QCOMPARE(tools->maximumHeight(), 300);

        QPixmap pixmap(8, 8);
        pixmap.fill(Qt::red);
        QCOMPARE(menus.SetIcon(tools, 2, QIcon(pixmap)),
                 1); // position 2: the action after the sub-menu
        QVERIFY(!first_tool->icon().isNull());
        QCOMPARE(menus.SetIcon(1, 1001, QIcon(pixmap), true), 1); // drop-down 1, command 1001
        QVERIFY(!end->icon().isNull());
        QCOMPARE(menus.SetIcon(1, 9999, QIcon(pixmap), true), 0);
        QCOMPARE(menus.SetCheckIcons(file, 1, pixmap, pixmap), 1);
    }

    void theItemUnderThePointerStaysVisibleOnAWhiteMenu() {
        QMainWindow window;
        QMenu* menu = window.menuBar()->addMenu(QStringLiteral("ユーティリティ"));
        menu->addAction(QStringLiteral("サイドメニュをフロート"));
        QAction* hovered = menu->addAction(QStringLiteral("コントロールをフロート"));
        clsMenu::SetBkgColor(menu, Qt::white, true);
        menu->adjustSize();
        menu->setActiveAction(hovered);
        const QImage drawn = menu->grab().toImage();
        const QRect item = menu->actionGeometry(hovered);
        const QColor highlight = drawn.pixelColor(item.left() + 3, item.center().y());
        QVERIFY2(highlight != QColor(Qt::white), qPrintable(highlight.name()));
        // The caption stands out from the highlight behind it.
        int contrasting = 0;
        for (int x = item.left(); x < item.right(); ++x) {
            for (int y = item.top(); y < item.bottom(); ++y) {
                const QColor c = drawn.pixelColor(x, y);
                contrasting += qAbs(c.lightness() - highlight.lightness()) > 100 ? 1 : 0;
            }
        }
        QVERIFY2(contrasting > 20, qPrintable(QString::number(contrasting)));
    }

    void aboutAndHelp() {
        // The version shown is the one the build was given.
        rundel::chrome::frmAbout about;
        QCOMPARE(rundel::test::control<QLabel>(about, "lblVersion").text(),
                 QStringLiteral("ﾊﾞｰｼﾞｮﾝ " RUNDEL_VERSION));
        QCOMPARE(rundel::chrome::frmAbout::version_line(1, 10, 3),
                 QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.10.3"));

        QCOMPARE(rundel::chrome::frmHelp::help_address(QStringLiteral("/opt/rundel")),
                 QUrl(QStringLiteral("file:///opt/rundel/Rundel_HELP/RundelHelp.html")));
        QCOMPARE(rundel::chrome::frmHelp::browser_size(QSize(720, 600)), QSize(700, 560));
        QCOMPARE(rundel::chrome::frmHelp::browser_size(QSize(10, 30)), QSize(0, 0));
    }
};

QTEST_MAIN(ChromeTest)
#include "chrome_test.moc"
