#include "bridge/pageinterface.h"

#include "bridge/logging.h"
#include "rundel/pagecontract.h"

namespace rundel::bridge {
namespace {

/// An id outside the page contract is a programming fault: the page has no such element.
bool known(const QString& id) {
    if (contract::is_element(id.toStdString())) {
        return true;
    }
    qCCritical(lcBridge) << "no element in the page contract:" << id;
    Q_ASSERT_X(false, "PageInterface", "element outside the page contract");
    return false;
}

} // namespace

void PageInterface::write(const QString& id, const QVariant& value) {
    if (known(id)) {
        do_write(id, value);
    }
}

void PageInterface::read(const QStringList& ids, Answer answer) {
    if (std::all_of(ids.begin(), ids.end(), known)) {
        do_read(ids, std::move(answer));
    }
}

void PageInterface::click(const QString& id) {
    if (known(id)) {
        do_click(id);
    }
}

void PageInterface::reset_title() {
    do_reset_title();
}

} // namespace rundel::bridge
