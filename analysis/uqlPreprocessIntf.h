// The units that a main file's uses clauses (or a package's contains clause)
// name, each with the path of its "in" clause, gathered before the analysis.
#pragma once

#include "base/qlInterface.h"

#include <string>

class IVxUsedUnit : public virtual IInterface {
public:
    static constexpr TGUID IID{0x06B9FE0A, 0xA470, 0x4F3A, {0x8F, 0x6A, 0x6D, 0xE9, 0xA5, 0x7A, 0xBF, 0xC0}};
    virtual std::string GetName() = 0;
    virtual std::string GetInPath() = 0;
};

class IVxUsedUnitList : public virtual IInterface {
public:
    static constexpr TGUID IID{0xAB95AC2E, 0xAA8A, 0x44CA, {0x80, 0xF3, 0x65, 0xC1, 0xD9, 0x80, 0x20, 0x5F}};
    // Out of range raises EListError.
    virtual Ref<IVxUsedUnit> GetItems(int Index) = 0;
    virtual void Add(const std::string& Name, const std::string& InPath) = 0;
    virtual void Clear() = 0;
    virtual int GetCount() = 0;
};

class IVxPreProcessorInfo : public virtual IInterface {
public:
    static constexpr TGUID IID{0xB5F0C908, 0xCC7E, 0x4336, {0x8B, 0x5C, 0x03, 0xD0, 0x94, 0xCA, 0x52, 0xF5}};
    virtual Ref<IVxUsedUnitList> GetUsedUnits() = 0;
    virtual int GetUsedUnitCount() = 0;
    // The in-path of the first entry named Name (without regard to case);
    // InPath is left unchanged when there is none.
    virtual void GetUnitInPath(const std::string& Name, std::string& InPath) = 0;
};

// Scans FileName and returns its used units (none when it does not exist).
Ref<IVxPreProcessorInfo> GetPreProcessorInfo(const std::string& FileName);
