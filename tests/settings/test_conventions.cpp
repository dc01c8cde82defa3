#include "settings/uqlCodingConventions.h"
#include "settings/uqlComponentPrefix.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlIndentationConventions.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlNamingConventions.h"
#include "settings/uqlPrefixList.h"
#include "settings/uqlRegExpr.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using TRuleList = std::vector<std::pair<std::string, std::string>>;

TRuleList Rules(const Ref<IqlPrefixList>& List)
{
    TRuleList R;
    for (int I = 0; I < List->GetCount(); ++I)
        R.emplace_back(List->GetItem(I)->GetPrefix(), List->GetItem(I)->GetComponentClass());
    return R;
}

std::string P(const char* Word)
{
    return std::string(Word) + "[A-Z].+";
}

} // namespace

TEST(NamingConventions, DefaultsAndOrder)
{
    auto N = MakeRef<TqlNamingConventions>();
    EXPECT_EQ(N->GetLocalVariables(), "v[A-Z].*");
    EXPECT_EQ(N->GetGlobalVariables(), "g[A-Z].*");
    EXPECT_EQ(N->GetConstants(), "[A-Z]+");
    EXPECT_EQ(N->GetClassFields(), "F[A-Z].*");
    EXPECT_EQ(N->GetClassTypes(), "T[A-Z].*");
    EXPECT_EQ(N->GetInterfaceTypes(), "I[A-Z].*");
    EXPECT_EQ(N->GetRecordTypes(), "T[A-Z].*");
    EXPECT_EQ(N->GetObjectTypes(), "T[A-Z].*");
    EXPECT_EQ(N->GetPointerTypes(), "P[A-Z].*");
    EXPECT_EQ(N->GetRoutineNames(), "[A-Z].*");
    EXPECT_EQ(N->GetConstParameters(), "a[A-Z].*");
    EXPECT_EQ(N->GetVarParameters(), "a[A-Z].*");
    EXPECT_EQ(N->GetParameters(), "");
    EXPECT_EQ(N->GetProperties(), "[A-Z].*");
    EXPECT_EQ(N->GetGetRoutines(), "Get[A-Z].*");
    EXPECT_EQ(N->GetSetRoutines(), "Set[A-Z].*");
}

TEST(NamingConventions, SettersReachTheirOwnRule)
{
    auto N = MakeRef<TqlNamingConventions>();
    N->SetClassFields("1");
    N->SetClassTypes("2");
    N->SetConstants("3");
    N->SetConstParameters("4");
    N->SetGetRoutines("5");
    N->SetGlobalVariables("6");
    N->SetInterfaceTypes("7");
    N->SetLocalVariables("8");
    N->SetObjectTypes("9");
    N->SetParameters("10");
    N->SetPointerTypes("11");
    N->SetProperties("12");
    N->SetRecordTypes("13");
    N->SetRoutineNames("14");
    N->SetSetRoutines("15");
    N->SetVarParameters("16");
    const std::vector<std::string> Got = {
        N->GetClassFields(),    N->GetClassTypes(),      N->GetConstants(),
        N->GetConstParameters(), N->GetGetRoutines(),    N->GetGlobalVariables(),
        N->GetInterfaceTypes(), N->GetLocalVariables(),  N->GetObjectTypes(),
        N->GetParameters(),     N->GetPointerTypes(),    N->GetProperties(),
        N->GetRecordTypes(),    N->GetRoutineNames(),    N->GetSetRoutines(),
        N->GetVarParameters()};
    for (size_t I = 0; I < Got.size(); ++I)
        EXPECT_EQ(Got[I], std::to_string(I + 1));
    N->LoadDefaults();
    EXPECT_EQ(N->GetParameters(), "");
    EXPECT_EQ(N->GetVarParameters(), "a[A-Z].*");
}

