#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
const std::string DataDir = QUILLET_TEST_DATA;

std::string ReadFile(const std::string& Name)
{
    std::ifstream F(DataDir + "/" + Name, std::ios::binary);
    std::ostringstream S;
    S << F.rdbuf();
    return S.str();
}

// The unit of the main form and a data module unit that it uses.
struct TFormModel {
    TProjectScope Project;
    TqlUnit* Main = nullptr;
    TqlUnit* Data = nullptr;
    TqlClass* Form = nullptr;
    TqlVariable* Button1 = nullptr;
    TqlVariable* Panel1 = nullptr;
    TqlVariable* Frame1 = nullptr;
    TqlRoutine* FormCreate = nullptr;
    TqlRoutine* Button1Click = nullptr;
    TqlRoutine* Unused = nullptr;
    TqlVariable* DataModule1 = nullptr;
    TqlVariable* Table1 = nullptr;

    TFormModel()
    {
        Main = Project->NewUnit("Main");
        Data = Project->NewUnit("DataMod");
        const int MF = Main->GetFileIndex(), DF = Data->GetFileIndex();
        Form = Main->GetClasses()->AddClass("TForm1", vkInterface, MF, 6, 3);
        Button1 = Form->GetVariables()->AddVariable("Button1", vkPublished, false, MF, 5, 4);
        Panel1 = Form->GetVariables()->AddVariable("Panel1", vkPublished, false, MF, 5, 5);
        Frame1 = Form->GetVariables()->AddVariable("Frame1", vkPublished, false, MF, 5, 6);
        FormCreate = Form->GetRoutines()->AddRoutine("FormCreate", vkPublished, rkProcedure, MF, 5, 7);
        Button1Click = Form->GetRoutines()->AddRoutine("Button1Click", vkPublished, rkProcedure, MF, 5, 8);
        Unused = Form->GetRoutines()->AddRoutine("Unused", vkPublished, rkProcedure, MF, 5, 9);
        TqlClass* DM = Data->GetClasses()->AddClass("TDataModule1", vkInterface, DF, 6, 3);
        Table1 = DM->GetVariables()->AddVariable("Table1", vkPublished, false, DF, 5, 4);
        DataModule1 = Data->GetVariables()->AddVariable("DataModule1", vkInterface, false, DF, 3, 9);
        DataModule1->SetTypeIntf(DM);
        Main->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(Data));
    }

    void Read(const std::string& Name) { Main->GetDFMResource()->ReadResource(Main, DataDir + "/" + Name); }
};

void DumpComponent(TqlComponent* C, int Level, std::ostringstream& Out)
{
    Out << std::string(size_t(Level) * 2, ' ') << C->GetName() << ':' << C->GetCClassName()
        << " inh=" << C->GetIsInherited() << " inl=" << C->GetIsInline() << " pos=" << C->GetPosition()
        << '\n';
    TqlComponentPropertiesList* P = C->GetProperties();
    for (int i = 0; i < P->GetCount(); ++i) {
        TqlComponentProperty* Prop = P->GetProperties(i);
        Out << std::string(size_t(Level) * 2 + 2, ' ') << Prop->GetName() << " [" << int(Prop->GetValueType())
            << "] " << Prop->GetValue().AsString() << '\n';
    }
    for (int i = 0; i < C->GetChildComponents()->GetCount(); ++i)
        DumpComponent(C->GetChildComponents()->GetComponents(i), Level + 1, Out);
}

std::string Dump(TqlDFMResource* R)
{
    std::ostringstream Out;
    for (int i = 0; i < R->GetComponents()->GetCount(); ++i)
        DumpComponent(R->GetComponents()->GetComponents(i), 0, Out);
    return Out.str();
}

std::string UseCounts(const TFormModel& M)
{
    std::ostringstream Out;
    for (TqlSymbol* S : std::vector<TqlSymbol*>{M.Button1, M.Panel1, M.Frame1, M.FormCreate, M.Button1Click,
                                                M.Unused, M.DataModule1, M.Table1})
        Out << S->GetName() << '=' << S->GetUsedBy()->GetCount() << ' ';
    return Out.str();
}

std::string ReadText(const std::string& Text, std::unique_ptr<TqlDFMResource>& R)
{
    R = std::make_unique<TqlDFMResource>();
    std::istringstream S(Text);
    R->ReadStream(nullptr, S);
    return Dump(R.get());
}

