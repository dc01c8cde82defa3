// The rows of a report table.
//
// A row holds the list of places that use the row's symbol (or nil), the code
// location the row is about (or nil) and one value per column. The used-by
// list and the location belong to the project's code model; a row only
// borrows them, and the project clears every report before it clears or
// rebuilds the model.
//
// Title rows hold the title and null, empty rows two nulls; neither has a
// symbol or a used-by list.
#pragma once

#include "model/uqlClasses.h"

#include <cstdint>
#include <memory>
#include <vector>

// Text comparison without regard to case for 8-bit Windows-1252 text: <0, 0
// or >0.
int qlCompareText(const std::string& A, const std::string& B);

// The comparison of two report cells used by Sort: texts without regard to
// case, numbers numerically, null before everything else.
int qlCompareCells(const Variant& A, const Variant& B);

class TqlReportData : public TInterfacedObject, public IqlReportData {
public:
    TqlReportData() = default;
    ~TqlReportData() override;

    void AddEmptyRow() override;
    void AddEmptyRowIfEnabled(const Ref<IqlSetting>& Setting) override;
    void AddEmptyRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary) override;
    void AddRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary, TqlCodeLocation* Symbol,
                            TqlUsedByList* UsedBy, const std::vector<Variant>& Values) override;
    void AddRowIfEnabled(const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                         TqlUsedByList* UsedBy, const std::vector<Variant>& Values) override;
    void AddRow(TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                const std::vector<Variant>& Values) override;
    // The side comes from the unit: library when IsLibraryUnit.
    void AddUnitRow(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                    TqlUsedByList* UsedBy, const std::vector<Variant>& Values) override;
    void AddValueRow(const std::vector<Variant>& Values) override;
    void AddTitleRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary,
                                 const Variant& Title) override;
    void AddTitleRowIfEnabled(const Ref<IqlSetting>& Setting, const Variant& Title) override;
    void AddTitleRow(const Variant& Title) override;
    void Clear() override;
    // Shows the row's symbol through the project's code viewers; nothing for
    // a row without symbol or when there is no project.
    void ShowCode(int Row) override;
    int GetRowCount() override { return static_cast<int>(FRows.size()); }
    TqlUsedByList* GetUsedBy(int Row) override;
    // Column counts from 1. Raises EListError for a row out of range or a
    // column beyond the row's values.
    void GetValue(int Row, int Column, Variant& Value) override;
    // Column counts from 0. Rows with equal values keep their order of
    // insertion when sorting ascending and the reverse when descending, so
    // a descending sort is the exact reverse of an ascending one. A row
    // without a value in that column sorts as null.
    void Sort(bool Ascending, int Column) override;

    // The code location of a row (nil when none).
    TqlCodeLocation* GetSymbol(int Row);
    // The number of values the row holds.
    int GetValueCount(int Row);

    // A setting is enabled when either flag is on; enabled for a side when
    // that side's flag is on. A nil setting is never enabled.
    static bool IsEnabled(const Ref<IqlSetting>& Setting);
    static bool IsEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary);

private:
    struct TRow {
        TqlUsedByList* UsedBy;
        TqlCodeLocation* Symbol;
        std::vector<Variant> Values;
        uint64_t Serial;
    };
    TRow& RowAt(int Row);

    std::vector<std::unique_ptr<TRow>> FRows;
    uint64_t FNextSerial = 0;
};
