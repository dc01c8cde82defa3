// The "Find" dialog: a search text and three options, and the rule by which
// a name matches them. The program keeps one dialog for the whole run, so
// the controls keep their state between showings.
#pragma once

#include "desktop/frmqlBaseDialog.h"

#include <QString>

#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The matching rule on its own. Texts are Windows-1252 bytes.
//   - Regular expression: an unanchored search anywhere in the text, letter
//     case ignored unless CaseSensitive; WholeWords plays no part.
//   - Otherwise without WholeWords: a substring test; without CaseSensitive
//     only the letters A to Z are lowered on both sides.
//   - Otherwise: the whole text equals the search text (exactly, or without
//     regard to letter case).
// A bad expression raises ERegExpr with the position of the fault.
class TqlFindRule {
public:
    TqlFindRule();
    ~TqlFindRule();
    TqlFindRule(const TqlFindRule&) = delete;
    TqlFindRule& operator=(const TqlFindRule&) = delete;

    void Set(const std::string& SearchText, bool CaseSensitive, bool WholeWords,
             bool RegularExpression);
    bool Matches(const std::string& Text);

private:
    struct TCompiled;
    std::string FSearchText;
    std::string FLoweredSearchText;
    bool FCaseSensitive = false;
    bool FWholeWords = false;
    bool FRegularExpression = false;
    // The expression compiled on first use after Set, and kept while the
    // settings stay the same.
    std::unique_ptr<TCompiled> FCompiled;
};

class TFindForm : public TBaseDialogForm {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* Parent = nullptr);
    ~TFindForm() override;

    // Whether Text matches the current search settings.
    bool FindTextMatches(const std::string& Text);

    QLabel* Label1 = nullptr;
    QLineEdit* FindEdit = nullptr;
    QCheckBox* CaseSensitiveCheckBox = nullptr;
    QCheckBox* WholeWordsOnlyCheckBox = nullptr;
    QCheckBox* RegularExpressionCheckBox = nullptr;

public slots:
    // OK with an empty search text closes the dialog as Cancel.
    void done(int Result) override;

protected:
    // The search text is the active control on every showing.
    void showEvent(QShowEvent* Event) override;

private:
    TqlFindRule FRule;
    QString FSearchText;
    std::string FSearchAnsi;
};

// Searches Tree depth-first for a node whose symbol name matches Form's
// rule, starting after StartNode (from the first node when it is nil);
// selects the found node and answers whether one was found.
bool FindInTree(QTreeWidget* Tree, TFindForm& Form, QTreeWidgetItem* StartNode);
