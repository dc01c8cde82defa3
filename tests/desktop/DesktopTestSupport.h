// Shared helpers of the desktop tests: a scratch folder that holds the
// settings files, and scripted answers for every prompt.
#pragma once

#include "TestFolder.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlTreeNode.h"
#include "model/uqlClasses.h"
#include "settings/uqlFileSettings.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>

#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <functional>

inline std::string ReadFile(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

// Answers prompts from a queue (OK for plain messages when it runs dry) and
// records every text it was shown.
class TScriptedPrompts : public TqlPromptHandler {
public:
    TScriptedPrompts() { FOld = qlSetPromptHandler(this); }
    ~TScriptedPrompts() override { qlSetPromptHandler(FOld); }

    TqlAnswer Answer(const QString& Text) override
    {
        Texts << Text;
        if (OnPrompt)
            OnPrompt(Text);
        if (Answers.empty())
            return TqlAnswer::OK;
        TqlAnswer A = Answers.front();
        Answers.pop_front();
        return A;
    }
    QString FileName(const QString& Title) override
    {
        Texts << Title;
        if (FileNames.empty())
            return {};
        QString N = FileNames.front();
        FileNames.pop_front();
        return N;
    }

    std::deque<TqlAnswer> Answers;
    std::deque<QString> FileNames;
    QStringList Texts;
    std::function<void(const QString&)> OnPrompt;

private:
    TqlPromptHandler* FOld;
};

// gqlQuilletOptions on Folder/Quillet.ini for one test.
class TDesktopIni {
public:
    explicit TDesktopIni(const TTestFolder& Folder)
        : FileName(Folder.Path() + "/Quillet.ini")
    {
        gqlQuilletOptions = Ref<IqlFileSettings>(new TqlFileSettings(FileName));
    }
    ~TDesktopIni() { gqlQuilletOptions = nullptr; }
    std::string FileName;
};

// Shows a main window as the program does after making it, and lets the
// boxes kept from its start-up come; false when it never showed.
inline bool ShowStarted(TMainForm* Form)
{
    Form->show();
    const bool Exposed = QTest::qWaitForWindowExposed(Form);
    QCoreApplication::processEvents();
    return Exposed;
}

// One main window over a scratch folder; shut down and freed at the end.
struct TForm {
    explicit TForm(const TTestFolder& Folder, const QStringList& Args = {})
        : Form(new TMainForm(Args, QString::fromStdString(Folder.Path())))
    {
    }
    ~TForm()
    {
        Form->Shutdown();
        delete Form;
    }
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;
    TMainForm* operator->() const { return Form; }
    bool Show() const { return ShowStarted(Form); }
    TMainForm* Form;
};

// The first node of Tree that Wanted accepts, filling nodes on the way down
// (references groups are not entered); nil when there is none.
inline TqlTreeNode* FindTreeNode(QTreeWidget* Tree, const std::function<bool(TqlTreeNode*)>& Wanted)
{
    std::function<TqlTreeNode*(TqlTreeNode*, int)> Walk = [&](TqlTreeNode* Node, int Depth) -> TqlTreeNode* {
        if (Wanted(Node))
            return Node;
        if (Depth > 4 || Node->Kind == nkUsedBy)
            return nullptr;
        ExpandTreeNode(Node, true);
        for (int I = 0; I < Node->childCount(); ++I)
            if (TqlTreeNode* Found = Walk(Node->ChildNode(I), Depth + 1))
                return Found;
        return nullptr;
    };
    for (int I = 0; I < Tree->topLevelItemCount(); ++I)
        if (TqlTreeNode* Found = Walk(static_cast<TqlTreeNode*>(Tree->topLevelItem(I)), 0))
            return Found;
    return nullptr;
}
