#include "bridge/pagewait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace rundel::bridge {
namespace {
/// Counts the abandonments; a wait ends when the count moves on from where it began.
unsigned g_abandonments = 0;
constexpr int kTickMs = 50;
} // namespace

bool PageWait::until(const std::function<bool()>& condition) {
    QTimer tick;
    tick.setInterval(kTickMs);
    tick.start();
    const unsigned began = g_abandonments;
    while (g_abandonments == began) {
        if (condition()) {
            return true;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
    return false;
}

void PageWait::abandon_all() {
    ++g_abandonments;
}

} // namespace rundel::bridge
