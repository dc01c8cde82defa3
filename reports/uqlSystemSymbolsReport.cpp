#include "reports/uqlSystemSymbolsReport.h"

void TRPTSystemSymbols::DefineColumns()
{
    AddColumn("Symbol", dtString);
    AddColumn("Type", dtString);
    AddColumn("Used Count", dtInteger);
}

void TRPTSystemSymbols::DefineSettings()
{
    FReportClasses = AddSetting("Report Classes", true, true);
    FReportObjects = AddSetting("Report Legacy Objects", true, true);
    FReportInterfaces = AddSetting("Report Interfaces", true, true);
    FReportSymbols = AddSetting("Report Symbols", true, true);
}

namespace {

template <class TList, class TGet>
void ListUsed(IqlReportData& Data, TList* List, TGet Get, const char* KindWord)
{
    if (!List)
        return;
    for (int I = 0; I < List->GetCount(); ++I) {
        TqlSymbol* Symbol = Get(*List, I);
        TqlUsedByList* UsedBy = Symbol->GetUsedBy();
        // The uses the run-time library makes of its own types are not the
        // program's.
        int Count = 0;
        for (int U = 0; U < UsedBy->GetCount(); ++U)
            if (!qlStandsForRunTimeLibrary(UsedBy->GetLocations(U)->GetUnitIntf()))
                ++Count;
        if (Count > 0)
            Data.AddRow(Symbol, UsedBy, {Symbol->GetName(), KindWord, Count});
    }
}

} // namespace

void TRPTSystemSymbols::Execute()
{
    IqlProject& P = Project();
    IqlReportData& Data = *FData;
    ListUsed(Data, P.GetClasses(), [](TqlOwnedClassList& L, int I) { return L.GetClasses(I); },
             "Class");
    ListUsed(Data, P.GetObjects(), [](TqlOwnedObjectList& L, int I) { return L.GetClasses(I); },
             "Object");
    ListUsed(Data, P.GetInterfaces(),
             [](TqlOwnedInterfaceList& L, int I) { return L.GetInterfaces(I); }, "Interface");
    ListUsed(Data, P.GetSystemSymbols(), [](TqlSymbolList& L, int I) { return L.GetSymbol(I); },
             "Symbol");
}
