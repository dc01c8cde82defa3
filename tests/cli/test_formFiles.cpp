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
