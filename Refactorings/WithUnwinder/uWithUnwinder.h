// Refactorings that take with-statements apart: assign a with-expression to
// a new local variable, qualify the members that a with-statement reaches,
// or remove the with-statement; each for the selected unit or for all units.
#pragma once

#include "Refactorings/Common/uqlWithTypes.h"

#include <memory>
#include <map>
#include <set>
#include <unordered_set>
#include <string>
#include <vector>

// The three with-statement operations over one unit's tree, resolving names
// through the code model of the last analysis. Each answers whether it
// changed the tree; findings go to the sink.
class TqlWithUnwinder {
public:
    TqlWithUnwinder(TqlUnit* Unit, TqlModuleNode* Tree, TqlMessageSink Sink);

    bool AddLocalVars();
    bool QualifyWithStatements(bool WithMembersOnly);
    bool RemoveWithStatements();

private:
    struct TResolved {
        TqlVariableReferenceNode* Expression = nullptr;
        TqlCodeNode* Identifier = nullptr;
        TqlUsedByLocation* Location = nullptr;
        TqlSymbol* Symbol = nullptr;
        TqlSymbol* Container = nullptr;
        bool IsAsCast = false;
    };

    // Visits every with statement once, inner ones first.
    void Walk(void (TqlWithUnwinder::*Operation)(TqlStatementNode*));
    void AddLocalVarsCallback(TqlStatementNode* With);
    void QualifyWithStatementCallback(TqlStatementNode* With);
    void DoRemoveWithStatementCallback(TqlStatementNode* With);

    // The with-expressions of a statement, last first.
    static std::vector<TqlVariableReferenceNode*> Expressions(TqlStatementNode* With);
    // Resolves a with-expression to the symbol it names and the class or
    // record that supplies its members; posts the finding and answers False
    // when that fails (Quiet: no finding).
    bool Resolve(TqlVariableReferenceNode* Expression, const char* NoLocationText, TResolved& R,
                 bool Quiet = false);
    // The expression names the same thing wherever the body evaluates it.
    bool IsStableExpression(TqlStatementNode* With, const TResolved& R);
    // Every leaf below With where the analysis recorded, in this unit, a use
    // of a member of Container (ancestors included); answers whether the
    // container has members at all.
    bool ForEachMemberUse(TqlStatementNode* With, TqlSymbol* Container,
                          const std::function<void(TqlCodeNode*)>& Visit);
    bool HasUnqualifiedMemberUse(TqlStatementNode* With, const TResolved& R);
    // The member used at Node is a protected one of another unit's class,
    // which the bare name inside the with statement reaches, but which
    // written after the expression is out of reach (the method's own class
    // is neither the expression's type nor one of its ancestors).
    bool OutOfReachQualified(TqlStatementNode* With, TqlSymbol* Container, TqlCodeNode* Node);
    // The first name in the body that the analysis did not resolve; nil
    // when there is none.
    TqlCodeNode* UnresolvedNameInBody(TqlStatementNode* With);
    // No ancestor of the class is one the analysis did not find (true for a
    // record).
    static bool HasKnownAncestry(TqlSymbol* Container);
    std::string FreeVariableName(TqlStatementNode* With, const std::string& Base);
    void Post(const std::string& Text, int X, int Y) { FSink(Text, X, Y); }
    TqlCodeNode* FindUse(TqlUsedByLocation* Location) const;

    TqlUnit* FUnit;
    TqlModuleNode* FTree;
    TqlMessageSink FSink;
    TqlUseIndex FUses;
    TqlLeafIndex FLeaves;
    bool FChanged = false;
    bool FWithMembersOnly = false;
    std::set<const TqlNode*> FHandled;
    // The points (qlPointKey) of the member uses of each container met so
    // far, and whether it has members.
    struct TMemberUses {
        std::unordered_set<uint64_t> Points;
        bool HasMembers = false;
    };
    std::map<TqlSymbol*, TMemberUses> FMemberUses;
};

// Helpers of the with operations, open for their tests.
namespace WithUnwinder {
// "A" and the type name without a leading T: TFoo gives AFoo, Foo gives AFoo.
std::string VariableNameFor(const std::string& TypeName);
// Moves the lines of the subtree left: every junk node that holds a line
// break and ends in at least Amount blanks after it loses Amount of them.
void Outdent(TqlNode* Node, int Amount = 2);
// The token is one after which a statement of a statement sequence starts.
bool StartsSequence(const TqlNode* PriorToken);
// The node is a with statement.
bool IsWithStatement(const TqlNode* Node);
// A with-expression as it is copied: its tokens with the blanks between them
// (comments inside it are left out), and the blanks and comments after its
// last token, which stay in front of "do".
struct TExpressionText {
    std::string Text;
    std::string Separator;
};
TExpressionText SplitExpression(const TqlNode* Expression);
// The identifier (a token of kind ptIdentifier, whatever its node class)
// follows a ".".
bool IsQualified(const TqlCodeNode* Identifier);
} // namespace WithUnwinder

