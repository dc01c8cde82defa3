#include "analysis/uqlMessageList.h"

#include "model/uqlMessage.h"

Ref<IqlMessage> TqlMessageList::Add(const std::string& Text, int FileIndex, int X, int Y,
                                    bool InInterfaceSection)
{
    Ref<IqlMessage> Msg(new TqlMessage(Text, FileIndex, X, Y, InInterfaceSection));
    FItems.push_back(Msg);
    return Msg;
}

void TqlMessageList::Clear() { FItems.clear(); }

int TqlMessageList::GetCount() { return static_cast<int>(FItems.size()); }

void TqlMessageList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FItems.size()))
        throw EListError(Index);
}

Ref<IqlMessage> TqlMessageList::GetItems(int Index)
{
    CheckIndex(Index);
    return FItems[size_t(Index)];
}

void TqlMessageList::Sort(TMessageListSortBy SortBy)
{
    FSortBy = SortBy;
    if (!FItems.empty())
        QuickSort(this, 0, GetCount() - 1);
}

void TqlMessageList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[size_t(Index1)], FItems[size_t(Index2)]);
}

namespace {

int CompareStr(const std::string& A, const std::string& B)
{
    // Ordinal, byte by byte as unsigned characters.
    const int C = A.compare(B);
    return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

} // namespace

int TqlMessageList::Compare(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    IqlMessage* A = FItems[size_t(Index1)].get();
    IqlMessage* B = FItems[size_t(Index2)].get();
    switch (FSortBy) {
    case mlsbMessage:
        return CompareStr(A->GetMessageText(), B->GetMessageText());
    case mlsbUnit:
        return CompareStr(A->GetCodeLocation()->GetFileName(), B->GetCodeLocation()->GetFileName());
    case mlsbInterface:
        return int(A->GetInterfaceSection()) - int(B->GetInterfaceSection());
    }
    QL_ASSERT(false, "Assertion failure");
    return 0;
}
