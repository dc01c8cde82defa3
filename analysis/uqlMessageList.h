// The project's list of findings: syntax problems, names that cannot be
// resolved, include files that cannot be found. Sortable by text, by file
// name or by section.
#pragma once

#include "model/uqlClasses.h"
#include "model/uqlQuickSort.h"

#include <vector>

class TqlMessageList : public TInterfacedObject, public IqlMessageList, public IqlQuickSortable {
public:
    TqlMessageList() = default;

    Ref<IqlMessage> Add(const std::string& Text, int FileIndex, int X, int Y,
                        bool InInterfaceSection) override;
    void Clear() override;
    int GetCount() override;
    // Out of range raises EListError.
    Ref<IqlMessage> GetItems(int Index) override;
    void Sort(TMessageListSortBy SortBy) override;

    void Exchange(int Index1, int Index2) override;
    int Compare(int Index1, int Index2) override;

    TMessageListSortBy GetSortBy() const { return FSortBy; }

private:
    void CheckIndex(int Index) const;

    std::vector<Ref<IqlMessage>> FItems;
    TMessageListSortBy FSortBy = mlsbMessage;
};
