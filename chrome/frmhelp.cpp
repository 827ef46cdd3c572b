#include "chrome/frmhelp.h"

#include "widgets/twips.h"

#include <QDir>
#include <QResizeEvent>
#include <QWebEngineView>

namespace rundel::chrome {
namespace {
using widgets::px;
} // namespace

QUrl frmHelp::help_address(const QString& program_folder) {
    return QUrl::fromLocalFile(
        QDir(program_folder).filePath(QStringLiteral("Rundel_HELP/RundelHelp.html")));
}

QSize frmHelp::browser_size(const QSize& outer) {
    return {std::max(0, outer.width() - px(300)), std::max(0, outer.height() - px(600))};
}

frmHelp::frmHelp(const QString& program_folder, QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);
    WB_HELP = new QWebEngineView(this);
    WB_HELP->setObjectName(QStringLiteral("WB_HELP"));
    WB_HELP->move(px(120), px(120));
    resize(720, 600);
    WB_HELP->load(help_address(program_folder));
}

void frmHelp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    WB_HELP->resize(browser_size(frameGeometry().size()));
}

} // namespace rundel::chrome
