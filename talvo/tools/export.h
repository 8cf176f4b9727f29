#pragma once

// The one export macro of the library. Everything else is hidden (the build
// compiles with hidden visibility); a symbol marked TALVO_EXPORT is visible
// from the shared library. The library's own objects are compiled with
// talvo_EXPORTS; anyone else including these headers sees imports.

#if defined(_WIN32)
#if defined(talvo_EXPORTS)
#define TALVO_EXPORT __declspec(dllexport)
#else
#define TALVO_EXPORT __declspec(dllimport)
#endif
#else
#define TALVO_EXPORT __attribute__((visibility("default")))
#endif
