#include "editing/logging.h"

Q_LOGGING_CATEGORY(lcEditing, "rundel.editing")
