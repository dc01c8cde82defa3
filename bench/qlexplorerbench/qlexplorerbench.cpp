// qlexplorerbench MAIN_FILE [--libpath DIR...]: analyses the project, fills
// the project tree and times Find with a text that matches nothing (the walk
// over the whole tree), in each of the three find modes; the first walk
// fills the tree, the later ones walk a filled tree. Runs offscreen.
#include "analysis/uqlProject.h"
#include "desktop/frmqlFind.h"
#include "desktop/uqlTreeNode.h"
#include "settings/uqlStringList.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

double Since(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

int CountNodes(QTreeWidgetItem* Item)
{
    int N = Item->childCount();
    for (int I = 0; I < Item->childCount(); ++I)
        N += CountNodes(Item->child(I));
    return N;
}

} // namespace

int main(int Argc, char** Argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication App(Argc, Argv);
    std::string MainFile;
    std::vector<std::string> LibPaths;
    for (int I = 1; I < Argc; ++I) {
        if (std::strcmp(Argv[I], "--libpath") == 0 && I + 1 < Argc)
            LibPaths.push_back(Argv[++I]);
        else if (MainFile.empty())
            MainFile = Argv[I];
    }
    if (MainFile.empty()) {
        std::fprintf(stderr, "usage: qlexplorerbench MAIN_FILE [--libpath DIR...]\n");
        return 2;
    }
    int Rc = 0;
    try {
        Ref<TqlProject> Project(new TqlProject);
        gqlProject = Ref<IqlProject>(Project.get());
        for (const std::string& P : LibPaths)
            Project->GetSystemOptions()->GetLibrarySearchPath()->Add(P);
        Project->GetOptions()->SetFileToAnalyze(MainFile);
        auto Start = std::chrono::steady_clock::now();
        Project->Analyze(true);
        const double AnalyzeSeconds = Since(Start);
        long long Lines = 0;
        TqlFileNameList* Files = Project->GetFileNames();
        for (int I = 0; I < Files->GetCount(); ++I)
            if (Files->GetItems(I)->Exists) {
                std::ifstream In(Files->GetItems(I)->GetFullFileName(), std::ios::binary);
                Lines += std::count(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>(), '\n');
            }
        std::printf("analyze_s=%.2f units=%d lines=%lld\n", AnalyzeSeconds,
                    Project->GetUnits()->GetCount(), Lines);
        {
            QTreeWidget Tree;
            Tree.resize(273, 600);
            Tree.show();
            Start = std::chrono::steady_clock::now();
            FillProjectTree(&Tree);
            std::printf("fill_top_s=%.3f\n", Since(Start));
            TFindForm Form;
            Form.FindEdit->setText("zzNoSuchNamezz");
            struct TMode {
                const char* Name;
                bool Whole, Regex;
            };
            const TMode Modes[] = {{"substring", false, false},
                                   {"substring", false, false},
                                   {"whole_words", true, false},
                                   {"regex", false, true}};
            for (const TMode& M : Modes) {
                Form.WholeWordsOnlyCheckBox->setChecked(M.Whole);
                Form.RegularExpressionCheckBox->setChecked(M.Regex);
                Start = std::chrono::steady_clock::now();
                const bool Found = FindInTree(&Tree, Form, nullptr);
                std::printf("find_no_match mode=%s found=%d seconds=%.3f nodes=%d\n", M.Name,
                            int(Found), Since(Start), CountNodes(Tree.invisibleRootItem()));
            }
            Start = std::chrono::steady_clock::now();
            Tree.clear();
            std::printf("clear_s=%.3f\n", Since(Start));
        }
        gqlProject = nullptr;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        Rc = 1;
    }
    return Rc;
}
