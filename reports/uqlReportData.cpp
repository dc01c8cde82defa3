#include "reports/uqlReportData.h"

#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsNumber(const Variant& V)
{
    const auto K = V.GetKind();
    return K == Variant::Kind::Integer || K == Variant::Kind::Double ||
           K == Variant::Kind::Boolean;
}

template <class T>
int Sign(T A, T B)
{
    return A < B ? -1 : (B < A ? 1 : 0);
}

int CompareNumbers(const Variant& A, const Variant& B)
{
    if (A.GetKind() != Variant::Kind::Double && B.GetKind() != Variant::Kind::Double)
        return Sign(A.AsInteger(), B.AsInteger());
    const double X = A.AsDouble(), Y = B.AsDouble();
    if (std::isnan(X) || std::isnan(Y))
        return Sign(std::isnan(X) ? 0 : 1, std::isnan(Y) ? 0 : 1);
    return Sign(X, Y);
}

} // namespace

int qlCompareText(const std::string& A, const std::string& B)
{
    const size_t N = std::min(A.size(), B.size());
    for (size_t I = 0; I < N; ++I) {
        const unsigned char X = qlLowerAnsi(static_cast<unsigned char>(A[I]));
        const unsigned char Y = qlLowerAnsi(static_cast<unsigned char>(B[I]));
        if (X != Y)
            return X < Y ? -1 : 1;
    }
    return Sign(A.size(), B.size());
}

int qlCompareCells(const Variant& A, const Variant& B)
{
    const bool AEmpty = A.IsEmpty(), BEmpty = B.IsEmpty();
    if (AEmpty || BEmpty)
        return Sign(AEmpty ? 0 : 1, BEmpty ? 0 : 1);
    if (IsNumber(A) && IsNumber(B))
        return CompareNumbers(A, B);
    if (A.GetKind() == Variant::Kind::String && B.GetKind() == Variant::Kind::String)
        return qlCompareText(A.AsString(), B.AsString());
    // A number and a text: numbers first, so that the order stays total.
    return IsNumber(A) ? -1 : 1;
}

TqlReportData::~TqlReportData()
{
    Clear();
}

bool TqlReportData::IsEnabled(const Ref<IqlSetting>& Setting)
{
    return Setting && (Setting->GetProject() || Setting->GetLibrary());
}

bool TqlReportData::IsEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary)
{
    if (!Setting)
        return false;
    return IsLibrary ? Setting->GetLibrary() : Setting->GetProject();
}

void TqlReportData::AddEmptyRow()
{
    AddRow(nullptr, nullptr, {Variant(), Variant()});
}

void TqlReportData::AddEmptyRowIfEnabled(const Ref<IqlSetting>& Setting)
{
    if (IsEnabled(Setting))
        AddEmptyRow();
}

void TqlReportData::AddEmptyRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary)
{
    if (IsEnabledFor(Setting, IsLibrary))
        AddEmptyRow();
}

void TqlReportData::AddRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary,
                                       TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                                       const std::vector<Variant>& Values)
{
    if (IsEnabledFor(Setting, IsLibrary))
        AddRow(Symbol, UsedBy, Values);
}

void TqlReportData::AddRowIfEnabled(const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                                    TqlUsedByList* UsedBy, const std::vector<Variant>& Values)
{
    if (IsEnabled(Setting))
        AddRow(Symbol, UsedBy, Values);
}

void TqlReportData::AddRow(TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                           const std::vector<Variant>& Values)
{
    FRows.push_back(std::make_unique<TRow>(TRow{UsedBy, Symbol, Values, FNextSerial++}));
}

void TqlReportData::AddUnitRow(TqlUnit* Unit, const Ref<IqlSetting>& Setting,
                               TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                               const std::vector<Variant>& Values)
{
    QL_ASSERT(Unit != nullptr, "a unit row needs its unit");
    AddRowIfEnabledFor(Setting, Unit->IsLibraryUnit(), Symbol, UsedBy, Values);
}

void TqlReportData::AddValueRow(const std::vector<Variant>& Values)
{
    AddRow(nullptr, nullptr, Values);
}

void TqlReportData::AddTitleRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary,
                                            const Variant& Title)
{
    if (IsEnabledFor(Setting, IsLibrary))
        AddTitleRow(Title);
}

void TqlReportData::AddTitleRowIfEnabled(const Ref<IqlSetting>& Setting, const Variant& Title)
{
    if (IsEnabled(Setting))
        AddTitleRow(Title);
}

void TqlReportData::AddTitleRow(const Variant& Title)
{
    AddRow(nullptr, nullptr, {Title, Variant()});
}

void TqlReportData::Clear()
{
    while (!FRows.empty())
        FRows.pop_back();
    FNextSerial = 0;
}

TqlReportData::TRow& TqlReportData::RowAt(int Row)
{
    if (Row < 0 || Row >= GetRowCount())
        throw EListError(Row);
    return *FRows[static_cast<size_t>(Row)];
}

void TqlReportData::ShowCode(int Row)
{
    TRow& R = RowAt(Row);
    if (R.Symbol && gqlProject)
        gqlProject->ShowCode(R.Symbol);
}

TqlUsedByList* TqlReportData::GetUsedBy(int Row)
{
    return RowAt(Row).UsedBy;
}

TqlCodeLocation* TqlReportData::GetSymbol(int Row)
{
    return RowAt(Row).Symbol;
}

int TqlReportData::GetValueCount(int Row)
{
    return static_cast<int>(RowAt(Row).Values.size());
}

void TqlReportData::GetValue(int Row, int Column, Variant& Value)
{
    TRow& R = RowAt(Row);
    if (Column < 1 || Column > static_cast<int>(R.Values.size()))
        throw EListError(Column);
    Value = R.Values[static_cast<size_t>(Column - 1)];
}

void TqlReportData::Sort(bool Ascending, int Column)
{
    if (Column < 0)
        throw EListError(Column);
    const size_t Cell = static_cast<size_t>(Column);
    static const Variant Null;
    auto ValueOf = [Cell](const TRow& R) -> const Variant& {
        return Cell < R.Values.size() ? R.Values[Cell] : Null;
    };
    // Texts are taken out of their cells and folded once, not at every
    // comparison; folded texts compare bytewise as qlCompareText does.
    const size_t N = FRows.size();
    std::vector<std::string> Texts(N);
    std::vector<size_t> Order(N);
    for (size_t I = 0; I < N; ++I) {
        Order[I] = I;
        const Variant& V = ValueOf(*FRows[I]);
        if (V.GetKind() == Variant::Kind::String) {
            Texts[I] = V.AsString();
            for (char& Ch : Texts[I])
                Ch = static_cast<char>(qlLowerAnsi(static_cast<unsigned char>(Ch)));
        }
    }
    std::sort(Order.begin(), Order.end(), [&](size_t X, size_t Y) {
        const TRow& A = *FRows[X];
        const TRow& B = *FRows[Y];
        const Variant& VA = ValueOf(A);
        const Variant& VB = ValueOf(B);
        int C = VA.GetKind() == Variant::Kind::String && VB.GetKind() == Variant::Kind::String
                    ? Texts[X].compare(Texts[Y])
                    : qlCompareCells(VA, VB);
        if (C != 0)
            return Ascending ? C < 0 : C > 0;
        return Ascending ? A.Serial < B.Serial : A.Serial > B.Serial;
    });
    std::vector<std::unique_ptr<TRow>> Sorted;
    Sorted.reserve(N);
    for (size_t I : Order)
        Sorted.push_back(std::move(FRows[I]));
    FRows = std::move(Sorted);
}
