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
    for (int i = 0; i < FUsedUnits->GetCount(); ++i) {
        Ref<IVxUsedUnit> U = FUsedUnits->GetItems(i);
        if (qlSameText(U->GetName(), Name)) {
            InPath = U->GetInPath();
            return;
        }
    }
}

void TVxPreProcessorInfo::SetFileName(const std::string& Value)
{
    if (Value == FFileName)
        return;
    FFileName = Value;
    FUsedUnits->Clear();
    if (!qlIsRegularFile(Value))
        return;
    TNameValueList Lines;
    ScanUsedUnits(Value, &Lines);
    for (const auto& [Name, InPath] : Lines)
        FUsedUnits->Add(Name, InPath);
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
