#include "export/logging.h"

Q_LOGGING_CATEGORY(lcExport, "rundel.export")
