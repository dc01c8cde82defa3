// A minimal project hub for the model tests: file names, units and messages.
#pragma once

#include "model/uqlClasses.h"
#include "model/uqlMessage.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TTestMessageList : public TInterfacedObject, public IqlMessageList {
public:
    Ref<IqlMessage> Add(const std::string& Text, int FileIndex, int X, int Y,
                        bool InInterfaceSection) override
    {
        Ref<IqlMessage> M(new TqlMessage(Text, FileIndex, X, Y, InInterfaceSection));
        FItems.push_back(M);
        return M;
    }
    void Clear() override { FItems.clear(); }
    int GetCount() override { return int(FItems.size()); }
    Ref<IqlMessage> GetItems(int Index) override { return FItems.at(size_t(Index)); }
    void Sort(TMessageListSortBy) override {}

private:
    std::vector<Ref<IqlMessage>> FItems;
};

class TTestProject : public TInterfacedObject, public IqlProject {
public:
    TTestProject() : FMessages(new TTestMessageList) {}

    // Adds a unit with a source file of the given name; returns it.
    TqlUnit* NewUnit(const std::string& Name)
    {
        const int FileIndex = FFiles.Add(Name + ".pas", true, FUnits.GetCount());
        auto* Unit = new TqlUnit(FileIndex, Name);
        FUnits.AddUnit(Unit);
        Unit->ParserState = psrFull;
        return Unit;
    }

    TqlUnit* GetMainUnit() override { return FUnits.GetCount() ? FUnits.GetUnits(0) : nullptr; }
    void AddCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void AddProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void Clear() override
    {
        FUnits.Clear();
        FFiles.Clear();
        FMessages->Clear();
    }
    Ref<IqlSettings> CreateSettings(const std::string&) override { return nullptr; }
    TqlUnitList* GetUnits() override { return &FUnits; }
    bool GetAborted() override { return false; }
    Ref<IqlCodingConventions> GetCodingConventions() override { return nullptr; }
    Ref<IqlOptions> GetOptions() override { return nullptr; }
    TqlFileNameList* GetFileNames() override { return &FFiles; }
    Ref<IqlMessageList> GetMessages() override { return FMessages; }
    TqlSymbol* FindSystemSymbol(const std::string&) override { return nullptr; }
    TqlType* GetSystemType(TqlTypeKind) override { return nullptr; }
    Ref<IqlFileSettings> GetProjectSettingsFile() override { return nullptr; }
    Ref<IqlSystemOptions> GetSystemOptions() override { return nullptr; }
    Ref<IqlRegExpr> GetRegExpr() override { return nullptr; }
    Ref<IqlReports> GetReports() override { return nullptr; }
    Ref<IqlFileSettings> GetSystemSettingsFile() override { return nullptr; }
    TqlOwnedClassList* GetClasses() override { return nullptr; }
    TqlOwnedInterfaceList* GetInterfaces() override { return nullptr; }
    TqlOwnedObjectList* GetObjects() override { return nullptr; }
    TqlSymbolList* GetSystemSymbols() override { return nullptr; }
    bool LoadFromFile(const std::string&) override { return false; }
    void NotifyProgress(const std::string&, TParserState) override {}
    void RemoveCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void RemoveProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void FindUnitFile(const std::string&, const std::string&, std::string& FileName,
                      bool& IsLibrary) override
    {
        FileName.clear();
        IsLibrary = false;
    }
    TqlUnit* AddUnit(const std::string& UnitName, const std::string&) override { return NewUnit(UnitName); }
    void Analyze(bool) override {}
    void ParseInterface(TqlUnit*) override {}
    void SaveToFile(const std::string&) override {}
    void ShowCode(TqlCodeLocation*) override {}
    void NotifyCodeViewers(const std::string&, int, int) override {}

    // Counted when the project goes; lets a test watch the release order.
    std::function<void()> OnDestroy;
    ~TTestProject() override
    {
        if (OnDestroy)
            OnDestroy();
    }

private:
    // Files before units: units are destroyed first (their uses point into
    // each other, never into the file list).
    TqlFileNameList FFiles;
    TqlUnitList FUnits;
    Ref<TTestMessageList> FMessages;
};

// Installs a fresh test project as gqlProject for the lifetime of a test.
class TProjectScope {
public:
    TProjectScope() : FProject(new TTestProject)
    {
        gqlProject = Ref<IqlProject>(FProject.get());
    }
    ~TProjectScope() { gqlProject = nullptr; }
    TTestProject* operator->() const { return FProject.get(); }
    TTestProject* get() const { return FProject.get(); }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> Result;
        Ref<IqlMessageList> L = FProject->GetMessages();
        for (int i = 0; i < L->GetCount(); ++i)
            Result.push_back(L->GetItems(i)->GetMessageText());
        return Result;
    }

private:
    Ref<TTestProject> FProject;
};
