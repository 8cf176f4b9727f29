// The host's load and unload hooks.

#include "answer.h"
#include "host.h"
#include "talvo/rules/rule_store.h"

namespace {

// Remembered by the first LoadDll only to tell that it has run; never read
// through.
const TalvoLoadInfo* g_loadMark = nullptr;
bool g_loaded = false;

constexpr int32_t kUnloadWhenIdle = 1;

}  // namespace

extern "C" {

TALVO_EXPORT void TALVO_HOST_CALL LoadDll(TalvoLoadInfo* info) {
    if (g_loaded) {
        return;
    }
    // A host may pass no record; the mark must still tell that we ran.
    g_loaded = true;
    g_loadMark = info;
    // LoadAllRuleFiles empties the slots by freeing what they hold, so rules a
    // host had LoadRules read before this hook are not lost track of. The
    // store keeps whatever was read before memory ran out.
    talvo::GuardedHook([] { talvo::LoadAllRuleFiles(); });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL UnloadDll(int32_t reason) {
    if (reason == kUnloadWhenIdle) {
        return 0;
    }
    talvo::FreeRuleStore();
    return 1;
}

}  // extern "C"
