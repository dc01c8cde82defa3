// The entry points of a refactoring plug-in.
//
// A plug-in is a shared module (<Name>.so) linked to QuilletBase and
// RecastCore that exports exactly these three C functions; everything else
// stays hidden (-fvisibility=hidden). The program loads it with
// TqlPluginLoader:
//
//   qlPluginAbiVersion   must answer QL_PLUGIN_ABI_VERSION as the plug-in
//                        was compiled, or the module is refused;
//   qlPluginInitialize   creates the plug-in's objects, adds its menu groups
//                        and registers its refactorings with
//                        gqlRefactoringHost; answers 0, or another value
//                        with a NUL-terminated message in Error (at most
//                        Size bytes, message included). Exceptions must not
//                        leave it (qlPluginGuard catches them);
//   qlPluginFinalize     unregisters the refactorings, but only while
//                        gqlRefactoringHost is set, then drops the
//                        plug-in's own counted references; it never deletes
//                        a registered object and never throws. It also
//                        runs right after an Initialize that failed, so
//                        it must cope with a half-done registration
//                        (UnregisterRefactoring raises for an object that
//                        was never registered).
//
// No static constructor of a plug-in may touch a hub: the module's own
// objects are made in qlPluginInitialize.
#pragma once

#include <cstddef>
#include <cstring>
#include <exception>
#include <string>

// Changes whenever the classes or hubs that plug-ins use change shape.
#define QL_PLUGIN_ABI_VERSION 1

#define QL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

using TqlPluginAbiVersionFunc = int (*)();
using TqlPluginInitializeFunc = int (*)(char* Error, size_t Size);
using TqlPluginFinalizeFunc = void (*)();

// Copies Text into Error (cut to Size - 1 bytes, NUL-terminated).
inline void qlPluginSetError(char* Error, size_t Size, const std::string& Text)
{
    if (!Error || Size == 0)
        return;
    const size_t N = Text.size() < Size - 1 ? Text.size() : Size - 1;
    std::memcpy(Error, Text.data(), N);
    Error[N] = '\0';
}

// Runs Body; answers 0, or 1 with the text of what it raised in Error.
template <class F>
int qlPluginGuard(char* Error, size_t Size, F&& Body) noexcept
{
    try {
        Body();
        return 0;
    } catch (const std::exception& E) {
        qlPluginSetError(Error, Size, E.what());
    } catch (...) {
        qlPluginSetError(Error, Size, "Unknown error.");
    }
    return 1;
}

// Declares the three entry points in a plug-in's source:
//   QL_PLUGIN_ENTRY_POINTS(Initialize, Finalize)
// where Initialize() does the registration (may throw) and Finalize() the
// clearing up (must not throw).
#define QL_PLUGIN_ENTRY_POINTS(InitializeBody, FinalizeBody)                                  \
    QL_PLUGIN_EXPORT int qlPluginAbiVersion() { return QL_PLUGIN_ABI_VERSION; }                 \
    QL_PLUGIN_EXPORT int qlPluginInitialize(char* Error, size_t Size)                           \
    {                                                                                           \
        return qlPluginGuard(Error, Size, [] { InitializeBody(); });                            \
    }                                                                                           \
    QL_PLUGIN_EXPORT void qlPluginFinalize()                                                    \
    {                                                                                           \
        try {                                                                                   \
            FinalizeBody();                                                                     \
        } catch (...) {                                                                         \
        }                                                                                       \
    }
