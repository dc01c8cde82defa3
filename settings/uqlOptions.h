// The options of the project being analysed: the file to analyse, the
// project search path, the conditional defines and the unit aliases.
#pragma once

#include "model/uqlClasses.h"

class TqlOptions : public TInterfacedObject, public IqlOptions {
public:
    TqlOptions();

    void Clear() override;
    Ref<IqlStringList> GetAliases() override;
    // Appends the define "Quillet" first when the list lacks it.
    Ref<IqlStringList> GetDefines() override;
    std::string GetFileToAnalyze() override;
    Ref<IqlStringList> GetProjectSearchPath() override;
    void Load(const Ref<IqlFileSettings>& Settings) override;
    // Refuses, before anything is written, a folder or define that cannot be
    // stored as an ini key.
    void Save(const Ref<IqlFileSettings>& Settings) override;
    void SetFileToAnalyze(const std::string& Value) override;

private:
    std::string FFileToAnalyze;
    Ref<IqlStringList> FProjectSearchPath;
    Ref<IqlStringList> FDefines;
    Ref<IqlStringList> FAliases;
};

// Raises Exception when a line of List cannot be written as a key of Section
// (blank lines are skipped on writing and pass). What names the entries
// ("folder", "define").
void qlCheckStorableKeys(const Ref<IqlStringList>& List, const std::string& What,
                         const std::string& Section, const Ref<IqlFileSettings>& Settings);
