#include "world_model.h"

namespace wm {

#define VEXA_WM_DEFINE(type, name, start, meaning) type name start;
VEXA_WORLD_MODEL(VEXA_WM_DEFINE)
#undef VEXA_WM_DEFINE

void reset() {
#define VEXA_WM_RESET(type, name, start, meaning) name = type start;
  VEXA_WORLD_MODEL(VEXA_WM_RESET)
#undef VEXA_WM_RESET
}

}  // namespace wm