TEST(NamingConventions, LoadKeepsMissingKeysAndTakesEmptyOnes)
{
    TTempDir Dir;
    const std::string Name = Dir.File("c.ql");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto N = MakeRef<TqlNamingConventions>();
    N->SetConstants("C_.*");
    N->Load(File);
    EXPECT_EQ(N->GetConstants(), "C_.*") << "no section: values stay";

    WriteFileBytes(Name, "[NamingConventions]\r\nClassTypes=Tx.*\r\nLocalVariables=\r\n");
    N->Load(File);
    EXPECT_EQ(N->GetClassTypes(), "Tx.*");
    EXPECT_EQ(N->GetLocalVariables(), "");
    EXPECT_EQ(N->GetConstants(), "C_.*");
}

TEST(IndentationConventions, DefaultsLoadAndSave)
{
    TTempDir Dir;
    const std::string Name = Dir.File("c.ql");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto I = MakeRef<TqlIndentationConventions>();
    EXPECT_EQ(I->GetSpacesPerIndent(), 2);
    EXPECT_FALSE(I->GetIndentBeforeBegin() || I->GetIndentBeforeTry() ||
                 I->GetIndentBeforeElseInTryBlock() || I->GetIndentBeforeElseInCaseBlock() ||
                 I->GetNeverIndentElseIf() || I->GetIndentDirectives());
    EXPECT_TRUE(I->GetIndentComments());

    WriteFileBytes(Name, "[IndentationConventions]\r\nSpacesPerIndent=4\r\nIndentBeforeTry=T\r\n");
    I->Load(File);
    EXPECT_EQ(I->GetSpacesPerIndent(), 4);
    EXPECT_TRUE(I->GetIndentBeforeTry());
    EXPECT_TRUE(I->GetIndentComments()) << "missing keys keep their values";

    I->SetNeverIndentElseIf(true);
    I->SetIndentComments(false);
    I->Save(File);
    auto J = MakeRef<TqlIndentationConventions>();
    J->Load(File);
    EXPECT_EQ(J->GetSpacesPerIndent(), 4);
    EXPECT_TRUE(J->GetNeverIndentElseIf());
    EXPECT_FALSE(J->GetIndentComments());
    EXPECT_TRUE(J->GetIndentBeforeTry());
    J->LoadDefaults();
    EXPECT_EQ(J->GetSpacesPerIndent(), 2);
    EXPECT_TRUE(J->GetIndentComments());
}

TEST(IndentationConventions, BadSpacesPerIndentKeepsTheValue)
{
    TTempDir Dir;
    const std::string Name = Dir.File("c.ql");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto I = MakeRef<TqlIndentationConventions>();
    for (const char* Bad : {"", "four", "4.5", "0", "-3", "100000", "99999999999"}) {
        WriteFileBytes(Name, std::string("[IndentationConventions]\r\nSpacesPerIndent=") + Bad +
                                 "\r\nIndentDirectives=T\r\n");
        I->SetIndentDirectives(false);
        I->Load(File);
        EXPECT_EQ(I->GetSpacesPerIndent(), 2) << "value " << Bad;
        EXPECT_TRUE(I->GetIndentDirectives()) << "the rest still loads";
    }
}

TEST(PrefixList, DefaultTable)
{
    auto L = MakeRef<TqlPrefixList>();
    EXPECT_EQ(L->GetCount(), 0);
    L->SetEnforcePrefixOnUnreferenced(true);
    L->LoadDefaults();
    EXPECT_FALSE(L->GetEnforcePrefixOnUnreferenced()) << "defaults reset the flag";
    const TRuleList R = Rules(L);
    ASSERT_EQ(R.size(), 168u);
    EXPECT_EQ(R[0], std::make_pair(P("mm"), std::string("TMainMenu")));
    EXPECT_EQ(R[7], std::make_pair(P("btn"), std::string("TButton")));
    EXPECT_EQ(R[26], std::make_pair(P("clb"), std::string("TCheckListbox")));
    EXPECT_EQ(R[65], std::make_pair(P("nMsg"), std::string("TNMMsg")));
    EXPECT_EQ(R[66], std::make_pair(P("nmsg"), std::string("TNMMSGServ")));
    EXPECT_EQ(R[84], std::make_pair(P("db"), std::string("TDataBase")));
    EXPECT_EQ(R[142], std::make_pair(P("nb"), std::string("TNoteBook")));
    EXPECT_EQ(R[167], std::make_pair(P("mid"), std::string("TMidasConnection")));

    std::set<std::string> Classes;
    std::map<std::string, int> PatternUses;
    for (const auto& [Pattern, Class] : R) {
        EXPECT_TRUE(Classes.insert(Class).second) << "class twice: " << Class;
        ++PatternUses[Pattern];
        EXPECT_EQ(Pattern.substr(Pattern.size() - 7), "[A-Z].+");
    }
    std::set<std::string> Shared;
    for (const auto& [Pattern, N] : PatternUses)
        if (N > 1) {
            EXPECT_EQ(N, 2);
            Shared.insert(Pattern);
        }
    EXPECT_EQ(Shared, (std::set<std::string>{P("clb"), P("hdr"), P("dbch"), P("dbll"), P("dblc"),
                                              P("dcb")}));
}

