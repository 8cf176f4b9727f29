#pragma once

// Read access to the unit's start counter for the library's own tests; not
// part of the exported interface.

#include <cstdint>

namespace Tools::detail {

// The counter that initialization lowers and Finalization raises; 0 at load.
std::int32_t StartCounter();

}  // namespace Tools::detail
