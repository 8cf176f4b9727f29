#include "version.h"

namespace nomvary {

const char* NomvaryVersion() { return NOMVARY_VERSION; }

}  // namespace nomvary
