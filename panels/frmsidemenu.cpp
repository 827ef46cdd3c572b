#include "panels/frmsidemenu.h"

#include "panels/commandpanel.h"

#include <QCloseEvent>

namespace rundel::panels {

frmSidemenu::frmSidemenu(session::SessionLists& lists, editing::NodeListEditor& editor,
                         QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmSidemenu"));
    setWindowTitle(QStringLiteral("サイドメニュ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(3120 / 15, 8490 / 15);
    panel = new CommandPanel(lists, editor, 0, this);
    panel->setGeometry(0, 0, width(), height());
}

void frmSidemenu::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

} // namespace rundel::panels
