#include "update/RunState.h"

namespace update {

RunState& runState()
{
    static RunState state;
    return state;
}

} // namespace update
