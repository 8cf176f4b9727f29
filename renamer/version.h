#pragma once

namespace nomvary {

// The program's version, as the about box and `--version` both give it.
const char* NomvaryVersion();

}  // namespace nomvary
