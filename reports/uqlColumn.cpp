#include "reports/uqlColumn.h"

TqlColumn::TqlColumn(const std::string& Title, uint8_t Kind, int Index)
    : FTitle(Title), FIndex(Index), FKind(Kind)
{
}
