// Where an include file is looked for: beside the file that holds the
// directive (a unit or another include file), beside the unit, then in the
// main file's folder and every folder of the project and library search
// paths, for bare names and names with a folder part alike.
#include "ProjectTestSupport.h"

namespace {

struct TIncludeCase {
    const char* Name;
    // Files below the scratch folder: path, text.
    std::vector<std::pair<std::string, std::string>> Files;
    // Search folders below the scratch folder.
    std::vector<std::string> ProjectPath;
    std::vector<std::string> LibraryPath;
    // The constant that the include must bring in, and whether it is found.
    const char* Constant;
    bool Found;
};

const std::string Unit(const std::string& Directive)
{
    return "unit U;\ninterface\n" + Directive + "\nimplementation\nend.\n";
}

} // namespace

TEST(IncludeSearch, FoldersTriedInOrder)
{
    const TIncludeCase Cases[] = {
        {"folder part through the library path",
         {{"src/U.pas", Unit("{$I common\\defs.inc}")}, {"lib/Common/Defs.inc", "const FromLib = 1;"}},
         {}, {"lib"}, "FromLib", true},
        {"folder part through the project path",
         {{"src/U.pas", Unit("{$I common\\defs.inc}")}, {"proj/common/defs.inc", "const FromProj = 1;"}},
         {"proj"}, {}, "FromProj", true},
        {"parent folder beside the unit",
         {{"src/sub/U.pas", Unit("{$I ..\\Common.inc}")}, {"src/Common.inc", "const FromParent = 1;"}},
         {}, {}, "FromParent", true},
        {"bare name beside the include file that names it",
         {{"src/U.pas", Unit("{$I shared\\a.inc}")},
          {"lib/shared/a.inc", "{$I b.inc}"},
          {"lib/shared/b.inc", "const BesideInclude = 1;"}},
         {}, {"lib"}, "BesideInclude", true},
        {"folder part beside the include file that names it",
         {{"src/U.pas", Unit("{$I shared\\a.inc}")},
          {"lib/shared/a.inc", "{$I sub\\c.inc}"},
          {"lib/shared/sub/c.inc", "const NestedFolder = 1;"}},
         {}, {"lib"}, "NestedFolder", true},
        {"the include file's folder before the unit's",
         {{"src/U.pas", Unit("{$I shared\\a.inc}")},
          {"src/shared/a.inc", "{$I b.inc}"},
          {"src/shared/b.inc", "const Nearest = 1;"},
          {"src/b.inc", "const Farther = 1;"}},
         {}, {}, "Nearest", true},
        {"the unit's folder before the search paths",
         {{"src/U.pas", Unit("{$I defs.inc}")},
          {"src/defs.inc", "const OwnFolder = 1;"},
          {"lib/defs.inc", "const LibFolder = 1;"}},
         {}, {"lib"}, "OwnFolder", true},
        {"nowhere",
         {{"src/U.pas", Unit("{$I common\\none.inc}")}}, {}, {"lib"}, "None", false},
    };
    for (const TIncludeCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TCliFolder T;
        for (const auto& [Path, Text] : C.Files)
            T.Write(Path, Text);
        TProjectScope P;
        for (const std::string& F : C.ProjectPath)
            P->GetOptions()->GetProjectSearchPath()->Add(T.Path() + "/" + F);
        for (const std::string& F : C.LibraryPath)
            P->GetSystemOptions()->GetLibrarySearchPath()->Add(T.Path() + "/" + F);
        P.Analyze(T.Path() + "/" + C.Files[0].first);
        TqlUnit* U = P.Unit("U");
        ASSERT_NE(U, nullptr);
        EXPECT_EQ(U->GetConstants()->Find(C.Constant) != nullptr, C.Found);
        EXPECT_EQ(P.CountMessage("Include file, common\\none.inc, does not exist."), C.Found ? 0 : 1);
        // The folder met first wins over a later one holding the same name.
        EXPECT_EQ(U->GetConstants()->Find("Farther"), nullptr);
        EXPECT_EQ(U->GetConstants()->Find("LibFolder"), nullptr);
    }
}
