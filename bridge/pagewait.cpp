#include "bridge/pagewait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace rundel::bridge {
namespace {
bool g_abandoned = false;
constexpr int kTickMs = 50;
} // namespace

bool PageWait::until(const std::function<bool()>& condition) {
    QTimer tick;
    tick.setInterval(kTickMs);
    tick.start();
    while (!g_abandoned) {
        if (condition()) {
            return true;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    }
    return false;
}

void PageWait::abandon_all() {
    g_abandoned = true;
}

bool PageWait::abandoned() {
    return g_abandoned;
}

} // namespace rundel::bridge
