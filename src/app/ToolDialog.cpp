#include "app/ToolDialog.h"

namespace kvt {}  // namespace kvt
