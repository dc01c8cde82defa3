#include "analysis/uqlPreprocessImpl.h"

#include "base/uqlPathUtils.h"
#include "analysis/uqlPreprocessor.h"
#include "model/uqlClasses.h"

Ref<IVxUsedUnit> TVxUsedUnitList::GetItems(int Index)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FItems[size_t(Index)];
}

void TVxUsedUnitList::Add(const std::string& Name, const std::string& InPath)
{
    FItems.push_back(NewUsedUnit(Name, InPath));
}

TVxPreProcessorInfo::TVxPreProcessorInfo() : FUsedUnits(new TVxUsedUnitList) {}

Ref<IVxUsedUnitList> TVxPreProcessorInfo::GetUsedUnits() { return FUsedUnits; }

int TVxPreProcessorInfo::GetUsedUnitCount() { return FUsedUnits->GetCount(); }

void TVxPreProcessorInfo::GetUnitInPath(const std::string& Name, std::string& InPath)
{
    auto It = FInPaths.find(qlSameTextKey(Name));
    if (It != FInPaths.end())
        InPath = It->second;
}

void TVxPreProcessorInfo::SetFileName(const std::string& Value)
{
    if (Value == FFileName)
        return;
    FFileName = Value;
    FUsedUnits->Clear();
    FInPaths.clear();
    if (!qlIsRegularFile(Value))
        return;
    TNameValueList Lines;
    ScanUsedUnits(Value, &Lines);
    for (const auto& [Name, InPath] : Lines) {
        FUsedUnits->Add(Name, InPath);
        FInPaths.emplace(qlSameTextKey(Name), InPath);
    }
}

Ref<IVxPreProcessorInfo> NewPreProcessorInfo(const std::string& FileName)
{
    Ref<TVxPreProcessorInfo> Info(new TVxPreProcessorInfo);
    Info->SetFileName(FileName);
    return Info;
}

Ref<IVxUsedUnit> NewUsedUnit(const std::string& Name, const std::string& InPath)
{
    return Ref<IVxUsedUnit>(new TVxUsedUnit(Name, InPath));
}

Ref<IVxPreProcessorInfo> GetPreProcessorInfo(const std::string& FileName)
{
    return NewPreProcessorInfo(FileName);
}
