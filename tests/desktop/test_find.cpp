// The find dialog's matching rule in its three modes, the dialog itself,
// and the find walk over the project tree of the analysed sample.
#include "TestFolder.h"
#include "analysis/uqlProject.h"
#include "desktop/frmqlFind.h"
#include "desktop/uqlTreeNode.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlRegExpr.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <string>
#include <vector>

namespace {

struct TCase {
    const char* Search;
    bool Case, Whole, Regex;
    const char* Text;
    bool Expected;
};

// Every node of the tree, depth-first, whether filled or not.
void Collect(QTreeWidgetItem* Item, std::vector<TqlTreeNode*>& All)
{
    for (int I = 0; I < Item->childCount(); ++I) {
        All.push_back(static_cast<TqlTreeNode*>(Item->child(I)));
        Collect(Item->child(I), All);
    }
}

std::vector<TqlTreeNode*> AllNodes(QTreeWidget* Tree)
{
    std::vector<TqlTreeNode*> All;
    Collect(Tree->invisibleRootItem(), All);
    return All;
}

bool AncestorsExpanded(QTreeWidgetItem* Item)
{
    for (QTreeWidgetItem* P = Item->parent(); P; P = P->parent())
        if (!P->isExpanded())
            return false;
    return true;
}

} // namespace

class TFindTest : public QObject {
    Q_OBJECT

private:
    TTestFolder FFolder;
    Ref<TqlProject> FProject;
    std::unique_ptr<TFindForm> FForm;

    void Search(const char* Text, bool Case, bool Whole, bool Regex)
    {
        FForm->FindEdit->setText(Text);
        FForm->CaseSensitiveCheckBox->setChecked(Case);
        FForm->WholeWordsOnlyCheckBox->setChecked(Whole);
        FForm->RegularExpressionCheckBox->setChecked(Regex);
    }

private slots:
    void initTestCase()
    {
        gqlQuilletOptions = Ref<IqlFileSettings>(new TqlFileSettings(FFolder.Path() + "/Quillet.ini"));
        FProject = Ref<TqlProject>(new TqlProject(FFolder.Path() + "/"));
        gqlProject = Ref<IqlProject>(FProject.get());
        FProject->GetOptions()->SetFileToAnalyze(std::string(QUILLET_SOURCE_DIR) +
                                                 "/samples/Inventory/Inventory.dpr");
        FProject->Analyze(true);
        FForm = std::make_unique<TFindForm>();
    }

    void cleanupTestCase()
    {
        FForm.reset();
        gqlProject = nullptr;
        FProject = nullptr;
        gqlQuilletOptions = nullptr;
    }

    void ruleModes()
    {
        const TCase Cases[] = {
            // Substring; without "Case sensitive" only A-Z are lowered.
            {"AbC", false, false, false, "xxabcxx", true},
            {"AbC", true, false, false, "xxabcxx", false},
            {"AbC", true, false, false, "xxAbCxx", true},
            {"\xC4x", false, false, false, "\xE4x", false},  // Ä is not lowered here
            {"\xC4x", false, false, false, "a\xC4xb", true},
            // Whole words: the whole text.
            {"abc", false, true, false, "abc", true},
            {"abc", false, true, false, "ABC", true},
            {"abc", false, true, false, "abc def", false},
            {"abc", false, true, false, "xabc", false},
            {"AbC", true, true, false, "abc", false},
            {"AbC", true, true, false, "AbC", true},
            {"\xC4rger", false, true, false, "\xE4RGER", true},  // letter case of the code page
            // Regular expressions: unanchored, case by the check box, whole
            // words ignored.
            {"^ab.$", false, false, true, "ABC", true},
            {"^ab.$", false, false, true, "xABC", false},
            {"^ab.$", false, false, true, "ABCD", false},
            {"^ab.$", true, false, true, "ABC", false},
            {"^ab.$", true, true, true, "abc", true},
            {"b+c", false, true, true, "aBBCd", true},
            {"AbC", true, false, true, "abc", false},
        };
        TqlFindRule Rule;
        for (const TCase& C : Cases) {
            Rule.Set(C.Search, C.Case, C.Whole, C.Regex);
            QVERIFY2(Rule.Matches(C.Text) == C.Expected,
                     (std::string(C.Search) + " / " + C.Text).c_str());
        }
        // The dialog applies the same rule from its controls.
        Search("AbC", false, false, false);
        QVERIFY(FForm->FindTextMatches("xxabcxx"));
        FForm->CaseSensitiveCheckBox->setChecked(true);
        QVERIFY(!FForm->FindTextMatches("xxabcxx"));
    }

    void badExpressionNamesItsOffset()
    {
        TqlFindRule Rule;
        Rule.Set("ab(c", false, false, true);
        try {
            Rule.Matches("abc");
            QFAIL("no error raised");
        } catch (const ERegExpr& E) {
            const std::string Msg = E.what();
            QVERIFY2(Msg.find("ab(c") != std::string::npos, Msg.c_str());
            QVERIFY2(Msg.find("at offset 4") != std::string::npos, Msg.c_str());
        }
        // Fixing the expression clears the error.
        Rule.Set("ab(c)", false, false, true);
        QVERIFY(Rule.Matches("xabc"));
    }