TEST(PrefixList, FindAddRemoveDelete)
{
    auto L = MakeRef<TqlPrefixList>();
    L->LoadDefaults();
    EXPECT_EQ(L->Find("TButton")->GetPrefix(), "btn[A-Z].+");
    EXPECT_EQ(L->Find("tbutton")->GetPrefix(), "btn[A-Z].+") << "Pascal names ignore case";
    EXPECT_FALSE(L->Find("TNoSuchClass"));

    auto Mine = L->Add("my[A-Z].+", "TMine");
    EXPECT_EQ(L->GetCount(), 169);
    EXPECT_EQ(L->Find("TMine"), Mine);
    L->Remove(MakeRef<TqlComponentPrefix>("my[A-Z].+", "TMine")); // another object
    EXPECT_EQ(L->GetCount(), 169);
    L->Remove(Mine);
    EXPECT_EQ(L->GetCount(), 168);
    EXPECT_FALSE(L->Find("TMine"));

    L->Delete(0);
    EXPECT_EQ(L->GetItem(0)->GetComponentClass(), "TPopupMenu");
    EXPECT_THROW(L->Delete(167), EListError);
    EXPECT_THROW(L->GetItem(-1), EListError);
    L->SetEnforcePrefixOnUnreferenced(true);
    L->Clear();
    EXPECT_EQ(L->GetCount(), 0);
    EXPECT_FALSE(L->GetEnforcePrefixOnUnreferenced());
}

TEST(PrefixList, SavedDefaultsLoadBackAsTheCollapsedTable)
{
    TTempDir Dir;
    auto File = MakeRef<TqlFileSettings>(Dir.File("codeconventions.ql"));
    auto L = MakeRef<TqlPrefixList>();
    L->LoadDefaults();
    L->Save(File);
    auto Back = MakeRef<TqlPrefixList>();
    Back->Load(File);
    const TRuleList R = Rules(Back);
    ASSERT_EQ(R.size(), 161u);

    // Expected: the default table with each later rule of an equal pattern
    // (equal without case) folded into the first one's place, taking its class.
    TRuleList Expected;
    for (const auto& D : TqlPrefixList::DefaultRules()) {
        const std::string Pattern = P(D.Word);
        bool Folded = false;
        for (auto& E : Expected)
            if (qlSameText(E.first, Pattern)) {
                E.second = D.ComponentClass;
                Folded = true;
            }
        if (!Folded)
            Expected.emplace_back(Pattern, D.ComponentClass);
    }
    EXPECT_EQ(R, Expected);

    auto At = [&](const std::string& Pattern) {
        for (size_t I = 0; I < R.size(); ++I)
            if (R[I].first == Pattern)
                return std::make_pair(static_cast<int>(I), R[I].second);
        return std::make_pair(-1, std::string());
    };
    EXPECT_EQ(At(P("clb")), std::make_pair(26, std::string("TCoolBar")));
    EXPECT_EQ(At(P("hdr")), std::make_pair(42, std::string("THeader")));
    EXPECT_EQ(At(P("dbch")).second, "TDBChart");
    EXPECT_EQ(At(P("dbll")).second, "TDBLookupList");
    EXPECT_EQ(At(P("dblc")).second, "TDBLookupCombo");
    EXPECT_EQ(At(P("dcb")).second, "TDriveComboBox");
    EXPECT_EQ(At(P("nMsg")), std::make_pair(64, std::string("TNMMSGServ")))
        << "rule 66 keeps its pattern and place, with the class of rule 67";
    EXPECT_EQ(At(P("nmsg")).first, -1);
    EXPECT_FALSE(Back->GetEnforcePrefixOnUnreferenced());
}

