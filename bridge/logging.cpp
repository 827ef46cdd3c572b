#include "bridge/logging.h"

Q_LOGGING_CATEGORY(lcBridge, "rundel.bridge")
