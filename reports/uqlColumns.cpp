#include "reports/uqlColumns.h"

#include "reports/uqlColumn.h"

int TqlColumns::Add(const std::string& Title, uint8_t Kind, Ref<IqlColumn>& Column)
{
    Column = MakeRef<TqlColumn>(Title, Kind, GetCount());
    FItems.push_back(Column);
    return GetCount() - 1;
}

Ref<IqlColumn> TqlColumns::GetItem(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FItems[static_cast<size_t>(Index)];
}
