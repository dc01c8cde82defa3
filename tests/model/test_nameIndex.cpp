// The index of which units declare a name that other units see.
#include "ModelTestSupport.h"

#include "model/uqlNameLookup.h"

#include "lexer/lxPasLexTypes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> UnitsOf(const TqlUnitNameIndex& Index, const std::string& Name)
{
    std::vector<std::string> R;
    if (const TqlUnitNameIndex::TEntry* E = Index.Find(Name))
        for (size_t i = 0; i < E->Count(); ++i)
            R.push_back(E->Unit(i)->GetName());
    return R;
}

} // namespace

TEST(NameIndex, RecordsVisibleDeclarationsBeforeAndAfterJoining)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlUnitNameIndex Index;
    A->GetVariables()->AddVariable("Early", vkInterface, false, A->GetFileIndex(), 1, 1);
    A->GetVariables()->AddVariable("Hidden", vkImplementation, false, A->GetFileIndex(), 2, 1);
    A->SetNameIndex(&Index);
    A->GetVariables()->AddVariable("Shared", vkInterface, false, A->GetFileIndex(), 3, 1);
    // Nothing is recorded before the index is put to use.
    EXPECT_EQ(Index.Find("Early"), nullptr);
    EXPECT_EQ(Index.NameCount(), 0u);
    Index.Activate();
    B->SetNameIndex(&Index);
    B->GetVariables()->AddVariable("SHARED", vkInterface, false, B->GetFileIndex(), 1, 1);
    A->GetVariables()->AddVariable("shared", vkInterface, false, A->GetFileIndex(), 4, 1);
    B->GetVariables()->AddVariable("Late", vkInterface, false, B->GetFileIndex(), 2, 1);
    B->GetVariables()->AddVariable("Late", vkInterface, false, B->GetFileIndex(), 3, 1);
    B->GetVariables()->AddVariable("Param", vkNone, false, B->GetFileIndex(), 4, 1);

    const struct {
        const char* Name;
        std::vector<std::string> Units;
    } Cases[] = {
        {"early", {"A"}},
        {"Hidden", {}},
        {"Param", {}},
        {"shared", {"A", "B", "A"}},
        {"LATE", {"B"}},
        {"Nothing", {}},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(UnitsOf(Index, C.Name), C.Units) << C.Name;
    EXPECT_EQ(A->GetNameIndex(), &Index);

    // Symbols of a unit's members are not the unit's own declarations.
    TqlRoutine* R = A->GetRoutines()->AddRoutine("Run", vkInterface, rkProcedure, A->GetFileIndex(), 5, 1);
    R->GetVariables()->AddVariable("Local", vkInterface, false, A->GetFileIndex(), 6, 1);
    EXPECT_EQ(UnitsOf(Index, "Run"), std::vector<std::string>{"A"});
    EXPECT_TRUE(UnitsOf(Index, "Local").empty());

    Index.Clear();
    EXPECT_EQ(Index.NameCount(), 0u);
    EXPECT_FALSE(Index.Active());
    EXPECT_TRUE(UnitsOf(Index, "Early").empty());

    // A unit that joins an active index brings the declarations it has.
    TqlUnit* C = Project->NewUnit("C");
    C->GetVariables()->AddVariable("Early", vkInterface, false, C->GetFileIndex(), 1, 1);
    Index.Activate();
    C->SetNameIndex(&Index);
    EXPECT_EQ(UnitsOf(Index, "Early"), std::vector<std::string>{"C"});
}

// A hashed list's positions after a sort: by hash, equal hashes (the same
// name above all) in their order of addition, however much was sorted
// before. Found objects are the first added of their name.
TEST(NameIndex, HashedListSortKeepsTheOrderOfAddition)
{
    const TlxAssignAbleHash Hasher;
    TqlHashedObjectList List;
    std::vector<std::unique_ptr<TqlBase>> Objects;
    std::vector<std::pair<std::string, TqlBase*>> Added;
    for (int i = 0; i < 700; ++i) {
        // Every fifth name repeats an earlier one, in another case.
        const std::string Name = i % 5 == 4 ? "NAME" + std::to_string(i / 3) : "name" + std::to_string(i);
        Objects.push_back(std::make_unique<TqlBase>());
        List.Add(Name, Objects.back().get());
        Added.emplace_back(Name, Objects.back().get());
        if (i % 37 != 0 && i != 699)
            continue;
        List.Sort();
        std::vector<std::pair<std::string, TqlBase*>> Expected = Added;
        std::stable_sort(Expected.begin(), Expected.end(), [&](const auto& A, const auto& B) {
            return Hasher.HashOf(A.first) < Hasher.HashOf(B.first);
        });
        ASSERT_EQ(List.Count(), int(Expected.size()));
        for (size_t p = 0; p < Expected.size(); ++p)
            ASSERT_EQ(List.GetObject(int(p)), Expected[p].second) << "position " << p << " after " << i;
        for (const auto& Entry : Added) {
            const std::string& Name = Entry.first;
            int Index = -1;
            ASSERT_TRUE(List.Find(Name, Index));
            auto First = std::find_if(Added.begin(), Added.end(),
                                      [&](const auto& E) { return Hasher.CompareString(E.first, Name); });
            EXPECT_EQ(List.GetObject(Index), First->second) << Name;
        }
    }
}
