#include "session/logging.h"

Q_LOGGING_CATEGORY(lcSession, "rundel.session")