std::string ErrorOf(const std::string& Text)
{
    std::unique_ptr<TqlDFMResource> R;
    try {
        ReadText(Text, R);
    } catch (const EParserError& E) {
        return E.what();
    }
    return "no error";
}
} // namespace

TEST(Forms, TextFormRecordsTheUsesOfItsComponentsAndHandlers)
{
    TFormModel M;
    EXPECT_FALSE(M.Button1Click->GetIsUsedFromDFM());
    M.Read("MainForm.txt.dfm");
    TqlDFMResource* R = M.Main->GetDFMResource();
    EXPECT_EQ(R->GetFileIndex(), 2);
    EXPECT_EQ(R->GetUnitIndex(), 0);
    EXPECT_TRUE(M.Project->GetFileNames()->GetItems(2)->Exists);
    EXPECT_EQ(M.Project->GetFileNames()->GetItems(2)->GetUnitIntf(), M.Main);

    EXPECT_EQ(UseCounts(M), "Button1=1 Panel1=1 Frame1=1 FormCreate=1 Button1Click=1 Unused=0 "
                            "DataModule1=1 Table1=1 ");
    TqlUsedByLocation* Click = M.Button1Click->GetUsedBy()->GetLocations(0);
    EXPECT_EQ(Click->GetX(), 1);
    EXPECT_EQ(Click->GetY(), 18);
    EXPECT_EQ(Click->GetFileIndex(), 2);
    EXPECT_FALSE(Click->GetIsWrongCase());
    EXPECT_EQ(M.Button1->GetUsedBy()->GetLocations(0)->GetX(), 1);
    EXPECT_EQ(M.Table1->GetUsedBy()->GetLocations(0)->GetY(), 8);
    EXPECT_EQ(M.DataModule1->GetUsedBy()->GetLocations(0)->GetY(), 8);
    EXPECT_EQ(M.Main->GetUsedByLocations()->GetCount(), 7) << "uses in the form belong to its unit";
    EXPECT_TRUE(M.Button1Click->GetIsUsedFromDFM());
    EXPECT_FALSE(M.Unused->GetIsUsedFromDFM());

    ASSERT_EQ(R->GetComponents()->GetCount(), 1);
    TqlComponent* Form = R->GetComponents()->GetComponents(0);
    EXPECT_EQ(Form->GetName(), "Form1");
    EXPECT_EQ(Form->GetCClassName(), "TForm1");
    TqlComponentPropertiesList* P = Form->GetProperties();
    EXPECT_EQ(P->GetProperties(2)->GetValue(), Variant("Main 'form'"));
    EXPECT_EQ(P->GetProperties(3)->GetName(), "Font") << "a dotted name keeps its first part";
    EXPECT_EQ(P->GetProperties(6)->GetValueType(), dptIdentifier);
    EXPECT_EQ(P->GetProperties(6)->GetValue(), Variant("DataModule1.Table1"));
    EXPECT_EQ(P->GetProperties(7)->GetValueType(), dptFloat);
    EXPECT_EQ(P->GetProperties(7)->GetValue(), Variant(1.5));
    EXPECT_EQ(P->GetProperties(8)->GetValueType(), dptString) << "a set keeps no value";
    EXPECT_TRUE(P->GetProperties(8)->GetValue().IsEmpty());

    TqlComponent* Button = Form->GetChildComponents()->GetComponents(0);
    EXPECT_EQ(Button->GetPosition(), -1);
    EXPECT_EQ(Button->GetProperties()->GetProperties(0)->GetValue(), Variant(-8));
    TqlComponent* Panel = Form->GetChildComponents()->GetComponents(1);
    EXPECT_TRUE(Panel->GetIsInherited());
    EXPECT_FALSE(Panel->GetIsInline());
    EXPECT_EQ(Panel->GetPosition(), 2);
    EXPECT_TRUE(Panel->GetProperties()->HasProperty("Width")) << "collection items join the owner";
    EXPECT_TRUE(Panel->GetProperties()->HasProperty("title"));
    TqlComponent* Frame = Panel->GetChildComponents()->GetComponents(0);
    EXPECT_TRUE(Frame->GetIsInline());
    EXPECT_EQ(Frame->GetProperties()->GetProperties(0)->GetValue(), Variant(int64_t(5000000000)));

    EXPECT_TRUE(R->HasProperty("OnClick")) << "a direct child's property";
    EXPECT_FALSE(R->HasProperty("Big")) << "only one level down";
    EXPECT_TRUE(R->HasPropertyWithIdentifier("button1click"));
    EXPECT_FALSE(R->HasPropertyWithIdentifier("Unused"));
}

