// Delphi 7 code whose directives, first line or flat chains the analysis
// once misread: declarations dropped, branches meant for later compilers
// taken, positions off, or the unit given up as nested too deeply. Each
// fixture is a unit that uses Windows and Classes (which the analysis does
// not find) the way Delphi 7 code does.
#include "AnalysisTestSupport.h"

namespace {

struct TFixture : TFixtureUnit {
    // Text is the whole unit; Files are written beside it first.
    explicit TFixture(const std::string& Text,
                      const std::vector<std::pair<std::string, std::string>>& Files = {})
    {
        for (const auto& [Name, Content] : Files)
            F.Write(Name, Content);
        Analyze("Fixture.pas", Text);
    }
    // The messages, but those of the units Delphi brings and we do not.
    std::string Messages() { return TFixtureUnit::Messages({"Windows", "Classes"}); }
};

std::string Unit(const std::string& Interface, const std::string& Implementation)
{
    return "unit Fixture;\n\ninterface\n\nuses\n  Windows, Classes;\n\n" + Interface +
           "\nimplementation\n\n" + Implementation + "\nend.\n";
}

} // namespace

TEST(Delphi7Directives, DirectivesNoLongerDropTheCodeTheyGuard)
{
    const struct {
        const char* Behaviour;
        std::string Text;
        std::vector<std::pair<std::string, std::string>> Files;
        const char* Declared;
        const char* Used;
        int Uses;
    } Cases[] = {
        {"a quote in a remark after a directive",
         Unit("{$IFNDEF FPC // the other compiler can't read this }\n"
              "type\n  TReader = class\n  public\n    procedure Read;\n  end;\n"
              "{$ENDIF ~FPC}\n\n{$IFDEF FPC // isn't ours }\n{$ELSE // it's ours }\n"
              "var\n  Reader: TReader;\n{$ENDIF}\n",
              "procedure TReader.Read;\nbegin\nend;\n\n"
              "initialization\n  Reader := TReader.Create;\n  Reader.Read;\n"),
         {}, "TReader", "Reader", 2},
        {"symbols that start with a digit",
         Unit("{$I SevenZip.inc}\n\n{$IFDEF 7ZIP_LINKONREQUEST}\n"
              "function LoadSevenZip: Boolean;\n{$ENDIF}\n"
              "{$IFNDEF 7ZIP_STATICLINK}\nvar\n  SevenZipHandle: THandle;\n{$ENDIF}\n",
              "{$IFDEF 7ZIP_LINKONREQUEST}\nfunction LoadSevenZip: Boolean;\nbegin\n"
              "  Result := SevenZipHandle <> 0;\nend;\n{$ENDIF}\n"),
         {{"SevenZip.inc", "{$DEFINE 7ZIP_LINKONREQUEST}\n{$IFDEF 7ZIP_STATICLINK}\n"
                           "  {$UNDEF 7ZIP_LINKONREQUEST}\n{$ENDIF}\n"}},
         "LoadSevenZip", "SevenZipHandle", 1},
        {"characters no token takes in a branch left out",
         Unit("{$IFDEF ZLIB_DEBUG}\n  s^.bi_buf |= (val << s^.bi_valid);\\\n"
              "  ` ~ \x80 ? don't\n{$ENDIF}\nvar\n  Tally: Integer;\n",
              "procedure Count;\nbegin\n  Tally := 1;\nend;\n"),
         {}, "Tally", "Tally", 1},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Behaviour);
        TFixture Fx(C.Text, C.Files);
        EXPECT_EQ(Fx.Messages(), "");
        EXPECT_NE(Fx.Find(C.Declared), nullptr);
        EXPECT_EQ(Fx.Uses(C.Used), C.Uses);
    }
}

TEST(Delphi7Directives, CompilerVersionConditionsTakeTheDelphi7Branch)
{
    const std::string Text = Unit("{$IF CompilerVersion < 18}\ntype\n  UnicodeString = WideString;\n"
                     "  NativeInt = Integer;\n{$IFEND}\n\n"
                     "{$IF RTLVersion >= 15}\nconst\n  RtlName = 'Delphi 7';\n{$ELSE}\n"
                     "const\n  RtlName = 'older';\n{$IFEND}\n\n"
                     "{$IF CompilerVersion >= 14.0}\nconst\n  HasVariants = True;\n{$IFEND}\n\n"
                     "{$IF not Declared(UInt64)}\ntype\n  UInt64 = Int64;\n{$IFEND}\n\n"
                     "{$IF Declared(CompilerVersion) and (CompilerVersion >= 15)}\n"
                     "procedure OnDelphi7;\n{$IFEND}\n\n"
                     "var\n  Title: UnicodeString;\n  Size: NativeInt;\n  Big: UInt64;\n",
                     "procedure OnDelphi7;\nbegin\nend;\n\n"
                     "initialization\n  Title := RtlName;\n  if HasVariants then\n    Size := 0;\n"
                     "  Big := Size;\n");
    TFixture Fx(Text);
    EXPECT_EQ(Fx.Messages(), "");
    EXPECT_EQ(Fx.Uses("UnicodeString"), 1);
    EXPECT_EQ(Fx.Uses("NativeInt"), 1);
    EXPECT_EQ(Fx.Uses("HasVariants"), 1);
    // Both branches declare RtlName, and a body declares the routine its
    // heading was left out for: where they are declared tells the branches.
    const auto LineOf = [&Text](const std::string& Part) {
        return 1 + int(std::count(Text.begin(), Text.begin() + Text.find(Part), '\n'));
    };
    TqlSymbol* Rtl = Fx.Find("RtlName");
    ASSERT_NE(Rtl, nullptr);
    EXPECT_EQ(Rtl->GetY(), LineOf("RtlName = 'Delphi 7'"));
    EXPECT_EQ(Fx.Uses("RtlName"), 1);
    TqlSymbol* OnDelphi7 = Fx.Find("OnDelphi7");
    ASSERT_NE(OnDelphi7, nullptr);
    EXPECT_EQ(OnDelphi7->GetY(), LineOf("procedure OnDelphi7;"));
    // UInt64 is the system unit's: the fallback declaration is left out.
    TqlSymbol* Big = Fx.Find("Big");
    ASSERT_NE(Big, nullptr);
    EXPECT_EQ(Fx.Unit->GetTypes()->Find("UInt64"), nullptr);
}

