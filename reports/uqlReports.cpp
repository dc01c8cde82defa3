#include "reports/uqlReports.h"

#include <algorithm>

namespace {

char UpperAscii(char C)
{
    return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 32) : C;
}

bool SameNameAscii(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (UpperAscii(A[I]) != UpperAscii(B[I]))
            return false;
    return true;
}

} // namespace

int TqlReports::Add(const Ref<IqlReport>& Report)
{
    QL_ASSERT(Report != nullptr, "a report list holds reports, not nil");
    FItems.push_back(Report);
    return GetCount() - 1;
}

void TqlReports::ClearAll()
{
    for (const Ref<IqlReport>& R : FItems)
        R->Clear();
}

Ref<IqlReport> TqlReports::FindByName(const std::string& Name)
{
    for (const Ref<IqlReport>& R : FItems)
        if (SameNameAscii(R->GetName(), Name))
            return R;
    return nullptr;
}

Ref<IqlReport> TqlReports::GetItem(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FItems[static_cast<size_t>(Index)];
}

bool TqlReports::Remove(const Ref<IqlReport>& Report)
{
    const auto It = std::find(FItems.begin(), FItems.end(), Report);
    if (It == FItems.end())
        return false;
    FItems.erase(It);
    return true;
}