    void dialogLayoutAndClose()
    {
        QCOMPARE(FForm->windowTitle(), QString("Find"));
        QCOMPARE(FForm->CaseSensitiveCheckBox->text(), QString("Case sensitive"));
        QCOMPARE(FForm->WholeWordsOnlyCheckBox->text(), QString("Whole words only"));
        QCOMPARE(FForm->RegularExpressionCheckBox->text(), QString("Regular Expression"));
        QCOMPARE(FForm->FindEdit->width(), 371);
        // OK with an empty text closes as Cancel; with a text as OK.
        Search("", false, true, false);
        FForm->open();
        QCOMPARE(FForm->focusWidget(), static_cast<QWidget*>(FForm->FindEdit));
        QTest::mouseClick(FForm->btnOK, Qt::LeftButton);
        QCOMPARE(FForm->result(), int(QDialog::Rejected));
        Search("Count", false, true, false);
        FForm->open();
        QTest::mouseClick(FForm->btnOK, Qt::LeftButton);
        QCOMPARE(FForm->result(), int(QDialog::Accepted));
        // The controls keep their state between showings.
        QCOMPARE(FForm->FindEdit->text(), QString("Count"));
        QVERIFY(FForm->WholeWordsOnlyCheckBox->isChecked());
    }

    void findAndFindNextOverTheProjectTree()
    {
        QTreeWidget Tree;
        FillProjectTree(&Tree);
        Search("Count", true, false, false);
        std::vector<TqlTreeNode*> Found;
        QTreeWidgetItem* Start = nullptr;
        while (FindInTree(&Tree, *FForm, Start)) {
            auto* Node = static_cast<TqlTreeNode*>(Tree.currentItem());
            QVERIFY(Node && Node != Start);
            QVERIFY(FForm->FindTextMatches(Node->Symbol->GetName()));
            QVERIFY(!qlIsGroupNodeKind(Node->Kind));
            QVERIFY(AncestorsExpanded(Node));
            Found.push_back(Node);
            Start = Node;
            QVERIFY(Found.size() < 50);
        }
        // FCount (field) and Count (property) of both classes among them,
        // each node once; the last Find Next finds nothing.
        std::vector<std::string> Names;
        for (TqlTreeNode* N : Found)
            Names.push_back(N->Caption());
        std::string Joined;
        for (const std::string& N : Names)
            Joined += N + "|";
        QVERIFY2(Names.size() >= 4, Joined.c_str());
        std::vector<TqlTreeNode*> Sorted = Found;
        std::sort(Sorted.begin(), Sorted.end());
        QVERIFY(std::adjacent_find(Sorted.begin(), Sorted.end()) == Sorted.end());
        for (const char* Caption : {"FCount : Integer", "Property Count : Integer"})
            QVERIFY2(std::count(Names.begin(), Names.end(), Caption) >= 2, Caption);
        // The failed Find Next closed what it opened: only the paths to the
        // hits, opened when each was shown, stay open.
        std::vector<QTreeWidgetItem*> Path;
        for (TqlTreeNode* Hit : Found)
            for (QTreeWidgetItem* P = Hit->parent(); P; P = P->parent())
                Path.push_back(P);
        for (TqlTreeNode* N : AllNodes(&Tree))
            QCOMPARE(N->isExpanded(), std::find(Path.begin(), Path.end(), N) != Path.end());
        // Find (from the first node) starts over at the first match.
        QVERIFY(FindInTree(&Tree, *FForm, nullptr));
        QCOMPARE(Tree.currentItem(), static_cast<QTreeWidgetItem*>(Found.front()));
    }

    void findWithoutMatchLeavesTheTreeCollapsed()
    {
        QTreeWidget Tree;
        FillProjectTree(&Tree);
        auto* Top = static_cast<TqlTreeNode*>(Tree.topLevelItem(0));
        Tree.expandItem(Top);
        ExpandTreeNode(Top, true);
        Search("NoSuchName", false, false, false);
        QVERIFY(!FindInTree(&Tree, *FForm, nullptr));
        QVERIFY(Tree.currentItem() == nullptr);
        const std::vector<TqlTreeNode*> All = AllNodes(&Tree);
        QVERIFY(All.size() > 100);  // the walk filled what it searched
        for (TqlTreeNode* N : All) {
            // What the user had expanded stays so; nothing else was left open.
            QCOMPARE(N->isExpanded(), N == Top);
            // References groups are never entered.
            if (N->Kind == nkUsedBy)
                QCOMPARE(N->childCount(), 0);
            // Inside a used unit, its own used units are not searched.
            if (N->Kind == nkUsedUnits && N->ParentNode() != Top)
                for (int I = 0; I < N->childCount(); ++I)
                    QCOMPARE(N->child(I)->childCount(), 0);
        }
        // The used units of the top unit were searched, member lists included.
        TqlTreeNode* UsedUnits = nullptr;
        for (int I = 0; I < Top->childCount(); ++I)
            if (Top->ChildNode(I)->Kind == nkUsedUnits)
                UsedUnits = Top->ChildNode(I);
        QVERIFY(UsedUnits);
        for (int I = 0; I < UsedUnits->childCount(); ++I)
            if (UsedUnits->ChildNode(I)->HasChildren())
                QVERIFY(UsedUnits->child(I)->childCount() > 0);

        // A hit opens exactly the path to it; what was searched before it
        // on the way is closed again.
        Search("TStockItem", true, true, false);
        QVERIFY(FindInTree(&Tree, *FForm, nullptr));
        auto* Hit = static_cast<TqlTreeNode*>(Tree.currentItem());
        QCOMPARE(Hit->Caption(), std::string("TStockItem (TObject)"));
        std::vector<QTreeWidgetItem*> Path = {Top};
        for (QTreeWidgetItem* P = Hit->parent(); P; P = P->parent())
            Path.push_back(P);
        for (TqlTreeNode* N : AllNodes(&Tree))
            QCOMPARE(N->isExpanded(), std::find(Path.begin(), Path.end(), N) != Path.end());
        Tree.clear();
    }

    void findInAnEmptyTree()
    {
        QTreeWidget Tree;
        Search("x", false, false, false);
        QVERIFY(!FindInTree(&Tree, *FForm, nullptr));
    }
};

QTEST_MAIN(TFindTest)
#include "test_find.moc"
