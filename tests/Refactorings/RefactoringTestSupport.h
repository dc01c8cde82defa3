// A scratch folder that is the current folder for one test, a real project
// installed as gqlProject, a headless host installed as gqlRefactoringHost,
// and a refactoring whose Execute runs a given body.
#pragma once

#include "../TestFolder.h"
#include "Refactorings/uqlHeadlessHost.h"
#include "Refactorings/uqlRefactoring.h"
#include "analysis/uqlProject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

class TTestRefactoring : public TqlRefactoring {
public:
    std::function<void(TTestRefactoring&)> Body;
    std::string Name = "Test";
    std::string GetMenuCaption() override { return Name + " caption"; }
    std::string GetName() override { return Name; }
    bool GetCanExecute() override { return true; }
    void Execute() override
    {
        if (Body)
            Body(*this);
    }
};

// The message of the Exception that F raises.
inline std::string Raised(const std::function<void()>& F)
{
    try {
        F();
    } catch (const Exception& E) {
        return E.what();
    }
    return "(nothing raised)";
}

inline std::string ReadAll(const std::string& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

class RefactoringTest : public ::testing::Test {
protected:
    RefactoringTest()
    {
        FOldFolder = std::filesystem::current_path();
        Run = Folder.Path() + "/run";
        std::filesystem::create_directories(Run);
        std::filesystem::current_path(Run);
        Project = Ref<TqlProject>(new TqlProject(Folder.Path() + "/"));
        gqlProject = Ref<IqlProject>(Project.get());
        gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
    }
    ~RefactoringTest() override
    {
        Refactoring = nullptr;
        gqlRefactoringHost = nullptr;
        gqlProject = nullptr;
        Project = nullptr;
        std::filesystem::current_path(FOldFolder);
    }

    // Writes the files (below the scratch folder) and analyses the first.
    void Analyze(const std::vector<std::pair<std::string, std::string>>& Files)
    {
        for (const auto& [Name, Text] : Files)
            Folder.Write(Name, Text);
        Project->GetOptions()->SetFileToAnalyze(Folder.Path() + "/" + Files.front().first);
        Project->Analyze(true);
    }
    TqlUnit* Unit(const std::string& Name) { return Project->GetUnits()->FindUnit(Name); }
    // Where a run writes the source file Name (below the scratch folder).
    std::string Output(const std::string& Base, const std::string& Name) const
    {
        return Run + "/Generated/" + Base + "/Root" + Folder.Path() + "/" + Name;
    }

    TTestFolder Folder;
    std::string Run;
    Ref<TqlProject> Project;
    Ref<THeadlessRefactoringHost> Host{new THeadlessRefactoringHost()};
    Ref<TTestRefactoring> Refactoring{new TTestRefactoring()};

private:
    std::filesystem::path FOldFolder;
};
