#include "settings/uqlCodingConventions.h"

#include "settings/uqlFileSettings.h"
#include "settings/uqlIndentationConventions.h"
#include "settings/uqlNamingConventions.h"
#include "settings/uqlPrefixList.h"

TqlCodingConventions::TqlCodingConventions(const std::string& FileName)
    : FFileName(FileName), FComponentPrefixes(MakeRef<TqlPrefixList>()),
      FFileSettings(MakeRef<TqlFileSettings>(FileName)),
      FNamingConventions(MakeRef<TqlNamingConventions>()),
      FIndentationConventions(MakeRef<TqlIndentationConventions>())
{
}

void TqlCodingConventions::Load()
{
    LoadFromFile(FFileSettings);
}

void TqlCodingConventions::LoadDefaults()
{
    LoadDefaultsComponentPrefixes();
    LoadDefaultsReserved();
    LoadDefaultsNaming();
    LoadDefaultsIndentation();
}

void TqlCodingConventions::LoadDefaultsComponentPrefixes()
{
    FComponentPrefixes->LoadDefaults();
}

void TqlCodingConventions::LoadDefaultsIndentation()
{
    FIndentationConventions->LoadDefaults();
}

void TqlCodingConventions::LoadDefaultsNaming()
{
    FNamingConventions->LoadDefaults();
}

void TqlCodingConventions::LoadDefaultsReserved() {}

void TqlCodingConventions::LoadFromFile(const Ref<IqlFileSettings>& Settings)
{
    FComponentPrefixes->Load(Settings);
    if (FComponentPrefixes->GetCount() == 0)
        LoadDefaultsComponentPrefixes();
    FNamingConventions->Load(Settings);
    FIndentationConventions->Load(Settings);
}

void TqlCodingConventions::Save()
{
    SaveToFile(FFileSettings);
}

void TqlCodingConventions::SaveToFile(const Ref<IqlFileSettings>& Settings)
{
    FComponentPrefixes->Save(Settings);
    FNamingConventions->Save(Settings);
    FIndentationConventions->Save(Settings);
}
