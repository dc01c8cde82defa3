#include "reports/uqlReport.h"

#include "reports/uqlColumns.h"
#include "reports/uqlReportData.h"
#include "base/uqlPathUtils.h"
#include "settings/uqlStringList.h"

#include <algorithm>

TqlReport::TqlReport() : FColumns(MakeRef<TqlColumns>()), FData(MakeRef<TqlReportData>()) {}

IqlProject& TqlReport::Project()
{
    if (!gqlProject)
        throw Exception("Reports need a project, and none has been created.");
    return *gqlProject;
}

void TqlReport::Construct()
{
    const std::string Name = GetName();
    FSettings = Project().CreateSettings(Name);
    if (!FSettings)
        throw Exception("The project gave no settings for the report \"" + Name + "\".");
    DefineSettings();
    DefineColumns();
}

Ref<IqlSetting> TqlReport::AddSetting(const std::string& Name, bool ProjectDefault,
                                      bool LibraryDefault)
{
    return FSettings->AddSetting(Name, ProjectDefault, LibraryDefault);
}

void TqlReport::AddColumn(const std::string& Title, TqlDataType Kind)
{
    Ref<IqlColumn> Column;
    FColumns->Add(Title, Kind, Column);
}

void TqlReport::Clear()
{
    FData->Clear();
}

void TqlReport::Run()
{
    Clear();
    Execute();
}

std::string qlVariantToText(const Variant& Value)
{
    return Value.AsString();
}

std::string qlQuotedStr(const std::string& Value)
{
    std::string Result = "'";
    for (char C : Value) {
        if (C == '\'')
            Result += '\'';
        Result += C;
    }
    Result += '\'';
    return Result;
}

std::string qlCsvField(const std::string& Text)
{
    if (Text.find_first_of(",\"\r\n") == std::string::npos)
        return Text;
    std::string Field = "\"";
    for (char C : Text) {
        if (C == '"')
            Field += '"';
        Field += C;
    }
    return Field + '"';
}

Ref<IqlStringList> TqlReport::AsCSV(bool Header, bool Quote)
{
    auto Field = [Quote](const std::string& S) { return Quote ? qlQuotedStr(S) : qlCsvField(S); };
    Ref<IqlStringList> Lines = MakeRef<TqlStringList>();
    const int ColumnCount = FColumns->GetCount();
    if (Header) {
        std::string Line;
        for (int C = 0; C < ColumnCount; ++C) {
            if (C > 0)
                Line += ',';
            Line += Field(FColumns->GetItem(C)->GetTitle());
        }
        Lines->Add(Line);
    }
    auto* Data = dynamic_cast<TqlReportData*>(FData.get());
    for (int R = 0; R < FData->GetRowCount(); ++R) {
        // A title or empty row holds two values: it yields its two fields.
        int Count = ColumnCount;
        if (Data)
            Count = std::min(Count, Data->GetValueCount(R));
        std::string Line;
        for (int C = 1; C <= Count; ++C) {
            Variant V;
            FData->GetValue(R, C, V);
            if (C > 1)
                Line += ',';
            Line += Field(qlVariantToText(V));
        }
        Lines->Add(Line);
    }
    return Lines;
}
