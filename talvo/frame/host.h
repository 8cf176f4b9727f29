#pragma once

// The host's DLL calling convention: the load record, the load and unload
// hooks and the six-argument form of every command export. Only C types cross
// this boundary.
//
// Every export may be called from any thread, several at once (the host's
// threaded call form): a reload is seen whole or not at all, and a search
// answers from the rules published when it started.

#include <stdint.h>

#include "talvo/tools/export.h"

#if defined(_WIN32)
#define TALVO_HOST_CALL __stdcall
#else
#define TALVO_HOST_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void* TalvoWindow;  // the host's window handle (HWND); never used
typedef int32_t TalvoBool;  // a 32-bit boolean (BOOL)

// The host's load record, handed to LoadDll. The library reads and changes no
// field of it. mUnicode, mBeta and mBytes exist in later host versions only.
typedef struct TalvoLoadInfo {
    uint32_t mVersion;   // host version: low word major, high word minor
    TalvoWindow mHwnd;   // host main window
    TalvoBool mKeep;     // keep the library loaded after the call (default true)
    TalvoBool mUnicode;  // the data buffer holds UTF-8 text
    uint32_t mBeta;      // beta number, 0 for a release
    uint32_t mBytes;     // size of the data and parameter buffers
} TalvoLoadInfo;

// The answer code of every command export: the data buffer now holds a
// command for the host to perform.
#define TALVO_ANSWER_COMMAND 2

// The size of the data buffer a host of the classic convention passes.
#define TALVO_CLASSIC_BUFFER_SIZE 900

// Called once after the host loaded the library. Reads the rule files on the
// first call; later calls, also ones overlapping the first, return at once.
// `info` may be null; it is never read.
TALVO_EXPORT void TALVO_HOST_CALL LoadDll(TalvoLoadInfo* info);

// Called before the host unloads the library. Reason 1 (idle) answers 0 and
// keeps the rules; any other reason empties the rules and answers 1 (a search
// running meanwhile finishes on the rules it started with).
TALVO_EXPORT int32_t TALVO_HOST_CALL UnloadDll(int32_t reason);

// Command exports. `data` is the host's NUL-terminated, writable data buffer:
// read as the call's text, then overwritten with "var %match = N" and a NUL
// (at most 25 bytes); bytes after that NUL are left as they were. The other
// arguments are ignored. Each returns 2 and never lets an error out.
TALVO_EXPORT int32_t TALVO_HOST_CALL LoadRules(TalvoWindow mWnd, TalvoWindow aWnd, char* data,
                                               char* parms, TalvoBool show, TalvoBool nopause);
TALVO_EXPORT int32_t TALVO_HOST_CALL RuleFilter(TalvoWindow mWnd, TalvoWindow aWnd, char* data,
                                                char* parms, TalvoBool show, TalvoBool nopause);
TALVO_EXPORT int32_t TALVO_HOST_CALL Magic(TalvoWindow mWnd, TalvoWindow aWnd, char* data,
                                           char* parms, TalvoBool show, TalvoBool nopause);

#ifdef __cplusplus
}
#endif
