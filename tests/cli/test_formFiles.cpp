// Form files met by the analysis: a text form saved with a UTF-8 byte-order
// mark is read like any other, and a malformed form gives a message on its
// unit while the analysis goes on to the units after it.
#include "ProjectTestSupport.h"

namespace {

const char* const FormUnit =
    "unit Main;\ninterface\ntype\n  TForm1 = class\n  published\n    Button1: TObject;\n"
    "    procedure Button1Click(Sender: TObject);\n  end;\n"
    "implementation\n{$R *.dfm}\nprocedure TForm1.Button1Click(Sender: TObject);\nbegin\nend;\nend.\n";

const char* const FormText =
    "object Form1: TForm1\n  Caption = 'Main'\n  object Button1: TButton\n"
    "    OnClick = Button1Click\n  end\nend\n";

} // namespace

TEST(FormFiles, ByteOrderMarkAndMalformedForms)
{
    struct TCase {
        const char* Name;
        std::string Form;
        int Components;       // top-level components read
        bool HandlerUsed;     // Button1Click recorded as used from the form
        const char* Message;  // the message on the unit, "" for none
    };
    const TCase Cases[] = {
        {"plain text", FormText, 1, true, ""},
        {"UTF-8 byte-order mark", std::string("\xEF\xBB\xBF") + FormText, 1, true, ""},
        {"unterminated string", "object Form1: TForm1\n  Caption = 'Main\nend\n", 1, false,
         "Form file, Main.dfm, cannot be read: Unterminated string"},
        {"too short", "ob", 0, false, "Form file, Main.dfm, cannot be read: Unable to read from stream."},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TCliFolder T;
        T.Write("Main.pas", FormUnit);
        T.Write("Main.dfm", C.Form);
        T.Write("Later.pas", "unit Later;\ninterface\nconst LaterConst = 1;\nimplementation\nend.\n");
        const std::string Prog =
            T.Write("Prog.dpr", "program Prog;\nuses Main, Later;\nbegin\nend.\n");
        TProjectScope P;
        ASSERT_NO_THROW(P.Analyze(Prog));
        TqlUnit* Main = P.Unit("Main");
        ASSERT_NE(Main, nullptr);
        EXPECT_EQ(Main->GetDFMResource()->GetComponents()->GetCount(), C.Components);
        TqlRoutine* Handler = Main->GetClasses()->Find("TForm1")->GetRoutines()->Find("Button1Click");
        ASSERT_NE(Handler, nullptr);
        EXPECT_EQ(Handler->GetIsUsedFromDFM(), C.HandlerUsed);
        // The units after the form's unit are still analysed.
        TqlUnit* Later = P.Unit("Later");
        ASSERT_NE(Later, nullptr);
        EXPECT_EQ(Later->ParserState, psrFull);
        EXPECT_NE(Later->GetConstants()->Find("LaterConst"), nullptr);
        if (*C.Message) {
            EXPECT_EQ(P.CountMessage(C.Message), 1) << testing::PrintToString(P.Messages());
            EXPECT_TRUE(Main->Warnings.Contains(uwImplementation));
            // The message names the form file, which belongs to the unit.
            Ref<IqlMessage> M = P->GetMessages()->GetItems(P->GetMessages()->GetCount() - 1);
            EXPECT_EQ(M->GetCodeLocation()->GetUnitIntf(), Main);
        } else {
            for (const std::string& M : P.Messages())
                EXPECT_EQ(M.find("Form file"), std::string::npos) << M;
        }
    }
}

TEST(FormFiles, QlcheckGoesOnAfterAMalformedForm)
{
    TCliFolder T;
    T.Write("Main.pas", FormUnit);
    T.Write("Main.dfm", "object Form1: TForm1\n  Caption = 'Main\nend\n");
    T.Write("Later.pas", "unit Later;\ninterface\nimplementation\nend.\n");
    T.Write("Prog.dpr", "program Prog;\nuses Main, Later;\nbegin\nend.\n");
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"Prog.dpr"}, T.Path());
    EXPECT_EQ(R.ExitCode, 0) << R.Err;
    EXPECT_NE(R.Out.find("Later.pas Implementation"), std::string::npos) << R.Out;
}

// Every form a unit streams is read and names its handlers: the form of
// {$R *.dfm}, of {$R Name.dfm} in any spelling, and the form of the unit's
// name beside it, which a program may stream at run time with no {$R}.
TEST(FormFiles, EveryFormAUnitStreamsIsRead)
{
    struct TCase {
        const char* Directives;  // in the unit's implementation section
        const char* Form;        // the form file written, relative to the folder
        const char* FormRead;    // the file the handler's use lies in, "" for none
        int Forms;               // forms of the unit
    };
    const TCase Cases[] = {
        {"{$R *.dfm}", "Main.dfm", "Main.dfm", 1},
        {"{$R FForm.dfm}", "FForm.dfm", "FForm.dfm", 1},
        {"{$R 'FForm.dfm'}", "FForm.dfm", "FForm.dfm", 1},
        {"{$R fform.DFM}", "FForm.dfm", "FForm.dfm", 1},
        {"{$RESOURCE FForm.dfm}", "FForm.dfm", "FForm.dfm", 1},
        {"{$R Forms\\FForm.dfm}", "forms/FForm.dfm", "FForm.dfm", 1},
        {"{$R Forms/FForm.dfm}", "Forms/FForm.dfm", "FForm.dfm", 1},
        {"", "Main.dfm", "Main.dfm", 1},
        {"", "MAIN.DFM", "MAIN.DFM", 1},
        {"", "Other.dfm", "", 1},
        {"{$R *.dfm}\n{$R Extra.dfm}", "Extra.dfm", "Extra.dfm", 2},
        {"{$R Extra.dfm}", "Main.dfm", "Main.dfm", 2},
        {"{$R *.res}\n{$R Extra.res}", "Extra.dfm", "", 1},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Directives + std::string(" with ") + C.Form);
        TCliFolder T;
        std::string Unit = FormUnit;
        Unit.replace(Unit.find("{$R *.dfm}"), 10, C.Directives);
        T.Write("Main.pas", Unit);
        // The handler is named on line 4 of the form.
        T.Write(C.Form, FormText);
        const std::string Prog = T.Write("Prog.dpr", "program Prog;\nuses Main;\nbegin\nend.\n");
        TProjectScope P;
        ASSERT_NO_THROW(P.Analyze(Prog));
        TqlUnit* Main = P.Unit("Main");
        ASSERT_NE(Main, nullptr);
        EXPECT_EQ(Main->GetFormCount(), C.Forms);
        TqlRoutine* Handler = Main->GetClasses()->Find("TForm1")->GetRoutines()->Find("Button1Click");
        ASSERT_NE(Handler, nullptr);
        EXPECT_EQ(Handler->GetIsUsedFromDFM(), *C.FormRead != 0);
        std::string UsedIn;
        for (int I = 0; I < Handler->GetUsedBy()->GetCount(); ++I) {
            TqlUsedByLocation* Use = Handler->GetUsedBy()->GetLocations(I);
            TqlSourceFile* File = P->GetFileNames()->GetItems(Use->GetFileIndex());
            if (File->GetUnitIntf() == Main && Use->GetFileIndex() != Main->GetFileIndex())
                UsedIn = qlExtractFileName(File->GetFullFileName()) + ":" + std::to_string(Use->GetY());
        }
        EXPECT_EQ(UsedIn, *C.FormRead ? std::string(C.FormRead) + ":4" : std::string());
        for (const std::string& M : P.Messages())
            EXPECT_EQ(M.find("Form file"), std::string::npos) << M;
    }
}
