// A Delphi 7 style project, generated: a form unit and a data unit that use
// VCL units (Windows, Messages, Classes, Forms...) the analysis cannot find,
// a text form saved with a byte-order mark, an include file found only
// through the library search path with a folder part, and conditional
// code on the compiler's symbols. The Ridizo Dedu report must give the rows
// that are sure and none that the missing units could make wrong.
#include "AnalysedProject.h"

#include <algorithm>

namespace {

const char* const Defs =
    "{$IFDEF VER150}\n  {$DEFINE SHOP_D7}\n{$ENDIF}\n{$IFNDEF SHOP_NO_LOG}\n  {$DEFINE SHOP_LOG}\n{$ENDIF}\n";

const char* const MainFrm =
    "unit MainFrm;\n\n{$I common\\defs.inc}\n\ninterface\n\n"
    "uses\n  Windows, Messages, SysUtils, Classes, Forms, Controls, StdCtrls, ShopData;\n\n"
    "type\n"
    "  TMainForm = class(TForm)\n"
    "    btnSave: TButton;\n"
    "    procedure btnSaveClick(Sender: TObject);\n"
    "    procedure FormCreate(Sender: TObject);\n"
    "  private\n"
    "    FIdleCount: Integer;\n"
    "    FLastName: string;\n"
    "    procedure Unused1;\n"
    "  end;\n\n"
    "var\n  MainForm: TMainForm;\n\n"
    "implementation\n\n{$R *.dfm}\n\n"
    "procedure TMainForm.btnSaveClick(Sender: TObject);\nbegin\n"
    "  FLastName := Caption;\n  SaveAll(FLastName);\nend;\n\n"
    "procedure TMainForm.FormCreate(Sender: TObject);\nbegin\n"
    "  with Application do\n    Title := 'Shop';\nend;\n\n"
    "procedure TMainForm.Unused1;\nbegin\nend;\n\nend.\n";

const char* const MainDfm =
    "\xEF\xBB\xBFobject MainForm: TMainForm\n  Caption = 'Shop'\n  OnCreate = FormCreate\n"
    "  object btnSave: TButton\n    Caption = 'Save'\n    OnClick = btnSaveClick\n  end\nend\n";

const char* const ShopData =
    "unit ShopData;\n\n{$I common\\defs.inc}\n\ninterface\n\n"
    "uses\n  Classes;\n\n"
    "type\n"
    "  TStock = record\n    Count: Integer;\n    Title: string;\n    Spare: Integer;\n  end;\n\n"
    "procedure SaveAll(Name: string);\n"
    "procedure Rename(Name: string);\n"
    "{$IFDEF MSWINDOWS}\nprocedure WinOnly;\n{$ENDIF}\n\n"
    "implementation\n\n"
    "uses\n  Windows;\n\n"
    "var\n  gIdle: Integer;\n\n"
    "procedure SaveAll(Name: string);\nvar\n  L: TStringList;\nbegin\n"
    "  L := TStringList.Create;\n  L.Add(Name);\nend;\n\n"
    "procedure Rename(Name: string);\nbegin\n  Name := Name + '.bak';\n  Delete(Name, 1, 1);\nend;\n\n"
    "{$IFDEF MSWINDOWS}\nprocedure WinOnly;\nbegin\n  MessageBeep(0);\nend;\n{$ENDIF}\n\n"
    "{$IFDEF SHOP_D7}\nprocedure D7Only;\nbegin\nend;\n{$ELSE}\nprocedure OtherOnly;\nbegin\nend;\n{$ENDIF}\n\n"
    "end.\n";

const char* const Shop =
    "program Shop;\n\nuses\n  Forms,\n  MainFrm in 'src\\MainFrm.pas',\n  ShopData in 'src\\ShopData.pas';\n\n"
    "{$R *.res}\n\nvar\n  Stock: TStock;\n\n"
    "begin\n  Stock.Count := 1;\n  Application.Initialize;\n"
    "  Application.CreateForm(TMainForm, MainForm);\n  Application.Run;\nend.\n";

bool Has(const Strings& Rows, const std::string& Row)
{
    return std::find(Rows.begin(), Rows.end(), Row) != Rows.end();
}

} // namespace

TEST(AnalysedVclProject, SureRowsOnlyWhereVclUnitsAreMissing)
{
    TAnalysedProject P;
    P.Write("shared/Common/Defs.inc", Defs);
    P.Write("src/MainFrm.pas", MainFrm);
    P.Write("src/MainFrm.dfm", MainDfm);
    P.Write("src/ShopData.pas", ShopData);
    P.Write("Shop.dpr", Shop);
    P.AddLibraryPath(P.Sources().Path() + "/shared");
    for (const char* Define : {"VER150", "MSWINDOWS", "WIN32"})
        P->GetOptions()->GetDefines()->Add(Define);
    P.Analyze("Shop.dpr");

    // The names of the missing units are not found; nothing else goes wrong.
    const std::string Messages = P.Messages();
    EXPECT_NE(Messages.find("not found"), std::string::npos);
    for (const char* Wrong : {"Include file", "Form file", "Expected", "Invalid"})
        EXPECT_EQ(Messages.find(Wrong), std::string::npos) << Wrong << "\n" << Messages;
    for (const char* Name : {"Shop", "MainFrm", "ShopData"}) {
        TqlUnit* U = P->GetUnits()->FindUnit(Name);
        ASSERT_NE(U, nullptr) << Name;
        EXPECT_TRUE(U->AnalysedToEnd) << Name;
        EXPECT_GT(U->GetCodeStatistics().GetCodeLines(), 0) << Name;
    }
    TqlUnit* Form = P->GetUnits()->FindUnit("MainFrm");
    EXPECT_EQ(Form->GetDFMResource()->GetComponents()->GetCount(), 1);

    const Strings Rows = P.Lint("");
    const std::string All = ::testing::PrintToString(Rows);
    // Sure: private members, implementation declarations nobody names, and
    // interface routines that only their implementation headings name.
    for (const char* Must : {"MainFrm|TMainForm|Unused field: FIdleCount",
                             "MainFrm|TMainForm|Unused routine: Unused1",
                             "ShopData|TStock|Unused field: Spare",
                             "ShopData|ShopData|Unused variable: gIdle",
                             "ShopData|ShopData|Unused routine: D7Only",
                             "ShopData|ShopData|Unused routine: Rename",
                             "ShopData|ShopData|Unused routine: WinOnly",
                             "ShopData|SaveAll|Parameter Name should be declared as const"})
        EXPECT_TRUE(Has(Rows, Must)) << Must << "\n" << All;
    // Not sure, or wrong: a field named like a with-member of an unknown
    // type, form event handlers, a parameter the routine changes, the
    // branches the compiler symbols leave out, used declarations.
    for (const char* MustNot : {"Unused field: Title", "Unused field: Count", "btnSaveClick",
                                "FormCreate", "Unused field: FLastName", "Unused field: btnSave",
                                "Rename|Parameter Name", "OtherOnly",
                                "Unused parameter: Sender"})
        for (const std::string& Row : Rows)
            EXPECT_EQ(Row.find(MustNot), std::string::npos) << Row;
}