#include "Refactorings/uqlRefactoring.h"

#include <functional>

// The frame that the with refactorings share: open a unit, run one operation
// over its tree, write it when something changed, else drop it.
class TqlWithRefactoringBase : public TqlRefactoring {
protected:
    using TOperation = std::function<bool(TqlWithUnwinder&)>;
    void RunUnit(TqlUnit* Unit, const std::string& BaseFolder, const TOperation& Operation);
    // Runs the unit operation on the selected unit, or on every unit of the
    // project, below one output folder, and shows the output.
    void RunSelectedUnit(const std::function<void(TqlUnit*, const std::string&)>& UnitOperation);
    void RunAllUnits(const std::function<void(TqlUnit*, const std::string&)>& UnitOperation);
    static bool HasSelectedUnit();

    TqlUnit* FUnit = nullptr;
    bool FChanged = false;
};

class TAbstractAddWithVariableToLocalVarRefactoring : public TqlWithRefactoringBase {
protected:
    void DoAddLocalVars(TqlUnit* Unit, const std::string& BaseFolder);
};

class TAddWithVariableToLocalVarUnitRefactoring
    : public TAbstractAddWithVariableToLocalVarRefactoring {
public:
    std::string GetMenuCaption() override { return "Selected Unit"; }
    std::string GetName() override { return "AddWithLocalVarUnit"; }
    bool GetCanExecute() override { return HasSelectedUnit(); }
    void Execute() override;
};

class TAddWithVariableToLocalVarAllUnitsRefactoring
    : public TAbstractAddWithVariableToLocalVarRefactoring {
public:
    std::string GetMenuCaption() override { return "All Units"; }
    std::string GetName() override { return "AddWithLocalVarAllUnits"; }
    bool GetCanExecute() override { return true; }
    void Execute() override;
};

class TAbstractQualifyWithUnwinder : public TqlWithRefactoringBase {
protected:
    void DoQualifyWithStatements(TqlUnit* Unit, const std::string& BaseFolder, bool WithMembersOnly);
    bool FWithMembersOnly = false;
};

class TQualifyWithMembersUnitRefactoring : public TAbstractQualifyWithUnwinder {
public:
    std::string GetMenuCaption() override { return "Selected Unit"; }
    std::string GetName() override { return "QualifyWithMembersUnit"; }
    bool GetCanExecute() override { return HasSelectedUnit(); }
    void Execute() override;
};

class TQualifyWithMembersAllUnitsRefactoring : public TAbstractQualifyWithUnwinder {
public:
    std::string GetMenuCaption() override { return "All Units"; }
    std::string GetName() override { return "QualifyWithMembersAllUnits"; }
    bool GetCanExecute() override { return true; }
    void Execute() override;
};

class TQualifyAllUnitRefactoring : public TAbstractQualifyWithUnwinder {
public:
    std::string GetMenuCaption() override { return "Selected Unit"; }
    std::string GetName() override { return "QualifyAllUnit"; }
    bool GetCanExecute() override { return HasSelectedUnit(); }
    void Execute() override;
};

class TQualifyAllAllUnitsRefactoring : public TAbstractQualifyWithUnwinder {
public:
    std::string GetMenuCaption() override { return "All Units"; }
    std::string GetName() override { return "QualifyAllAllUnits"; }
    bool GetCanExecute() override { return true; }
    void Execute() override;
};

class TAbstractRemoveWithUnwinder : public TqlWithRefactoringBase {
protected:
    void DoRemoveWithStatement(TqlUnit* Unit, const std::string& BaseFolder);
};

class TRemoveWithStatementUnitRefactoring : public TAbstractRemoveWithUnwinder {
public:
    std::string GetMenuCaption() override { return "Selected Unit"; }
    std::string GetName() override { return "RemoveWithStatementUnit"; }
    bool GetCanExecute() override { return HasSelectedUnit(); }
    void Execute() override;
};

class TRemoveWithStatementAllUnitsRefactoring : public TAbstractRemoveWithUnwinder {
public:
    std::string GetMenuCaption() override { return "All Units"; }
    std::string GetName() override { return "RemoveWithStatementAllUnits"; }
    bool GetCanExecute() override { return true; }
    void Execute() override;
};
