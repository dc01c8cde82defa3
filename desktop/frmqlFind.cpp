#define PCRE2_CODE_UNIT_WIDTH 8
#include "desktop/frmqlFind.h"

#include "desktop/uqlText.h"
#include "desktop/uqlTreeNode.h"
#include "settings/uqlRegExpr.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <pcre2.h>

// ---------------------------------------------------------------------------
// TqlFindRule
// ---------------------------------------------------------------------------

namespace {

// Only the letters A to Z are lowered.
std::string LowerAZ(const std::string& S)
{
    std::string R = S;
    for (char& C : R)
        if (C >= 'A' && C <= 'Z')
            C = char(C - 'A' + 'a');
    return R;
}

bool IsAscii(const std::string& S)
{
    for (char C : S)
        if (static_cast<unsigned char>(C) >= 0x80)
            return false;
    return true;
}

} // namespace

struct TqlFindRule::TCompiled {
    pcre2_code* Code = nullptr;
    pcre2_match_context* Context = nullptr;
    pcre2_match_data* Data = nullptr;
    ~TCompiled()
    {
        pcre2_match_data_free(Data);
        pcre2_match_context_free(Context);
        pcre2_code_free(Code);
    }
};

TqlFindRule::TqlFindRule() = default;
TqlFindRule::~TqlFindRule() = default;

void TqlFindRule::Set(const std::string& SearchText, bool CaseSensitive, bool WholeWords,
                      bool RegularExpression)
{
    if (SearchText == FSearchText && CaseSensitive == FCaseSensitive &&
        WholeWords == FWholeWords && RegularExpression == FRegularExpression)
        return;
    FSearchText = SearchText;
    FLoweredSearchText = LowerAZ(SearchText);
    FCaseSensitive = CaseSensitive;
    FWholeWords = WholeWords;
    FRegularExpression = RegularExpression;
    FCompiled.reset();
}

bool TqlFindRule::Matches(const std::string& Text)
{
    if (FRegularExpression) {
        if (!FCompiled) {
            int ErrorCode = 0;
            PCRE2_SIZE ErrorOffset = 0;
            // Bytes, not UTF-8: names are 8-bit text.
            uint32_t Options = PCRE2_DOTALL | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
            if (!FCaseSensitive)
                Options |= PCRE2_CASELESS;
            auto C = std::make_unique<TCompiled>();
            C->Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(FSearchText.data()),
                                    FSearchText.size(), Options, &ErrorCode, &ErrorOffset, nullptr);
            if (!C->Code)
                throw ERegExpr("Invalid regular expression \"" + FSearchText + "\": " +
                               qlPcreMessage(ErrorCode) + " at offset " +
                               std::to_string(ErrorOffset) + ".");
            C->Context = pcre2_match_context_create(nullptr);
            C->Data = pcre2_match_data_create(1, nullptr);
            if (!C->Context || !C->Data)
                throw ERegExpr("Out of memory for the regular-expression engine.");
            pcre2_set_match_limit(C->Context, TqlRegExprEngine::MatchLimit);
            pcre2_set_depth_limit(C->Context, TqlRegExprEngine::DepthLimit);
            pcre2_set_heap_limit(C->Context, TqlRegExprEngine::HeapLimitKiB);
            FCompiled = std::move(C);
        }
        const int Rc = pcre2_match(FCompiled->Code, reinterpret_cast<PCRE2_SPTR>(Text.data()),
                                   Text.size(), 0, 0, FCompiled->Data, FCompiled->Context);
        if (Rc == PCRE2_ERROR_NOMATCH)
            return false;
        if (Rc < 0)
            throw ERegExpr("Regular expression \"" + FSearchText + "\" failed on \"" + Text +
                           "\": " + qlPcreMessage(Rc) + ".");
        return true;
    }
    if (!FWholeWords) {
        if (FCaseSensitive)
            return Text.find(FSearchText) != std::string::npos;
        return LowerAZ(Text).find(FLoweredSearchText) != std::string::npos;
    }
    if (FCaseSensitive)
        return Text == FSearchText;
    if (IsAscii(Text) && IsAscii(FSearchText))
        return LowerAZ(Text) == FLoweredSearchText;
    return QString::compare(qlFromAnsi(Text), qlFromAnsi(FSearchText), Qt::CaseInsensitive) == 0;
}

