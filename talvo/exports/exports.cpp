// Everything the host calls: the process entry routine, the load and unload
// hooks and the three command exports. Each export is a thin wrapper that
// runs the C++ behind it inside the answer guard, so no exception ever
// reaches the host.

#include "talvo/frame/answer.h"
#include "talvo/frame/host.h"
#include "talvo/magic/magic.h"
#include "talvo/rules/rule_filter.h"
#include "talvo/rules/rule_store.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

bool g_loaded = false;

constexpr int32_t kUnloadWhenIdle = 1;

}  // namespace

extern "C" {

#if defined(_WIN32)
// The library sets up and tears down nothing here; the host's hooks do all of
// it.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

TALVO_EXPORT void TALVO_HOST_CALL LoadDll(TalvoLoadInfo*) {
    if (g_loaded) {
        return;
    }
    g_loaded = true;
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

TALVO_EXPORT int32_t TALVO_HOST_CALL LoadRules(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                               TalvoBool) {
    return talvo::GuardedCommand(data, [] {
        talvo::LoadAllRuleFiles();
        const talvo::RuleStore& store = talvo::TheRuleStore();
        return store.incomplete ? talvo::kInternalFailureAnswer : store.entryCount;
    });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL RuleFilter(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                                TalvoBool) {
    return talvo::GuardedCommand(data, [data] { return data == nullptr ? 0 : talvo::FilterText(data); });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL Magic(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                           TalvoBool) {
    return talvo::GuardedCommand(data, [data] { return talvo::MagicLevel(data); });
}

}  // extern "C"
