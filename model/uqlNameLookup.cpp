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

TqlUnitNameIndex::TSlot* TqlUnitNameIndex::Lookup(std::string_view Name, uint32_t Hash) const
{
    if (FSlots.empty())
        return nullptr;
    const size_t Mask = FSlots.size() - 1;
    for (size_t i = Hash & Mask;; i = (i + 1) & Mask) {
        const TSlot& S = FSlots[i];
        if (S.Name == 0 ||
            (S.Hash == Hash && TEqual()(FNames[S.Name - 1].Symbol->GetName(), Name)))
            return const_cast<TSlot*>(&S);
    }
}

void TqlUnitNameIndex::Grow()
{
    std::vector<TSlot> Old;
    Old.swap(FSlots);
    FSlots.resize(Old.empty() ? 256 : Old.size() * 2);
    const size_t Mask = FSlots.size() - 1;
    for (const TSlot& S : Old) {
        if (S.Name == 0)
            continue;
        size_t i = S.Hash & Mask;
        while (FSlots[i].Name != 0)
            i = (i + 1) & Mask;
        FSlots[i] = S;
    }
}

void TqlUnitNameIndex::SymbolAdded(TqlUnit* Unit, const TqlSymbol* Symbol)
{
    if (!FActive || !Unit || !Symbol)
        return;
    const TVisibilityKind V = Symbol->GetVisibility();
    if (V == vkNone || V == vkImplementation)
        return;
    const std::string& Name = Symbol->GetName();
    const uint32_t H = static_cast<uint32_t>(THash()(Name));
    if ((FNames.size() + 1) * 4 > FSlots.size() * 3)
        Grow();
    TSlot* S = Lookup(Name, H);
    if (S->Name == 0) {
        QL_ASSERT(FNames.size() < UINT32_MAX, "The name index holds at most 2^32 - 1 names");
        FNames.push_back(TName{Symbol, TEntry{Unit, nullptr}});
        S->Hash = H;
        S->Name = static_cast<uint32_t>(FNames.size());
        return;
    }
    TEntry& E = FNames[S->Name - 1].Entry;
    TqlUnit* Last = E.More ? E.More->back() : E.First;
    if (Last == Unit)
        return;
    if (!E.More)
        E.More = &FMore.emplace_back();
    E.More->push_back(Unit);
}

const TqlUnitNameIndex::TEntry* TqlUnitNameIndex::Find(std::string_view Name) const
{
    const TSlot* S = Lookup(Name, static_cast<uint32_t>(THash()(Name)));
    return S && S->Name != 0 ? &FNames[S->Name - 1].Entry : nullptr;
}

void TqlUnitNameIndex::Clear()
{
    std::vector<TSlot>().swap(FSlots);
    FNames.clear();
    FMore.clear();
    FUnits.clear();
    FActive = false;
}
