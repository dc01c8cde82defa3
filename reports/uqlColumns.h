// The columns of a report, in the order they were added.
#pragma once

#include "model/uqlClasses.h"

#include <vector>

class TqlColumns : public TInterfacedObject, public IqlColumns {
public:
    // A new column whose index is the current count; returned through Column.
    int Add(const std::string& Title, uint8_t Kind, Ref<IqlColumn>& Column) override;
    // Raises EListError for an index out of range.
    Ref<IqlColumn> GetItem(int Index) override;
    int GetCount() override { return static_cast<int>(FItems.size()); }

private:
    std::vector<Ref<IqlColumn>> FItems;
};