TEST(PrefixList, LoadTrimsAndSkipsIncompleteLines)
{
    TTempDir Dir;
    const std::string Name = Dir.File("c.ql");
    WriteFileBytes(Name, "[Options]\r\nEnforcePrefixOnUnreferecend=T\r\n"
                         "[Prefixes]\r\n  btn[A-Z].+  =  TButton \r\nlbl[A-Z].+=\r\n"
                         "edt[A-Z].+\r\n=TMemo\r\n");
    auto L = MakeRef<TqlPrefixList>();
    L->Add("old", "TOld");
    L->Load(MakeRef<TqlFileSettings>(Name));
    EXPECT_TRUE(L->GetEnforcePrefixOnUnreferenced());
    EXPECT_EQ(Rules(L), (TRuleList{{"btn[A-Z].+", "TButton"}}));
}

TEST(PrefixList, UnstorablePatternIsRefusedAtSave)
{
    TTempDir Dir;
    const std::string Name = Dir.File("c.ql");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto Good = MakeRef<TqlPrefixList>();
    Good->LoadDefaults();
    Good->Save(File);
    const std::string Before = ReadFileBytes(Name);
    for (const char* Bad : {"[A-Z]btn.+", ";x", "a=b", "btn\r\n[Evil]", "", "  "}) {
        auto L = MakeRef<TqlPrefixList>();
        L->SetEnforcePrefixOnUnreferenced(true);
        L->Add("btn[A-Z].+", "TButton");
        L->Add(Bad, "TEdit");
        try {
            L->Save(File);
            ADD_FAILURE() << "saved pattern " << Bad;
        } catch (const Exception& E) {
            EXPECT_NE(std::string(E.what()).find("prefix pattern"), std::string::npos) << E.what();
            EXPECT_NE(std::string(E.what()).find(Name), std::string::npos) << E.what();
        }
    }
    auto L = MakeRef<TqlPrefixList>();
    L->Add("btn[A-Z].+", "TBut\nton");
    EXPECT_THROW(L->Save(File), Exception);
    EXPECT_EQ(ReadFileBytes(Name), Before) << "nothing written, not even the flag";
}

TEST(PrefixList, CheckPrefixRules)
{
    auto L = MakeRef<TqlPrefixList>();
    L->LoadDefaults();
    const TqlUsePlace Decl{3, 7};
    std::string Expected = "unchanged";

    EXPECT_TRUE(L->CheckPrefixFor("TNoRule", "Whatever", Decl, {}, Expected));
    EXPECT_EQ(Expected, "unchanged");
    EXPECT_TRUE(L->CheckPrefixFor("TButton", "btnOK", Decl, {}, Expected));
    EXPECT_EQ(Expected, "unchanged");
    EXPECT_FALSE(L->CheckPrefixFor("TButton", "btn", Decl, {{3, 7}}, Expected));

    // Unreferenced or used only from the form file: excused, but the
    // expected prefix is reported.
    Expected.clear();
    EXPECT_TRUE(L->CheckPrefixFor("TButton", "Button1", Decl, {}, Expected));
    EXPECT_EQ(Expected, "btn[A-Z].+");
    EXPECT_TRUE(L->CheckPrefixFor("TButton", "Button1", Decl, {{3, 8}, {3, 9}}, Expected));
    // A use in the unit's own source or in another unit is not excused.
    EXPECT_FALSE(L->CheckPrefixFor("TButton", "Button1", Decl, {{3, 8}, {3, 7}}, Expected));
    EXPECT_FALSE(L->CheckPrefixFor("TButton", "Button1", Decl, {{4, 8}}, Expected));

    L->SetEnforcePrefixOnUnreferenced(true);
    Expected.clear();
    EXPECT_FALSE(L->CheckPrefixFor("TButton", "Button1", Decl, {}, Expected));
    EXPECT_EQ(Expected, "btn[A-Z].+");

    L->Add("bad[", "TBad");
    EXPECT_THROW(L->CheckPrefixFor("TBad", "x", Decl, {}, Expected), ERegExpr);
}

