// A refactoring host without a user interface, for tests and the benchmark:
// it keeps the registry, records what the refactorings report (messages,
// finished units, load errors) and answers the selection it was given. While
// it lives, questions to the user (qlInputQuery) take the scripted answers
// and programs to start are recorded instead of started.
#pragma once

#include "Refactorings/uqlRefactoringRegistry.h"
#include "base/qlInterface.h"
#include "model/uqlClasses.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class THeadlessRefactoringHost : public TInterfacedObject, public IqlRefactoringHost {
public:
    THeadlessRefactoringHost();
    ~THeadlessRefactoringHost() override;

    void AddMessage(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg) override;
    void AddGroup(const std::string& Name, const std::string& Caption,
                  const std::string& ParentName) override;
    TqlSymbol* GetSelectedSymbol() override { return SelectedSymbol; }
    TqlUnit* GetSelectedUnit() override { return SelectedUnit; }
    void UnitRefactored(TqlUnit* Unit) override;
    void RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring,
                             const std::string& GroupName) override;
    void RemoveGroup(const std::string& Name) override;
    void UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring) override;

    // Runs the command of the refactoring named Name: false when there is
    // none or it cannot execute now.
    bool Run(const std::string& Name);
    // For TqlPluginLoader's OnError.
    void AddLoadError(const std::string& Text) { LoadErrors.push_back(Text); }

    TqlRefactoringRegistry Registry;
    // The selection that GetSelectedSymbol and GetSelectedUnit answer.
    TqlSymbol* SelectedSymbol = nullptr;
    TqlUnit* SelectedUnit = nullptr;
    // Messages as the host makes them ("<refactoring>: <text>", the
    // location of the reported one).
    std::vector<Ref<IqlMessage>> Messages;
    std::vector<TqlUnit*> RefactoredUnits;
    std::vector<std::string> LoadErrors;
    // Answers for qlInputQuery, first first; an empty optional (or none
    // left) cancels.
    std::deque<std::optional<std::string>> InputAnswers;
    // Every program that would have been started, with its arguments.
    std::vector<std::vector<std::string>> Launches;
    // What the launcher answers.
    bool LaunchSucceeds = true;
};
