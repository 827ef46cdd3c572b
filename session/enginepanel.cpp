#include "session/enginepanel.h"

#include "widgets/dialogs.h"

namespace rundel::session {
namespace {
QString from(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

EnginePanel::EnginePanel(widgets::Dialogs& dialogs, QObject* parent)
    : QObject(parent), dialogs_(dialogs) {}

void EnginePanel::set_file(const QString& text) {
    file_ = text;
    emit fileChanged(text);
}

void EnginePanel::set_result(const QString& text) {
    result_ = text;
    emit resultChanged(text);
}

void EnginePanel::message(std::string_view /*request*/, std::string_view text) {
    dialogs_.message(from(text));
}

void EnginePanel::show_node_file(std::string_view name) {
    set_file(from(name));
}

void EnginePanel::show_result(std::string_view text) {
    set_result(from(text));
}

} // namespace rundel::session
