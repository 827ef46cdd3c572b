#include "session/dialogfailuresink.h"

#include "widgets/dialogs.h"

namespace rundel::session {

void DialogFailureSink::engine_failure(std::string_view message) {
    dialogs_.message(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
}

} // namespace rundel::session