TEST(CodingConventions, MissingFileGivesAllDefaultsAndCreatesNothing)
{
    TTempDir Dir;
    const std::string Name = Dir.File("codeconventions.ql");
    auto C = MakeRef<TqlCodingConventions>(Name);
    EXPECT_EQ(C->GetComponentPrefixes()->GetCount(), 0) << "the constructor reads nothing";
    C->Load();
    EXPECT_EQ(C->GetComponentPrefixes()->GetCount(), 168);
    EXPECT_FALSE(C->GetComponentPrefixes()->GetEnforcePrefixOnUnreferenced());
    EXPECT_EQ(C->GetNamingConventions()->GetLocalVariables(), "v[A-Z].*");
    EXPECT_EQ(C->GetIndentationConventions()->GetSpacesPerIndent(), 2);
    EXPECT_FALSE(std::filesystem::exists(Name));
    C->Save();
    const std::string Text = ReadFileBytes(Name);
    for (const char* Section :
         {"[Options]", "[Prefixes]", "[NamingConventions]", "[IndentationConventions]"})
        EXPECT_NE(Text.find(Section), std::string::npos) << Section;
}

TEST(CodingConventions, FlagWithoutUsablePrefixesGivesDefaultsWithFlagOff)
{
    TTempDir Dir;
    const std::string Name = Dir.File("codeconventions.ql");
    WriteFileBytes(Name, "[Options]\r\nEnforcePrefixOnUnreferecend=T\r\n[Prefixes]\r\n=x\r\n"
                         "[IndentationConventions]\r\nIndentBeforeBegin=T\r\n");
    auto C = MakeRef<TqlCodingConventions>(Name);
    C->Load();
    EXPECT_EQ(C->GetComponentPrefixes()->GetCount(), 168);
    EXPECT_FALSE(C->GetComponentPrefixes()->GetEnforcePrefixOnUnreferenced());
    EXPECT_TRUE(C->GetIndentationConventions()->GetIndentBeforeBegin());
    EXPECT_TRUE(C->GetIndentationConventions()->GetIndentComments());
}

TEST(CodingConventions, SaveLoadRoundTripAndLoadDefaults)
{
    TTempDir Dir;
    const std::string Name = Dir.File("codeconventions.ql");
    auto C = MakeRef<TqlCodingConventions>(Name);
    C->GetComponentPrefixes()->Add("x[A-Z].+", "TX");
    C->GetComponentPrefixes()->SetEnforcePrefixOnUnreferenced(true);
    C->GetNamingConventions()->SetConstants("c[A-Z].*");
    C->GetIndentationConventions()->SetSpacesPerIndent(4);
    C->Save();

    auto D = MakeRef<TqlCodingConventions>(Name);
    D->Load();
    EXPECT_EQ(Rules(D->GetComponentPrefixes()), (TRuleList{{"x[A-Z].+", "TX"}}));
    EXPECT_TRUE(D->GetComponentPrefixes()->GetEnforcePrefixOnUnreferenced());
    EXPECT_EQ(D->GetNamingConventions()->GetConstants(), "c[A-Z].*");
    EXPECT_EQ(D->GetIndentationConventions()->GetSpacesPerIndent(), 4);

    const std::string Saved = ReadFileBytes(Name);
    D->LoadDefaults();
    EXPECT_EQ(D->GetComponentPrefixes()->GetCount(), 168);
    EXPECT_EQ(D->GetNamingConventions()->GetConstants(), "[A-Z]+");
    EXPECT_EQ(D->GetIndentationConventions()->GetSpacesPerIndent(), 2);
    EXPECT_EQ(ReadFileBytes(Name), Saved) << "defaults leave the file alone until Save";
}
