// Golden comma-separated exports of all seven reports over projects the real
// analysis builds: the Inventory sample and the Shop fixture (a program, two
// project units, a library unit found through the library search path that
// names a missing unit). Folder names are replaced by "<src>" (the source
// tree) so the files do not depend on where the tree lies. Set
// QUILLET_UPDATE_GOLDEN=1 to rewrite the files after a deliberate change, and
// review the difference.
#include "AnalysedProject.h"

#include <cstdlib>
#include <sstream>

namespace {

const char* const Reports[][2] = {
    {"Code Metrics", "code_metrics"},   {"Ridizo Dedu", "ridizo_dedu"},
    {"Global variables", "global_variables"}, {"Used Units", "used_units"},
    {"Class Types", "class_types"},     {"String Literals", "string_literals"},
    {"System symbols", "system_symbols"},
};

std::string ReadFile(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

std::string Normalised(std::string Text)
{
    const std::string Src = QUILLET_SOURCE_DIR;
    for (size_t P = Text.find(Src); P != std::string::npos; P = Text.find(Src, P))
        Text.replace(P, Src.size(), "<src>");
    return Text;
}

void CheckAll(TAnalysedProject& P, const std::string& Prefix)
{
    for (const auto& [Name, File] : Reports) {
        SCOPED_TRACE(Name);
        Ref<IqlReport> R = P.Report(Name);
        R->Run();
        const std::string Text = Normalised(R->AsCSV(true, true)->GetText());
        const std::string Path =
            std::string(QUILLET_TEST_DATA) + "/analysed/" + Prefix + "_" + File + ".csv";
        if (std::getenv("QUILLET_UPDATE_GOLDEN")) {
            std::ofstream(Path, std::ios::binary) << Text;
            continue;
        }
        EXPECT_EQ(Text, ReadFile(Path)) << "compare with " << Path;
    }
}

} // namespace

TEST(AnalysedGolden, InventorySample)
{
    TAnalysedProject P;
    P.AddLibraryPath(std::string(QUILLET_SOURCE_DIR) + "/QuilletSystem");
    P.Analyze(std::string(QUILLET_SOURCE_DIR) + "/samples/Inventory/Inventory.dpr");
    CheckAll(P, "inventory");
}

TEST(AnalysedGolden, ShopFixture)
{
    TAnalysedProject P;
    const std::string Folder = std::string(QUILLET_TEST_DATA) + "/analysed/Shop";
    P.AddLibraryPath(Folder + "/Lib");
    P.Analyze(Folder + "/Shop.dpr");
    ASSERT_TRUE(P->GetUnits()->FindUnit("Pricing"));
    EXPECT_TRUE(P->GetUnits()->FindUnit("Pricing")->IsLibraryUnit());
    CheckAll(P, "shop");
}
