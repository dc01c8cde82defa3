// A project analysed from a scratch folder, the trees of its units, and the
// fixture cases of the refactoring plug-ins: data/<case>/before holds the
// sources (the .dpr or .dpk file, else the one .pas file, is analysed),
// data/<case>/expected holds every file the refactoring writes, byte for
// byte, and "messages.txt" with the findings, one "X:Y text" a line.
#pragma once

#include "tests/Refactorings/FpcRunSupport.h"
#include "tests/TestFolder.h"

#include "Refactorings/Common/uqlPluginSupport.h"
#include "analysis/uqlProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline std::string qlReadFile(const fs::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

// An analysed project installed as gqlProject while it lives.
class TAnalysedProject {
public:
    // Copies the files below Source (when given) into a scratch folder.
    explicit TAnalysedProject(const fs::path& Source = {})
    {
        if (!Source.empty())
            fs::copy(Source, fs::path(FFolder.Path()) / "src", fs::copy_options::recursive);
        FProject = Ref<TqlProject>(new TqlProject(FFolder.Path()));
        gqlProject = Ref<IqlProject>(FProject.get());
    }
    ~TAnalysedProject()
    {
        FTrees.clear();
        gqlProject = nullptr;
    }

    std::string Write(const std::string& Rel, const std::string& Text)
    {
        return FFolder.Write("src/" + Rel, Text);
    }
    std::string SourceFolder() const { return FFolder.Path() + "/src"; }
    std::string ScratchFolder() const { return FFolder.Path(); }

    // Analyses Main (relative to the source folder); without one, the
    // folder's .dpr or .dpk file, else its only .pas file.
    void Analyze(const std::string& Main = "")
    {
        std::string File = Main;
        if (File.empty()) {
            std::vector<std::string> Pas;
            for (const auto& E : fs::directory_iterator(SourceFolder())) {
                const std::string Ext = E.path().extension().string();
                if (Ext == ".dpr" || Ext == ".dpk")
                    File = E.path().filename().string();
                else if (Ext == ".pas")
                    Pas.push_back(E.path().filename().string());
            }
            if (File.empty() && Pas.size() == 1)
                File = Pas[0];
        }
        ASSERT_FALSE(File.empty());
        FProject->GetOptions()->SetFileToAnalyze(SourceFolder() + "/" + File);
        FProject->Analyze(true);
    }

    TqlProject* operator->() const { return FProject.get(); }
    TqlUnit* Unit(const std::string& Name) { return FProject->GetUnits()->FindUnit(Name); }
    // The tree of a unit's source; nil when its file does not exist.
    TqlModuleNode* Tree(TqlUnit* Unit)
    {
        auto& Slot = FTrees[Unit];
        if (!Slot) {
            TqlSourceFile* File = FProject->GetFileNames()->GetItems(Unit->GetFileIndex());
            if (!File || !File->Exists)
                return nullptr;
            Slot = std::make_unique<TqlModuleNode>();
            TqlNodeBuilder Builder(Slot.get(), "", GlobalKeyHashTable, GlobalDirectiveHash);
            Builder.Run(Unit->GetFullFileName(), nullptr);
        }
        return Slot.get();
    }
    // The text that generating the tree writes.
    std::string Generated(TqlModuleNode* Tree)
    {
        const std::string File = FFolder.Path() + "/out" + std::to_string(++FOut) + ".pas";
        Tree->Generate(File, true);
        return qlReadFile(File);
    }

    std::vector<std::string> Messages;
    TqlMessageSink Sink()
    {
        return [this](const std::string& Text, int X, int Y) {
            Messages.push_back(std::to_string(X) + ":" + std::to_string(Y) + " " + Text);
        };
    }

private:
    TTestFolder FFolder;
    Ref<TqlProject> FProject;
    std::map<TqlUnit*, std::unique_ptr<TqlModuleNode>> FTrees;
    int FOut = 0;
};

inline fs::path qlCaseFolder(const std::string& Case)
{
    return fs::path(QUILLET_SOURCE_DIR) / "tests" / "Refactorings" / "data" / Case;
}

