#include "model/uqlNameLookup.h"

#include "lexer/lxPasLexTypes.h"
#include "model/uqlClasses.h"

#include <cstdint>

size_t TqlUnitNameIndex::THash::operator()(std::string_view S) const
{
    uint64_t H = 0;
    for (char C : S)
        H = H * 131 + lxUpper(C);
    // Spread the low bits, which pick the bucket.
    return static_cast<size_t>(H * 0x9E3779B97F4A7C15ull ^ (H >> 29));
}

bool TqlUnitNameIndex::TEqual::operator()(std::string_view A, std::string_view B) const
{
    return lxSameText(A, B);
}

void TqlUnitNameIndex::AddUnit(TqlUnit* Unit)
{
    if (!Unit)
        return;
    FUnits.push_back(Unit);
    if (FActive)
        AddDeclarations(Unit);
}

void TqlUnitNameIndex::Activate()
{
    if (FActive)
        return;
    FActive = true;
    for (TqlUnit* U : FUnits)
        AddDeclarations(U);
}

void TqlUnitNameIndex::AddDeclarations(TqlUnit* Unit)
{
    for (int i = 0; i < Unit->GetSymbolCount(); ++i)
        SymbolAdded(Unit, Unit->GetSymbol(i));
}

void TqlUnitNameIndex::SymbolAdded(TqlUnit* Unit, const TqlSymbol* Symbol)
{
    if (!FActive || !Unit || !Symbol)
        return;
    const TVisibilityKind V = Symbol->GetVisibility();
    if (V == vkNone || V == vkImplementation)
        return;
    auto [It, IsNew] = FNames.try_emplace(Symbol->GetName());
    TEntry& E = It->second;
    if (IsNew) {
        E.First = Unit;
        return;
    }
    TqlUnit* Last = E.More.empty() ? E.First : E.More.back();
    if (Last != Unit)
        E.More.push_back(Unit);
}

const TqlUnitNameIndex::TEntry* TqlUnitNameIndex::Find(const std::string& Name) const
{
    auto It = FNames.find(Name);
    return It == FNames.end() ? nullptr : &It->second;
}

void TqlUnitNameIndex::Clear()
{
    FNames.clear();
    FUnits.clear();
    FActive = false;
}