TEST(Forms, BinaryFormGivesTheSameModelAsItsTextForm)
{
    TFormModel Text;
    Text.Read("MainForm.txt.dfm");
    TFormModel Binary;
    Binary.Read("MainForm.bin.dfm");
    const std::string TextDump = Dump(Text.Main->GetDFMResource());
    EXPECT_EQ(Dump(Binary.Main->GetDFMResource()), TextDump);
    EXPECT_EQ(UseCounts(Binary), UseCounts(Text));
    EXPECT_NE(TextDump.find("Frame1:TFrame1 inh=0 inl=1"), std::string::npos) << TextDump;
    EXPECT_TRUE(Binary.Button1Click->GetIsUsedFromDFM());
    EXPECT_EQ(Binary.Button1Click->GetUsedBy()->GetLocations(0)->GetX(), 1);

    std::istringstream B(ReadFile("MainForm.bin.dfm"));
    EXPECT_TRUE(TqlDFMResource::IsBinary(B));
    EXPECT_EQ(B.tellg(), 0) << "the position is restored";
    std::istringstream T(ReadFile("MainForm.txt.dfm"));
    EXPECT_FALSE(TqlDFMResource::IsBinary(T));
}

TEST(Forms, MissingAndShortFiles)
{
    TFormModel M;
    M.Read("NoSuchForm.dfm");
    EXPECT_EQ(M.Main->GetDFMResource()->GetFileIndex(), 2);
    EXPECT_FALSE(M.Project->GetFileNames()->GetItems(2)->Exists);
    EXPECT_EQ(M.Main->GetDFMResource()->GetComponents()->GetCount(), 0);

    try {
        M.Read("Short.dfm");
        FAIL() << "a two-byte form was accepted";
    } catch (const EParserError& E) {
        EXPECT_STREQ(E.what(), "Unable to read from stream.");
    }
    EXPECT_EQ(M.Project->GetFileNames()->GetCount(), 4);
}

TEST(Forms, EveryTruncationOfABinaryFormIsAClearError)
{
    const std::string Full = ReadFile("MainForm.bin.dfm");
    ASSERT_GT(Full.size(), 100u);
    for (size_t Len = 3; Len < Full.size(); ++Len) {
        std::unique_ptr<TqlDFMResource> R;
        const std::string E = ErrorOf(Full.substr(0, Len));
        EXPECT_NE(E, "no error") << "length " << Len;
    }
    // Lengths that claim more than the file holds.
    std::string Bad = Full;
    const size_t At = Bad.find("\x0a\x02\x00\x00\x00", 0, 5);
    ASSERT_NE(At, std::string::npos);
    Bad[At + 4] = '\x7f';
    EXPECT_NE(ErrorOf(Bad).find("truncated"), std::string::npos);
}

TEST(Forms, NestingIsCapped)
{
    std::string Deep;
    for (int i = 0; i < 1000; ++i)
        Deep += "object C" + std::to_string(i) + ": TPanel\n";
    for (int i = 0; i < 1000; ++i)
        Deep += "end\n";
    EXPECT_NE(ErrorOf(Deep).find("nesting too deep"), std::string::npos);

    std::string Lists = "object A: TA\n  P = " + std::string(5000, '(') + "\nend\n";
    EXPECT_NE(ErrorOf(Lists).find("nesting too deep"), std::string::npos);

    std::string Shallow;
    for (int i = 0; i < 50; ++i)
        Shallow += "object C" + std::to_string(i) + ": TPanel\n";
    for (int i = 0; i < 50; ++i)
        Shallow += "end\n";
    EXPECT_EQ(ErrorOf(Shallow), "no error");

    // Deep binary nesting: each object opens the next.
    const char Header[] = "\xff\x0a\x00X\x00\x30\x10\x00\x00\x00\x00TPF0";
    std::string Bin(Header, sizeof Header - 1);
    for (int i = 0; i < 1000; ++i)
        Bin += std::string("\x01" "A" "\x01" "a" "\x00", 5);
    EXPECT_NE(ErrorOf(Bin).find("nesting too deep"), std::string::npos);
}