// ---------------------------------------------------------------------------
// TFindForm
// ---------------------------------------------------------------------------

TFindForm::TFindForm(QWidget* Parent)
    : TBaseDialogForm("TFindForm", false, fsRestoreOnCreate | fsStoreOnDestroy, Parent)
{
    setWindowTitle("Find");
    QWidget* Client = ClientArea();
    Label1 = new QLabel("Find", Client);
    Label1->setObjectName("Label1");
    Label1->move(20, 15);
    FindEdit = new QLineEdit(Client);
    FindEdit->setObjectName("FindEdit");
    FindEdit->setGeometry(50, 10, 371, FindEdit->sizeHint().height());
    Label1->setBuddy(FindEdit);
    CaseSensitiveCheckBox = new QCheckBox("Case sensitive", Client);
    CaseSensitiveCheckBox->setObjectName("CaseSensitiveCheckBox");
    CaseSensitiveCheckBox->move(50, 70);
    WholeWordsOnlyCheckBox = new QCheckBox("Whole words only", Client);
    WholeWordsOnlyCheckBox->setObjectName("WholeWordsOnlyCheckBox");
    WholeWordsOnlyCheckBox->move(50, 95);
    RegularExpressionCheckBox = new QCheckBox("Regular Expression", Client);
    RegularExpressionCheckBox->setObjectName("RegularExpressionCheckBox");
    RegularExpressionCheckBox->move(50, 120);
    for (QWidget* W : {static_cast<QWidget*>(CaseSensitiveCheckBox),
                       static_cast<QWidget*>(WholeWordsOnlyCheckBox),
                       static_cast<QWidget*>(RegularExpressionCheckBox)})
        W->adjustSize();
    setFixedSize(size());
    setTabOrder(FindEdit, CaseSensitiveCheckBox);
    setTabOrder(CaseSensitiveCheckBox, WholeWordsOnlyCheckBox);
    setTabOrder(WholeWordsOnlyCheckBox, RegularExpressionCheckBox);
    setTabOrder(RegularExpressionCheckBox, btnOK);
    setTabOrder(btnOK, btnCancel);
    FormCreate();
}

TFindForm::~TFindForm() = default;

bool TFindForm::FindTextMatches(const std::string& Text)
{
    const QString Search = FindEdit->text();
    if (Search != FSearchText) {
        FSearchText = Search;
        FSearchAnsi = qlToAnsi(Search);
    }
    FRule.Set(FSearchAnsi, CaseSensitiveCheckBox->isChecked(),
              WholeWordsOnlyCheckBox->isChecked(), RegularExpressionCheckBox->isChecked());
    return FRule.Matches(Text);
}

void TFindForm::showEvent(QShowEvent* Event)
{
    TBaseDialogForm::showEvent(Event);
    FindEdit->setFocus();
    FindEdit->selectAll();
}

void TFindForm::done(int Result)
{
    // The dialog's own close rule replaces the base form's capture of its
    // placement on closing.
    if (Result == QDialog::Accepted && FindEdit->text().isEmpty())
        Result = QDialog::Rejected;
    TBaseDialogForm::done(Result);
}

bool FindInTree(QTreeWidget* Tree, TFindForm& Form, QTreeWidgetItem* StartNode)
{
    TqlTreeNode* Start = StartNode && StartNode->type() == TqlTreeNode::NodeType
                             ? static_cast<TqlTreeNode*>(StartNode)
                             : nullptr;
    return qlSearchTree(Tree, Start,
                        [&Form](const std::string& Name) { return Form.FindTextMatches(Name); }) !=
           nullptr;
}