TEST(Delphi7Directives, TheProgramsUsesClauseTakesTheDelphi7Branch)
{
    // Other is read before the in-path of Helper further down the list: the
    // path comes from the uses clause as the preprocessing read it.
    TFixtureUnit Fx;
    Fx.F.Write("Other.pas", "unit Other;\n\ninterface\n\nuses\n  Helper;\n\nprocedure Run;\n\n"
                            "implementation\n\nprocedure Run;\nbegin\n  Help;\nend;\n\nend.\n");
    Fx.F.Write("lib/Helper.pas", "unit Helper;\n\ninterface\n\nprocedure Help;\n\nimplementation\n\n"
                                 "procedure Help;\nbegin\nend;\n\nend.\n");
    Fx.Analyze("Fixture.dpr", "program Fixture;\n\nuses\n  Windows,\n  Other in 'Other.pas',\n"
                              "{$IF CompilerVersion < 18}\n  Helper in 'lib\\Helper.pas';\n{$ELSE}\n"
                              "  Helper in 'lib2010\\Helper.pas';\n{$IFEND}\n\nbegin\n  Run;\nend.\n");
    EXPECT_EQ(Fx.Messages({"Windows"}), "");
    TqlUnit* Helper = Fx.P->FindUnit("Helper");
    ASSERT_NE(Helper, nullptr);
    EXPECT_EQ(Helper->ParserState, psrFull);
}

TEST(Delphi7Directives, AByteOrderMarkTakesNoColumnOnTheFirstLine)
{
    TFixture Fx("\xEF\xBB\xBFunit Fixture;\r\n\r\ninterface\r\n\r\nvar\r\n  Marker: Integer;\r\n\r\n"
                "implementation\r\n\r\nprocedure Tail;\r\nbegin\r\n  Marker := 1;\r\nend;\r\n\r\nend.\r\n");
    EXPECT_EQ(Fx.Messages(), "");
    EXPECT_EQ(Fx.Unit->GetX(), 6);
    EXPECT_EQ(Fx.Unit->GetY(), 1);
    std::string Errors;
    for (int I = 0; I < Fx.Unit->GetCodingErrorsList()->GetCount(); ++I) {
        TqlCodeError* E = Fx.Unit->GetCodingErrorsList()->GetItems(I);
        if (E->GetErrorKind() == ekBadIndentation)
            Errors += std::to_string(E->GetX()) + "," + std::to_string(E->GetY()) + " ";
    }
    EXPECT_EQ(Errors, "");
}

TEST(Delphi7Directives, FlatChainsOfGeneratedCodeAreReadToTheEnd)
{
    const int N = 1500;
    std::string Sum = "  X := A[0]", Dotted = "  X := R.B[0]", ElseIf = "  if X = 0 then\n    Y := 0", Labels = "  case X of\n";
    for (int I = 1; I <= N; ++I) {
        const std::string V = std::to_string(I);
        Sum += " + A[" + V + "]";
        Dotted += " + R.B[" + V + "]";
        ElseIf += "\n  else if X = " + V + " then\n    Y := A[" + V + "]";
        Labels += "    " + V + ": Y := " + V + ";\n";
    }
    TFixture Fx(Unit("type\n  TRec = record\n    B: array [0..2000] of Integer;\n  end;\n\n"
                     "var\n  A: array [0..2000] of Integer;\n  R: TRec;\n  X, Y: Integer;\n",
                     "procedure Tail;\nbegin\n" + Sum + ";\n" + Dotted + ";\n" + ElseIf + ";\n" + Labels +
                         "  end;\n  Y := X;\nend;\n"));
    EXPECT_EQ(Fx.Messages(), "");
    EXPECT_EQ(Fx.Uses("A"), 2 * N + 1);
    EXPECT_EQ(Fx.Uses("Y"), 2 * N + 2);
    EXPECT_EQ(Fx.Uses("R"), N + 1);
    TqlRecord* Rec = Fx.Unit->GetRecords()->Find("TRec");
    ASSERT_NE(Rec, nullptr);
    ASSERT_NE(Rec->GetFieldList()->Find("B"), nullptr);
    EXPECT_EQ(Rec->GetFieldList()->Find("B")->GetUsedBy()->GetCount(), N + 1);
}
