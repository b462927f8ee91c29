#include "engine/ActionFamilies.h"

namespace kvt {

std::unique_ptr<ActionFamily> makeParameterActions() {
    return std::make_unique<EmptyFamily>();
}

}  // namespace kvt
