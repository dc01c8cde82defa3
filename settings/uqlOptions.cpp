#include "settings/uqlOptions.h"

#include "settings/uqlIniOptions.h"
#include "settings/uqlStringList.h"

namespace {
const char* const SecGeneral = "general";
const char* const KeyFileToAnalyze = "filetoanalyze";
const char* const SecSearchPath = "projectsearchpath";
const char* const SecDefines = "defines";
const char* const SecAliases = "aliases";
const char* const QuilletDefine = "Quillet";
} // namespace

void qlCheckStorableKeys(const Ref<IqlStringList>& List, const std::string& What,
                         const std::string& Section, const Ref<IqlFileSettings>& Settings)
{
    for (const std::string& Line : qlListLines(List))
        if (!qlIniTrim(Line).empty())
            qlCheckStorableIniKey(Line, What, Section, Settings ? Settings->GetFileName() : "");
}

TqlOptions::TqlOptions()
    : FProjectSearchPath(MakeRef<TqlStringList>()), FDefines(MakeRef<TqlStringList>()),
      FAliases(MakeRef<TqlStringList>())
{
}

void TqlOptions::Clear()
{
    FFileToAnalyze.clear();
    FProjectSearchPath->Clear();
    FDefines->Clear();
    FAliases->Clear();
}

Ref<IqlStringList> TqlOptions::GetAliases()
{
    return FAliases;
}

Ref<IqlStringList> TqlOptions::GetDefines()
{
    if (FDefines->IndexOf(QuilletDefine) < 0)
        FDefines->Add(QuilletDefine);
    return FDefines;
}

std::string TqlOptions::GetFileToAnalyze()
{
    return FFileToAnalyze;
}

Ref<IqlStringList> TqlOptions::GetProjectSearchPath()
{
    return FProjectSearchPath;
}

void TqlOptions::Load(const Ref<IqlFileSettings>& Settings)
{
    FFileToAnalyze =
        Settings->ReadValue(SecGeneral, KeyFileToAnalyze, Variant("Default Value")).AsString();
    Settings->ReadSection(SecSearchPath, FProjectSearchPath);
    Settings->ReadSection(SecDefines, FDefines);
    Settings->ReadSectionValues(SecAliases, FAliases);
}

void TqlOptions::Save(const Ref<IqlFileSettings>& Settings)
{
    qlCheckStorableKeys(FProjectSearchPath, "folder", SecSearchPath, Settings);
    qlCheckStorableKeys(FDefines, "define", SecDefines, Settings);
    auto AliasNames = MakeRef<TqlStringList>();
    for (const std::string& Line : qlListLines(FAliases))
        AliasNames->Add(Line.substr(0, Line.find('=')));
    qlCheckStorableKeys(AliasNames, "alias", SecAliases, Settings);
    Settings->WriteValue(SecGeneral, KeyFileToAnalyze, Variant(FFileToAnalyze));
    Settings->WriteSection(SecSearchPath, FProjectSearchPath);
    Settings->WriteSection(SecDefines, FDefines);
    Settings->WriteSection(SecAliases, FAliases);
}

void TqlOptions::SetFileToAnalyze(const std::string& Value)
{
    FFileToAnalyze = Value;
}
