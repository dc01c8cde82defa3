// A real project installed as gqlProject for one test, with its settings
// files in a temporary folder of its own.
#pragma once

#include "CliTestSupport.h"

#include "analysis/uqlProject.h"
#include "settings/uqlStringList.h"

#include <algorithm>

class TProjectScope {
public:
    TProjectScope() : FProject(new TqlProject(FSettings.Path())) { gqlProject = Ref<IqlProject>(FProject.get()); }
    ~TProjectScope() { gqlProject = nullptr; }
    TqlProject* operator->() const { return FProject.get(); }
    TqlProject* get() const { return FProject.get(); }
    // The folder that holds the project's settings files.
    const TCliFolder& Settings() const { return FSettings; }

    void Analyze(const std::string& File, bool ParseAll = true)
    {
        FProject->GetOptions()->SetFileToAnalyze(File);
        FProject->Analyze(ParseAll);
    }
    TqlUnit* Unit(const std::string& Name) { return FProject->GetUnits()->FindUnit(Name); }
    TqlSourceFile* FileOf(TqlUnit* U) { return FProject->GetFileNames()->GetItems(U->GetFileIndex()); }
    std::vector<std::string> Messages()
    {
        std::vector<std::string> R;
        Ref<IqlMessageList> L = FProject->GetMessages();
        for (int i = 0; i < L->GetCount(); ++i)
            R.push_back(L->GetItems(i)->GetMessageText());
        return R;
    }
    int CountMessage(const std::string& Text)
    {
        auto M = Messages();
        return static_cast<int>(std::count(M.begin(), M.end(), Text));
    }

private:
    TCliFolder FSettings;
    Ref<TqlProject> FProject;
};

// Records each progress notice as "file-name stage"; may set Abort on a
// given call.
class TRecordingNotifier : public TInterfacedObject, public IqlProgressNotifier {
public:
    std::vector<std::string> Notices;
    int AbortOnCall = -1;
    void Notify(const std::string& Name, TParserState Stage, bool& Abort) override
    {
        Notices.push_back(qlExtractFileName(Name) + (Stage == psrFull ? " Implementation" : " Interface"));
        if (int(Notices.size()) == AbortOnCall)
            Abort = true;
    }
};
