#include "settings/uqlFileSettings.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlStringList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class ValueStoreTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("store.ini");
    Ref<IqlFileSettings> Settings = MakeRef<TqlFileSettings>(Name);

    Ref<TqlStringList> List(std::initializer_list<const char*> Lines)
    {
        auto L = MakeRef<TqlStringList>();
        for (const char* S : Lines)
            L->Add(S);
        return L;
    }
};

} // namespace

TEST_F(ValueStoreTest, ValuesAreStoredAsTextOfTheirKind)
{
    Settings->WriteValue("v", "int", Variant(42));
    Settings->WriteValue("v", "neg", Variant(int16_t(-7)));
    Settings->WriteValue("v", "dbl", Variant(2.5));
    Settings->WriteValue("v", "third", Variant(1.0 / 3.0));
    Settings->WriteValue("v", "yes", Variant(true));
    Settings->WriteValue("v", "no", Variant(false));
    Settings->WriteValue("v", "str", Variant("text with = sign"));
    Settings->WriteValue("v", "empty", Variant());
    EXPECT_EQ(ReadFileBytes(Name), "[v]\r\nint=42\r\nneg=-7\r\ndbl=2.5\r\nthird=0.333333333333333\r\n"
                                   "yes=T\r\nno=F\r\nstr=text with = sign\r\nempty=\r\n");
}

TEST_F(ValueStoreTest, ValuesReadBackAsTheKindOfTheDefault)
{
    Settings->WriteValue("v", "int", Variant(42));
    Settings->WriteValue("v", "dbl", Variant(-0.125));
    Settings->WriteValue("v", "yes", Variant(true));
    Settings->WriteValue("v", "str", Variant("abc"));

    const Variant I = Settings->ReadValue("v", "int", Variant(int16_t(0)));
    EXPECT_EQ(I.GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(I.AsInteger(), 42);
    EXPECT_EQ(Settings->ReadValue("v", "dbl", Variant(0.0)), Variant(-0.125));
    EXPECT_EQ(Settings->ReadValue("v", "yes", Variant(false)), Variant(true));
    EXPECT_EQ(Settings->ReadValue("v", "str", Variant("")), Variant("abc"));
    // Read as a string, a number is its text.
    EXPECT_EQ(Settings->ReadValue("v", "int", Variant("")), Variant("42"));
    EXPECT_EQ(Settings->ReadValue("v", "yes", Variant("")), Variant("T"));
}

TEST_F(ValueStoreTest, MissingKeysGiveTheDefaultThroughItsText)
{
    EXPECT_EQ(Settings->ReadValue("v", "none", Variant(2)), Variant(2));
    EXPECT_EQ(Settings->ReadValue("v", "none", Variant(int8_t(2))).GetKind(),
              Variant::Kind::Integer);
    EXPECT_EQ(Settings->ReadValue("v", "none", Variant("same")), Variant("same"));
    EXPECT_EQ(Settings->ReadValue("v", "none", Variant(true)), Variant(true));
    EXPECT_EQ(Settings->ReadValue("v", "none", Variant(1.5)), Variant(1.5));
    EXPECT_FALSE(std::filesystem::exists(Name));
}

TEST_F(ValueStoreTest, OnlyCapitalTIsTrue)
{
    WriteFileBytes(Name, "[b]\r\nt=t\r\nTrue=True\r\none=1\r\ncap=T\r\nsp= T \r\n");
    EXPECT_FALSE(Settings->ReadValue("b", "t", Variant(true)).AsBoolean());
    EXPECT_FALSE(Settings->ReadValue("b", "True", Variant(true)).AsBoolean());
    EXPECT_FALSE(Settings->ReadValue("b", "one", Variant(true)).AsBoolean());
    EXPECT_TRUE(Settings->ReadValue("b", "cap", Variant(false)).AsBoolean());
    EXPECT_TRUE(Settings->ReadValue("b", "sp", Variant(false)).AsBoolean())
        << "blanks around a value are not part of it";
}

TEST_F(ValueStoreTest, TextThatIsNoNumberKeepsTheDefault)
{
    WriteFileBytes(Name, "[n]\r\nempty=\r\nword=four\r\nhalf=4.5\r\nhuge=99999999999\r\n"
                         "hex=$10\r\nplus=+7\r\nspaced= 12 \r\nd=x1.5\r\n");
    EXPECT_EQ(Settings->ReadValue("n", "empty", Variant(2)), Variant(2));
    EXPECT_EQ(Settings->ReadValue("n", "word", Variant(2)), Variant(2));
    EXPECT_EQ(Settings->ReadValue("n", "half", Variant(2)), Variant(2));
    EXPECT_EQ(Settings->ReadValue("n", "huge", Variant(2)), Variant(2)) << "beyond 32 bits";
    EXPECT_EQ(Settings->ReadValue("n", "hex", Variant(2)), Variant(2));
    EXPECT_EQ(Settings->ReadValue("n", "plus", Variant(2)), Variant(7));
    EXPECT_EQ(Settings->ReadValue("n", "spaced", Variant(2)), Variant(12));
    EXPECT_EQ(Settings->ReadValue("n", "d", Variant(0.5)), Variant(0.5));
    EXPECT_EQ(Settings->ReadValue("n", "half", Variant(0.5)), Variant(4.5));
}

TEST_F(ValueStoreTest, EmptyDefaultIsAnUnknownValueType)
{
    try {
        Settings->ReadValue("Sec", "Key", Variant());
        FAIL() << "no error";
    } catch (const Exception& E) {
        EXPECT_STREQ(E.what(), "Unknown value type in section, Sec, option, Key.");
    }
}

TEST_F(ValueStoreTest, EmptySectionOrKeyWritesNothing)
{
    Settings->WriteValue("", "k", Variant(1));
    Settings->WriteValue("s", "", Variant(1));
    EXPECT_FALSE(std::filesystem::exists(Name));
}

TEST_F(ValueStoreTest, WriteSectionSplitsAtTheFirstEqualsSign)
{
    Settings->WriteValue("sec", "old", Variant("gone"));
    Settings->WriteSection("sec", List({"a=b=c", "lonely", "  ", "Key=1", "KEY=2"}));
    EXPECT_EQ(ReadFileBytes(Name), "[sec]\r\na=b=c\r\nlonely=\r\nKey=2\r\n");
    auto Values = MakeRef<TqlStringList>();
    Values->Add("previous");
    Settings->ReadSectionValues("sec", Values);
    EXPECT_EQ(Values->Lines(), (std::vector<std::string>{"a=b=c", "lonely=", "Key=2"}));
    auto Keys = MakeRef<TqlStringList>();
    Settings->ReadSection("sec", Keys);
    EXPECT_EQ(Keys->Lines(), (std::vector<std::string>{"a", "lonely", "Key"}));
    Settings->ReadSection("missing", Keys);
    EXPECT_EQ(Keys->GetCount(), 0);
}

TEST_F(ValueStoreTest, WriteSectionRefusesLinesThatWouldCorruptTheFile)
{
    Settings->WriteSection("sec", List({"keep"}));
    const std::string Before = ReadFileBytes(Name);
    EXPECT_THROW(Settings->WriteSection("sec", List({"ok", "two\nlines"})), Exception);
    EXPECT_THROW(Settings->WriteSection("sec", List({"ok", "[other]"})), Exception);
    EXPECT_THROW(Settings->WriteSection("sec", List({"ok", ";comment"})), Exception);
    EXPECT_THROW(Settings->WriteSection("sec", List({"ok", "=value"})), Exception);
    EXPECT_EQ(ReadFileBytes(Name), Before);
}

TEST_F(ValueStoreTest, OpenAndSaveAsKeepTheBoundFile)
{
    Settings->WriteValue("s", "k", Variant("here"));
    EXPECT_TRUE(Settings->Open(Dir.File("other.ini")));
    Settings->SaveAs(Dir.File("other.ini"));
    EXPECT_EQ(Settings->GetFileName(), Name);
    EXPECT_EQ(Settings->ReadValue("s", "k", Variant("")), Variant("here"));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("other.ini")));
}

