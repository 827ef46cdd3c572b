#pragma once

#include <QObject>

class QSocketNotifier;

namespace rundel::shell {

/// Turns SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) into a Qt signal,
/// so that the program ends as from its menu: the session cleared, the map server stopped.
/// A signal handler may do almost nothing, so it only writes to a socket the event loop
/// watches.
class QuitSignals : public QObject {
    Q_OBJECT

public:
    /// Installs the handlers; one object a process.
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    /// One of the signals arrived; @p number says which.
    void requested(int number);

private:
    void read_signal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace rundel::shell