TEST(Forms, MalformedTextGivesClearErrors)
{
    EXPECT_EQ(ErrorOf("object : TX\nend\n"), "Identifier expected on line 1");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = )\nend\n"), "Invalid property on line 2");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = 'abc\nend\n"), "Unterminated string on line 2");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = 'a' + B\nend\n"), "String expected on line 2");
    EXPECT_EQ(ErrorOf("object A: TA [x]\nend\n"), "Number expected on line 1");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = <\n  x>\nend\n"), "item expected on line 3");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = (1 2\n"), "Invalid property on line 3");
    EXPECT_EQ(ErrorOf("object A: TA\n  P = 99999999999999999999\nend\n"), "Invalid number on line 2");
    EXPECT_EQ(ErrorOf(""), "Unable to read from stream.");
    EXPECT_EQ(ErrorOf("   "), "no error") << "no object block at all";
    EXPECT_EQ(ErrorOf("object A: TA\n  P = 1"), "no error") << "a missing end is tolerated";
}

TEST(Forms, TextValuesAndLinesPast65535)
{
    std::string Text = "object Form1: TForm1\n";
    Text += std::string(70000, '\n');
    Text += "  Tag = $FF\n  Str = 'a' +\n    'b'#13#10'c'\n  W = #1234\n  S = 1.5s\n  OnClick = Button1Click\nend\n";
    TFormModel M;
    std::istringstream S(Text);
    M.Main->GetDFMResource()->ReadStream(M.Main, S);
    ASSERT_EQ(M.Button1Click->GetUsedBy()->GetCount(), 1);
    EXPECT_EQ(M.Button1Click->GetUsedBy()->GetLocations(0)->GetY(), 70007);
    TqlComponentPropertiesList* P =
        M.Main->GetDFMResource()->GetComponents()->GetComponents(0)->GetProperties();
    EXPECT_EQ(P->GetProperties(0)->GetValue(), Variant(255));
    EXPECT_EQ(P->GetProperties(1)->GetValue(), Variant("ab\r\nc"));
    EXPECT_EQ(P->GetProperties(2)->GetValue(), Variant("?"));
    EXPECT_EQ(P->GetProperties(3)->GetValue(), Variant(1.5));
}

TEST(Forms, BinaryConverterWritesTheTextForm)
{
    const std::string Text = qlObjectBinaryToText(ReadFile("MainForm.bin.dfm"));
    EXPECT_EQ(Text.rfind("object Form1: TForm1\r\n", 0), 0u) << Text;
    EXPECT_NE(Text.find("  inherited Panel1: TPanel [2]\r\n"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Caption = 'Main ''form'''"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Anchors = [akLeft, akTop]"), std::string::npos) << Text;
    EXPECT_NE(Text.find("Ratio = 1.5"), std::string::npos) << Text;
    EXPECT_THROW(qlObjectBinaryToText("TPF1"), EParserError);
    EXPECT_THROW(qlObjectBinaryToText(""), EParserError);
}

namespace {
// The properties of a component as "Line Name" lines, items indented under
// their collection, each item by its line.
void DumpPlaced(const TqlComponentProperty* P, int Level, std::ostringstream& Out)
{
    Out << std::string(size_t(Level) * 2, ' ') << P->GetLine() << ' ' << P->GetFullName() << '\n';
    for (int I = 0; I < P->GetItemCount(); ++I) {
        TqlCollectionItem* Item = P->GetItems(I);
        EXPECT_EQ(Item->GetCollection(), P);
        Out << std::string(size_t(Level) * 2 + 2, ' ') << "item " << Item->GetLine() << '\n';
        for (int K = 0; K < Item->GetCount(); ++K) {
            EXPECT_EQ(Item->GetProperties(K)->GetOwnerItem(), Item);
            DumpPlaced(Item->GetProperties(K), Level + 2, Out);
        }
    }
}

std::string Placed(TqlComponent* C)
{
    std::ostringstream Out;
    TqlComponentPropertiesList* List = C->GetProperties();
    for (int I = 0; I < List->GetCount(); ++I)
        if (!List->GetProperties(I)->GetOwnerItem())
            DumpPlaced(List->GetProperties(I), 0, Out);
    return Out.str();
}

bool ReadWhole(const std::string& Text)
{
    TqlDFMResource R;
    std::istringstream S(Text);
    R.ReadStream(nullptr, S);
    return R.GetReadWhole();
}
} // namespace

