#include "shell/logging.h"

Q_LOGGING_CATEGORY(lcShell, "rundel.shell")