// Compares what a case wrote (file name -> text) and found with its expected
// folder.
inline void qlExpectCase(const std::string& Case, const std::map<std::string, std::string>& Written,
                         const std::vector<std::string>& Messages)
{
    const fs::path Expected = qlCaseFolder(Case) / "expected";
    std::map<std::string, std::string> Want;
    std::string WantMessages;
    if (fs::exists(Expected))
        for (const auto& E : fs::directory_iterator(Expected)) {
            if (E.path().filename() == "messages.txt")
                WantMessages = qlReadFile(E.path());
            else
                Want[E.path().filename().string()] = qlReadFile(E.path());
        }
    std::string GotMessages;
    for (const std::string& M : Messages)
        GotMessages += M + "\n";
    EXPECT_EQ(GotMessages, WantMessages) << Case;
    std::vector<std::string> WantNames, GotNames;
    for (const auto& [Name, Text] : Want)
        WantNames.push_back(Name);
    for (const auto& [Name, Text] : Written)
        GotNames.push_back(Name);
    EXPECT_EQ(GotNames, WantNames) << Case;
    for (const auto& [Name, Text] : Written)
        if (Want.count(Name)) {
            EXPECT_EQ(Text, Want[Name]) << Case << "/" << Name;
        }
}

// Copies the case's sources into Folder and puts what a refactoring wrote
// (file name -> text) in place of the files of the same name.
inline void qlLayOutCase(const std::string& Case, const std::map<std::string, std::string>& Written,
                         const fs::path& Folder)
{
    fs::create_directories(Folder);
    fs::copy(qlCaseFolder(Case) / "before", Folder, fs::copy_options::recursive);
    for (const auto& E : fs::recursive_directory_iterator(Folder))
        if (auto It = Written.find(E.path().filename().string()); It != Written.end())
            std::ofstream(E.path(), std::ios::binary | std::ios::trunc) << It->second;
}

// With QL_FIXTURE_DUMP naming a folder outside the repository, the outputs of
// each case are also written there for review.
inline void qlDumpCase(const std::string& Case, const std::map<std::string, std::string>& Written,
                       const std::vector<std::string>& Messages)
{
    const char* Dump = std::getenv("QL_FIXTURE_DUMP");
    if (!Dump || !*Dump)
        return;
    const fs::path Folder = fs::path(Dump) / Case;
    fs::create_directories(Folder);
    for (const auto& [Name, Text] : Written)
        std::ofstream(Folder / Name, std::ios::binary) << Text;
    std::ofstream Out(Folder / "messages.txt", std::ios::binary);
    for (const std::string& M : Messages)
        Out << M << "\n";
}

// The findings of an analysis of the project.
inline std::vector<std::string> qlAnalysedFindings(TAnalysedProject& P)
{
    P.Analyze();
    std::vector<std::string> Result;
    Ref<IqlMessageList> List = P->GetMessages();
    for (int I = 0; I < List->GetCount(); ++I)
        Result.push_back(List->GetItems(I)->GetMessageText());
    return Result;
}

// The findings of the analysis of a case's sources, and of the same sources
// with the case's expected outputs put in their place.
inline std::pair<std::vector<std::string>, std::vector<std::string>> qlFindingsBeforeAndAfter(
    const std::string& Case)
{
    const auto Findings = qlAnalysedFindings;
    TAnalysedProject Before(qlCaseFolder(Case) / "before");
    const auto Was = Findings(Before);
    TAnalysedProject After(qlCaseFolder(Case) / "before");
    for (const auto& E : fs::directory_iterator(qlCaseFolder(Case) / "expected"))
        if (E.path().filename() != "messages.txt")
            for (const auto& S : fs::recursive_directory_iterator(After.SourceFolder()))
                if (qlSameName(S.path().filename().string(), E.path().filename().string()))
                    fs::copy_file(E.path(), S.path(), fs::copy_options::overwrite_existing);
    return {Was, Findings(After)};
}

