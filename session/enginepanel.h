#pragma once

#include "session/batchlistener.h"

#include <QObject>
#include <QString>

namespace rundel::widgets {
class Dialogs;
}

namespace rundel::session {

/// The texts of the hidden engine panel: the node file last solved (txtFile) and the route
/// text last published (txtResult). Batch messages go to the dialogs.
class EnginePanel : public QObject, public BatchListener {
    Q_OBJECT

public:
    explicit EnginePanel(widgets::Dialogs& dialogs, QObject* parent = nullptr);

    [[nodiscard]] const QString& file() const { return file_; }
    [[nodiscard]] const QString& result() const { return result_; }
    void set_file(const QString& text);
    void set_result(const QString& text);

    void message(std::string_view request, std::string_view text) override;
    void show_node_file(std::string_view name) override;
    void show_result(std::string_view text) override;

signals:
    void fileChanged(const QString& text);
    void resultChanged(const QString& text);

private:
    widgets::Dialogs& dialogs_;
    QString file_ = QStringLiteral("pr76.tsp");
    QString result_;
};

} // namespace rundel::session
