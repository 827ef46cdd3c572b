#pragma once

#include <QByteArray>
#include <QString>

namespace rundel::shell {

/// The settings file "ini_tsproblem.txt": lines of key ":" value, ending at CR LF, LF or CR.
/// "domain" names the map server's host (the last such line wins); "port", optional, its port.
class SettingsFile {
public:
    /// Parses the file's bytes (UTF-8).
    [[nodiscard]] static SettingsFile parse(const QByteArray& bytes);

    [[nodiscard]] const QString& domain() const { return domain_; }
    /// 0 when the file names no valid port.
    [[nodiscard]] int port() const { return port_; }
    /// The host with ":port" when a port is set.
    [[nodiscard]] QString authority() const;

private:
    QString domain_;
    int port_ = 0;
};

} // namespace rundel::shell
