#include "panels/frmsidemenu.h"

#include "panels/commandpanel.h"
#include "widgets/twips.h"

#include <QCloseEvent>

namespace rundel::panels {

frmSidemenu::frmSidemenu(session::SessionLists& lists, editing::NodeListEditor& editor,
                         QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSidemenu"));
    setWindowTitle(QStringLiteral("サイドメニュ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(widgets::px(3120), widgets::px(8490));
    panel_ = new CommandPanel(lists, editor, 0, this);
    panel_->setGeometry(0, 0, width(), height());
}

void frmSidemenu::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

} // namespace rundel::panels