TEST(Forms, PropertiesKeepTheirLinesDottedNamesAndCollectionItems)
{
    TFormModel M;
    M.Read("MainForm.txt.dfm");
    TqlComponent* Form = M.Main->GetDFMResource()->GetComponents()->GetComponents(0);
    EXPECT_EQ(Placed(Form), "2 Left\n3 Top\n4 Caption\n5 Font.Name\n6 Scaled\n7 OnCreate\n8 DataSource\n"
                            "9 Ratio\n10 Anchors\n11 Items.Strings\n14 Picture.Data\n");
    EXPECT_EQ(Form->GetProperties()->GetProperties(3)->GetName(), "Font");
    TqlComponent* Panel = Form->GetChildComponents()->GetComponents(1);
    EXPECT_EQ(Placed(Panel), "21 Columns\n  item 22\n    23 Width\n    24 Title\n");
    EXPECT_TRUE(M.Main->GetDFMResource()->GetReadWhole());

    // The binary form: the same items and names, at the lines of its text
    // form.
    TFormModel B;
    B.Read("MainForm.bin.dfm");
    TqlComponent* BinForm = B.Main->GetDFMResource()->GetComponents()->GetComponents(0);
    const std::string Text = qlObjectBinaryToText(ReadFile("MainForm.bin.dfm"));
    std::vector<std::string> Lines{""};
    for (char C : Text)
        C == '\n' ? Lines.push_back("") : Lines.back().push_back(C);
    TqlComponent* BinPanel = BinForm->GetChildComponents()->GetComponents(1);
    TqlComponentProperty* Columns = BinPanel->GetProperties()->GetProperties(0);
    ASSERT_EQ(Columns->GetItemCount(), 1);
    ASSERT_EQ(Columns->GetItems(0)->GetCount(), 2);
    for (TqlComponentProperty* P : {BinForm->GetProperties()->GetProperties(4), Columns,
                                    Columns->GetItems(0)->GetProperties(1)})
        EXPECT_NE(Lines.at(size_t(P->GetLine() - 1)).find(P->GetFullName() + " = "), std::string::npos)
            << P->GetFullName() << " at " << P->GetLine();
    EXPECT_EQ(Columns->GetItems(0)->GetProperties(1)->GetFullName(), "Title");
    EXPECT_TRUE(B.Main->GetDFMResource()->GetReadWhole());
}

TEST(Forms, CollectionsNestInItems)
{
    std::unique_ptr<TqlDFMResource> R;
    ReadText("object Grid: TGrid\n"
             "  Bands = <\n"
             "    item\n"
             "      Caption.Text = 'A'\n"
             "      Columns = <\n"
             "        item\n"
             "          Width = 1\n"
             "        end\n"
             "        item\n"
             "          Font.Size = 2\n"
             "        end>\n"
             "    end>\n"
             "  Empty = <>\n"
             "end\n",
             R);
    TqlComponent* Grid = R->GetComponents()->GetComponents(0);
    EXPECT_EQ(Placed(Grid), "2 Bands\n  item 3\n    4 Caption.Text\n    5 Columns\n      item 6\n"
                            "        7 Width\n      item 9\n        10 Font.Size\n13 Empty\n");
    EXPECT_TRUE(Grid->GetProperties()->HasProperty("Width")) << "item properties still join the owner";
    EXPECT_TRUE(R->GetReadWhole());
}

TEST(Forms, AFormTakenInPartIsNotReadWhole)
{
    struct TCase {
        const char* Text;
        bool Whole;
    };
    const TCase Cases[] = {
        {"object A: TA\n  P = 1\nend\n", true},
        {"inherited A: TA\nend\n", true},
        {"   ", true},
        {"object A: TA\n  P = 1", false},                              // no end
        {"object A: TA\n  object B: TB\n    P = 1\n", false},          // inner block left open
        {"object A: TA\nend\nobject B: TB\nend\n", false},             // a second top-level block
        {"objects A: TA\nend\n", false},                               // no block at all
        {"object A: TA\n  P\nend\n", false},                           // a name without a value
        {"object A: TA\n  12 = 3\nend\n", false},                      // a property without a name
        {"object A: TA\n  P = <\n    item\n      W = 1\n    end>\n", false}, // the block left open
        {"object A: TA\n  object B: TB\n  foo\n  end\nend\n", false}, // a word among the blocks
    };
    for (const TCase& C : Cases)
        EXPECT_EQ(ReadWhole(C.Text), C.Whole) << C.Text;
}
