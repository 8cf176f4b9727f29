// Everything the host calls: the process entry routine, the load and unload
// hooks and the three command exports. Each export is a thin wrapper that
// runs the C++ behind it inside the answer guard, so no exception ever
// reaches the host. A host that passes UTF-8 gets its text read as the same
// characters in code page 1251 would be (CallText); the Tools exports stay
// byte functions.

#include "talvo/frame/answer.h"
#include "talvo/frame/encoding.h"
#include "talvo/frame/host.h"
#include "talvo/magic/magic.h"
#include "talvo/rules/rule_filter.h"
#include "talvo/rules/rule_store.h"

#include <atomic>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

// The load mark. Set before the rules are read, as one step with the test,
// so of LoadDll calls that overlap exactly one reads the files; the others
// return at once, as every later call does, without waiting for it.
std::atomic<bool> g_loaded = false;

constexpr int32_t kUnloadWhenIdle = 1;

}  // namespace

extern "C" {

#if defined(_WIN32)
// The library sets up and tears down nothing here; the host's hooks do all of
// it.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

TALVO_EXPORT void TALVO_HOST_CALL LoadDll(TalvoLoadInfo*) {
    if (g_loaded.exchange(true)) {
        return;
    }
    // The pass publishes a store of its own, so rules a host had LoadRules
    // read before this hook are replaced, not lost track of. When memory runs
    // out, whatever was read until then is published.
    talvo::GuardedHook([] { talvo::LoadAllRuleFiles(); });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL UnloadDll(int32_t reason) {
    if (reason == kUnloadWhenIdle) {
        return 0;
    }
    // A search still running on another thread finishes on the store it
    // took; that store is freed when the search lets it go.
    talvo::FreeRuleStore();
    return 1;
}

TALVO_EXPORT int32_t TALVO_HOST_CALL LoadRules(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                               TalvoBool) {
    return talvo::GuardedCommand(data, [] { return talvo::LoadRulesAnswer(); });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL RuleFilter(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                                TalvoBool) {
    return talvo::GuardedCommand(data, [data] {
        if (data == nullptr) {
            return 0;
        }
        const talvo::CallText text(data);
        return text.IsWide() ? talvo::FilterUnits(text) : talvo::FilterText(text.Bytes());
    });
}

TALVO_EXPORT int32_t TALVO_HOST_CALL Magic(TalvoWindow, TalvoWindow, char* data, char*, TalvoBool,
                                           TalvoBool) {
    return talvo::GuardedCommand(data, [data] {
        if (data == nullptr) {
            return 0;
        }
        const talvo::CallText text(data);
        return text.IsWide() ? talvo::MagicLevelOfUnits(text.Units()) : talvo::MagicLevel(text.Bytes());
    });
}

}  // extern "C"
