#include "model/uqlClasses.h"

#include "lexer/lxPasLexTypes.h"

#include <utility>

// ---------------------------------------------------------------------------
// Global hubs and shared word tables
// ---------------------------------------------------------------------------

Ref<IqlProject> gqlProject;
Ref<IqlFileSettings> gqlQuilletOptions;
Ref<IqlRefactoringHost> gqlRefactoringHost;

TlxPasHash* GlobalKeyHashTable = nullptr;
TlxDirectiveHash* GlobalDirectiveHash = nullptr;

void qlCreateGlobalTables()
{
    if (!GlobalKeyHashTable)
        GlobalKeyHashTable = new TlxPasHash();
    if (!GlobalDirectiveHash)
        GlobalDirectiveHash = new TlxDirectiveHash();
}

void qlReleaseGlobals()
{
    // The hubs first: the project owns the parsers, and a parser may use the
    // word tables until it is gone.
    gqlRefactoringHost = nullptr;
    gqlQuilletOptions = nullptr;
    gqlProject = nullptr;
    delete std::exchange(GlobalKeyHashTable, nullptr);
    delete std::exchange(GlobalDirectiveHash, nullptr);
}

namespace {
// Creates the word tables when QuilletBase is loaded and releases everything
// in the safe order when it is unloaded. Defined after the hubs, so it is
// destroyed before them.
struct TqlGlobalsLifetime {
    TqlGlobalsLifetime() { qlCreateGlobalTables(); }
    ~TqlGlobalsLifetime() { qlReleaseGlobals(); }
    TqlGlobalsLifetime(const TqlGlobalsLifetime&) = delete;
    TqlGlobalsLifetime& operator=(const TqlGlobalsLifetime&) = delete;
} GlobalsLifetime;
} // namespace
