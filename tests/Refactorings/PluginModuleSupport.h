// The plug-in modules as the desktop loads them: a scratch project and
// current folder, the headless host, and the modules loaded from the
// program folder for one test.
#pragma once

#include "tests/Refactorings/PluginTestSupport.h"
#include "tests/Refactorings/RefactoringTestSupport.h"

#include "desktop/uqlPluginLoader.h"

class PluginModuleTest : public RefactoringTest {
protected:
    ~PluginModuleTest() override
    {
        // As at program end: the host goes first, the modules after.
        gqlRefactoringHost = nullptr;
        Host->Registry.Clear();
        FLoader.FinalizeAll();
    }

    void Load(const std::string& Module)
    {
        std::vector<std::string> Errors;
        FLoader.LoadAll({Module}, [&](const std::string& E) { Errors.push_back(E); });
        ASSERT_TRUE(Errors.empty()) << Errors.front();
    }
    // Copies a fixture case's sources and analyses them.
    void AnalyzeCase(const std::string& Case)
    {
        std::vector<std::pair<std::string, std::string>> Files;
        const fs::path Before = qlCaseFolder(Case) / "before";
        for (const auto& E : fs::recursive_directory_iterator(Before))
            if (E.is_regular_file()) {
                const std::string Rel = fs::relative(E.path(), Before).string();
                const std::string Ext = E.path().extension().string();
                auto Entry = std::make_pair(Rel, qlReadFile(E.path()));
                if (Ext == ".dpr" || Ext == ".dpk")
                    Files.insert(Files.begin(), Entry);
                else
                    Files.push_back(Entry);
            }
        Analyze(Files);
    }
    // Every file a run wrote, by file name.
    std::map<std::string, std::string> Written() const
    {
        std::map<std::string, std::string> Result;
        const fs::path Generated = fs::path(Run) / "Generated";
        if (fs::exists(Generated))
            for (const auto& E : fs::recursive_directory_iterator(Generated))
                if (E.is_regular_file())
                    Result[E.path().filename().string()] = qlReadFile(E.path());
        return Result;
    }
    // The host's messages, "X:Y text".
    std::vector<std::string> HostMessages() const
    {
        std::vector<std::string> Result;
        for (const Ref<IqlMessage>& M : Host->Messages)
            Result.push_back(std::to_string(M->GetCodeLocation()->GetX()) + ":" +
                             std::to_string(M->GetCodeLocation()->GetY()) + " " +
                             M->GetMessageText());
        return Result;
    }
    // The menu below the top level as indented "caption [name]" lines.
    std::string Menu() const
    {
        std::string Out;
        std::function<void(const TqlRefactoringRegistry::TItem&, int)> Walk =
            [&](const TqlRefactoringRegistry::TItem& Item, int Depth) {
                for (const auto& Child : Item.Children) {
                    Out += std::string(size_t(Depth) * 2, ' ') + Child->Caption + " [" +
                           (Child->IsGroup() ? Child->Name : Child->Refactoring->GetName()) + "]\n";
                    Walk(*Child, Depth + 1);
                }
            };
        Walk(Host->Registry.TopLevel(), 0);
        return Out;
    }

private:
    TqlPluginLoader FLoader{QUILLET_PLUGIN_DIR};
};
