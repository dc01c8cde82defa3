// The refactoring options: the folder-comparison tool with its parameters and
// the list of plug-in packages that the desktop loads at start-up.
#pragma once

#include "model/uqlClasses.h"

#include <vector>

class TqlRefactorOptions : public TInterfacedObject, public IqlRefactorOptions {
public:
    // The most packages that Load reads; a larger "Count" is cut down to it.
    static constexpr int MaxRefactorings = 1000;

    TqlRefactorOptions();

    std::string GetFolderComparisonExe() override { return FFolderComparisonExe; }
    std::string GetFolderComparisonExeParams() override { return FFolderComparisonExeParams; }
    std::vector<std::string>& GetRefactorings() override { return FRefactorings; }
    void Load(const Ref<IqlFileSettings>& Settings) override;
    // Empties the two folder-comparison strings; the package list stays.
    void LoadDefaults() override;
    // The section "Refactorings" is not erased: keys beyond the new Count
    // stay in the file, and Load does not read them.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    void SetFolderComparisonExe(const std::string& Value) override { FFolderComparisonExe = Value; }
    void SetFolderComparisonExeParams(const std::string& Value) override
    {
        FFolderComparisonExeParams = Value;
    }
    void SetRefactorings(const std::vector<std::string>& List) override { FRefactorings = List; }

private:
    std::vector<std::string> FRefactorings;
    std::string FFolderComparisonExe;
    std::string FFolderComparisonExeParams;
};
