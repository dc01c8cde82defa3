// The base of every report: its columns, its rows and its check settings.
//
// A concrete report overrides GetName and DefineColumns, and usually
// DefineSettings and Execute. Reports are created through Create<T>(), which
// runs the shared construction steps (the virtual calls that a C++
// constructor cannot make): the settings root is asked from the project under
// the report's name, then the report defines its settings and its columns.
#pragma once

#include "model/uqlClasses.h"

#include <string>

class TqlReport : public TInterfacedObject, public IqlReport {
public:
    template <class T>
    static Ref<T> Create()
    {
        Ref<T> Report(new T);
        Report->Construct();
        return Report;
    }

    void Clear() override;
    // Clear, then Execute.
    void Run() override;
    // Header line (when asked) and one line per row, fields joined by ",";
    // with Quote every field is a Pascal string literal ('it''s').
    Ref<IqlStringList> AsCSV(bool Header, bool Quote) override;
    Ref<IqlColumns> GetColumns() override { return FColumns; }
    Ref<IqlReportData> GetData() override { return FData; }
    bool GetHasUsedBy() override { return false; }
    Ref<IqlSettings> GetSettings() override { return FSettings; }
    bool GetSortable() override { return true; }
    bool GetVisible() override { return FVisible; }
    void SetVisible(bool Value) override { FVisible = Value; }

protected:
    TqlReport();

    virtual void DefineColumns() = 0;
    virtual void DefineSettings() {}
    virtual void Execute() {}

    // Helpers for the concrete reports.
    Ref<IqlSetting> AddSetting(const std::string& Name, bool ProjectDefault, bool LibraryDefault);
    void AddColumn(const std::string& Title, TqlDataType Kind);
    // The project the report reads; raises Exception when there is none.
    static IqlProject& Project();

    Ref<IqlColumns> FColumns;
    Ref<IqlReportData> FData;
    Ref<IqlSettings> FSettings;

private:
    void Construct();
    bool FVisible = false;
};

// A cell as CSV text: null gives "", numbers their decimal form.
std::string qlVariantToText(const Variant& Value);
// Value wrapped in single quotes, embedded single quotes doubled.
std::string qlQuotedStr(const std::string& Value);
// A field of comma-separated text: wrapped in double quotes, with embedded
// double quotes doubled, when it holds a comma, a double quote or a line
// break; otherwise as it is.
std::string qlCsvField(const std::string& Text);
