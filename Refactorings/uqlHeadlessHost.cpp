#include "Refactorings/uqlHeadlessHost.h"

#include "Refactorings/uqlRefactoring.h"
#include "model/uqlMessage.h"

THeadlessRefactoringHost::THeadlessRefactoringHost()
{
    qlSetInputQuery([this](const std::string&, const std::string&, std::string& Value) {
        if (InputAnswers.empty())
            return false;
        std::optional<std::string> Answer = std::move(InputAnswers.front());
        InputAnswers.pop_front();
        if (!Answer)
            return false;
        Value = *Answer;
        return true;
    });
    qlSetProgramLauncher([this](const std::vector<std::string>& Argv) {
        Launches.push_back(Argv);
        return LaunchSucceeds;
    });
}

THeadlessRefactoringHost::~THeadlessRefactoringHost()
{
    qlSetInputQuery(nullptr);
    qlSetProgramLauncher(nullptr);
}

void THeadlessRefactoringHost::AddMessage(const Ref<IqlRefactoring>& Refactoring,
                                          const Ref<IqlMessage>& Msg)
{
    const TqlCodeLocation* Location = Msg ? Msg->GetCodeLocation() : nullptr;
    Messages.push_back(Ref<IqlMessage>(new TqlMessage(
        TqlRefactoringRegistry::MessageText(Refactoring, Msg), Location ? Location->GetFileIndex() : -1,
        Location ? Location->GetX() : 0, Location ? Location->GetY() : 0, false)));
}

void THeadlessRefactoringHost::AddGroup(const std::string& Name, const std::string& Caption,
                                        const std::string& ParentName)
{
    Registry.AddGroup(Name, Caption, ParentName);
}

void THeadlessRefactoringHost::UnitRefactored(TqlUnit* Unit) { RefactoredUnits.push_back(Unit); }

void THeadlessRefactoringHost::RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring,
                                                   const std::string& GroupName)
{
    Registry.RegisterRefactoring(Refactoring, GroupName);
}

void THeadlessRefactoringHost::RemoveGroup(const std::string& Name) { Registry.RemoveGroup(Name); }

void THeadlessRefactoringHost::UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring)
{
    Registry.UnregisterRefactoring(Refactoring);
}

bool THeadlessRefactoringHost::Run(const std::string& Name)
{
    const TqlRefactoringRegistry::TItem* Command = Registry.FindCommand(Name);
    if (!Command || !TqlRefactoringRegistry::CanExecute(*Command))
        return false;
    // The command may be unregistered while it runs.
    const TqlRefactoringRegistry::TItem Copy{Command->Name, Command->Caption, Command->Refactoring,
                                             nullptr, {}};
    TqlRefactoringRegistry::Execute(Copy);
    return true;
}