TEST_F(ValueStoreTest, EveryWriteIsVisibleToAnotherReader)
{
    auto Other = MakeRef<TqlFileSettings>(Name);
    Settings->WriteValue("s", "k", Variant(1));
    EXPECT_EQ(Other->ReadValue("s", "k", Variant(0)), Variant(1));
    Other->WriteValue("s", "k", Variant(2));
    EXPECT_EQ(Settings->ReadValue("s", "k", Variant(0)), Variant(2));
}

TEST(StringList, TextLinesAndLookup)
{
    auto L = MakeRef<TqlStringList>();
    L->SetText("one\r\ntwo");
    EXPECT_EQ(L->GetCount(), 2);
    EXPECT_EQ(L->GetText(), "one\r\ntwo\r\n");
    L->SetText("a\nb\rc\r\n\r\nd\n");
    EXPECT_EQ(L->Lines(), (std::vector<std::string>{"a", "b", "c", "", "d"}));
    L->SetText("");
    EXPECT_EQ(L->GetCount(), 0);
    EXPECT_EQ(L->GetText(), "");

    EXPECT_EQ(L->Add("DEBUG"), 0);
    EXPECT_EQ(L->Add("Stra\xDF" "e \xC4"), 1);
    EXPECT_EQ(L->Add("debug"), 2);
    EXPECT_EQ(L->IndexOf("debug"), 0);
    EXPECT_EQ(L->IndexOf("stra\xDF" "e \xE4"), 1) << "Windows-1252 letters compare without case";
    EXPECT_EQ(L->IndexOf("none"), -1);
    EXPECT_EQ(L->GetString(1), "Stra\xDF" "e \xC4");
    EXPECT_THROW(L->GetString(3), EListError);
    EXPECT_THROW(L->GetString(-1), EListError);
    L->Clear();
    EXPECT_EQ(L->GetCount(), 0);
}

TEST(StringList, SaveToFileAndClipboardHook)
{
    TTempDir Dir;
    auto L = MakeRef<TqlStringList>();
    L->Add("x");
    L->Add("y");
    const std::string Name = Dir.File("out.csv");
    WriteFileBytes(Name, "old content that is longer");
    L->SaveToFile(Name);
    EXPECT_EQ(ReadFileBytes(Name), "x\r\ny\r\n");
    EXPECT_THROW(L->SaveToFile(Dir.File("missing/out.csv")), Exception);

    L->CopyToClipboard(); // no hook: nothing happens
    std::string Copied;
    gqlClipboardSetText = [&](const std::string& Text) { Copied = Text; };
    L->CopyToClipboard();
    gqlClipboardSetText = nullptr;
    EXPECT_EQ(Copied, "x\r\ny\r\n");
}
