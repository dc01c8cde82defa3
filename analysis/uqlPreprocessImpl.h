// The reference-counted info objects of the uses-clause preprocessing.
#pragma once

#include "analysis/uqlPreprocessIntf.h"

#include <string>
#include <unordered_map>
#include <vector>

class TVxUsedUnit : public TInterfacedObject, public IVxUsedUnit {
public:
    TVxUsedUnit(const std::string& Name, const std::string& InPath) : FName(Name), FInPath(InPath) {}
    std::string GetName() override { return FName; }
    std::string GetInPath() override { return FInPath; }

private:
    std::string FName;
    std::string FInPath;
};

class TVxUsedUnitList : public TInterfacedObject, public IVxUsedUnitList {
public:
    Ref<IVxUsedUnit> GetItems(int Index) override;
    void Add(const std::string& Name, const std::string& InPath) override;
    void Clear() override { FItems.clear(); }
    int GetCount() override { return static_cast<int>(FItems.size()); }

private:
    std::vector<Ref<IVxUsedUnit>> FItems;
};

class TVxPreProcessorInfo : public TInterfacedObject, public IVxPreProcessorInfo {
public:
    TVxPreProcessorInfo();
    Ref<IVxUsedUnitList> GetUsedUnits() override;
    int GetUsedUnitCount() override;
    void GetUnitInPath(const std::string& Name, std::string& InPath) override;
    const std::string& GetFileName() const { return FFileName; }
    // Scans the file when the name differs from the stored one.
    void SetFileName(const std::string& Value);

private:
    std::string FFileName;
    Ref<TVxUsedUnitList> FUsedUnits;
    // Each unit's in-path by case-insensitive name; the first line wins.
    std::unordered_map<std::string, std::string> FInPaths;
};

Ref<IVxPreProcessorInfo> NewPreProcessorInfo(const std::string& FileName);
Ref<IVxUsedUnit> NewUsedUnit(const std::string& Name, const std::string& InPath);
