// The explorer trees of the main window: the project tree (units and what
// they declare) and the inheritance tree (classes, objects and interfaces by
// descent).
//
// Both trees hold TqlTreeNode items. A node knows its unit, the model symbol
// or source location it stands for, and its kind; the kind decides its image
// and what children it gets. Children are built lazily, the first time a
// node is expanded (ExpandTreeNode), and a node starts with only a
// has-children mark (the expansion indicator).
//
// Nodes borrow their pointers from the project's code model: the trees must
// be emptied before the model is cleared or re-analysed.
#pragma once

#include "model/uqlClasses.h"

#include <QIcon>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TqlNodeKind : uint8_t {
    nkUnit, nkUsedUnits, nkUsedBy, nkClasses, nkClass, nkObjects, nkObject, nkInterfaces,
    nkInterface, nkRecords, nkRecord, nkRoutines, nkRoutine, nkVariables, nkVariable, nkConstant,
    nkConstants, nkProperty, nkTypes, nkType, nkReference, nkWrongCaseReference, nkParameters,
    nkParameter, nkEnumerations, nkEnumeration, nkSets, nkSet, nkArrays, nkArray
};

// Number of pictures in the explorer's image list.
inline constexpr int qlTreeImageCount = 16;

class TqlTreeNode : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 112;

    // A node without parent (a top-level node before it is placed, or a
    // scratch parent).
    TqlTreeNode();
    // A node added at the end of Parent's children.
    explicit TqlTreeNode(QTreeWidgetItem* Parent);
    // A top-level node added at the end of Owner's items.
    explicit TqlTreeNode(QTreeWidget* Owner);

    // The source position the node stands for (references, and the unit
    // nodes under a unit's references group).
    TqlCodeLocation* CodeLocation = nullptr;
    TqlUnit* Unit = nullptr;
    // The model object the node stands for, or the container whose list a
    // group node shows.
    TqlSymbol* Symbol = nullptr;
    uint8_t Kind = nkUnit;

    void SetCaption(const std::string& Caption);
    std::string Caption() const;
    // The has-children mark: whether the node shows an expansion indicator
    // while it has no children yet.
    void SetHasChildren(bool Value);
    bool HasChildren() const;
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Index);

    TqlTreeNode* ParentNode() const;
    TqlTreeNode* ChildNode(int Index) const;

private:
    int FImageIndex = -1;
};

// Whether nodes of the kind are groups (they stand for a list, not a symbol).
bool qlIsGroupNodeKind(uint8_t Kind);

// The explorer's pictures, indices 0 to qlTreeImageCount - 1.
const std::vector<QIcon>& qlTreeImages();

// Stores the kind and sets the image from it.
void SetNodeKind(TqlTreeNode* Node, uint8_t Kind);

// Builds the children of a node that has none yet, by the rules of the
// project tree (InProjectTree) or of the inheritance tree.
void ExpandTreeNode(TqlTreeNode* Node, bool InProjectTree);

// Sends the node's source position to the project's code viewers.
void ShowNodeSource(TqlTreeNode* Node);

// Building blocks of the fillers and the top-level builders. Owner is the
// tree (may be null); every new node goes at the end of Parent's children,
// or to Owner's top level when Parent is null.
TqlTreeNode* AddUnitNode(QTreeWidget* Owner, TqlTreeNode* Parent, TqlUnit* Unit);
bool HasContainerContent(TqlVarContainer* Container);
void AddContainerGroups(TqlTreeNode* Node, TqlVarContainer* Container);
TqlTreeNode* AddClassNode(TqlTreeNode* Parent, TqlClass* Class, TqlUnit* Unit, uint8_t Kind);
void AddMembersSection(TqlTreeNode* Node, const std::string& Caption,
                       std::unique_ptr<TqlSymbolList> Members);
void AddUsedUnitsGroup(TqlTreeNode* Node, TqlUsedUnitList* UsedUnits);
void AddUsedByGroup(QTreeWidget* Owner, TqlTreeNode* Parent, TqlUsedByList* UsedBy);
void AddReferenceNode(TqlTreeNode* Node, TqlUsedByLocation* Reference);
TqlTreeNode* AddSymbolNode(TqlTreeNode* Parent, TqlSymbol* Symbol, uint8_t Kind);

// The top-level contents of the two trees over gqlProject; both clear the
// tree first.
void FillProjectTree(QTreeWidget* Tree);
void FillInheritanceTree(QTreeWidget* Tree);

// One of the main window's two explorer trees (the project tree when
// InProjectTree, else the inheritance tree): read-only, full-row, filled
// lazily on expansion, showing the source on a double-click.
QTreeWidget* CreateExplorerTree(QWidget* Parent, bool InProjectTree);

// The find walk over the project tree. Starts at the first node; matching
// begins at the first node (StartNode null) or after StartNode. Groups never
// match, nor do nodes without a symbol; Matches is asked for the symbol's
// name. Reference groups are never entered, nor a used-units group inside a
// used unit. Nodes filled only for the walk stay collapsed. Returns the node
// found, selected and scrolled to the top, or null.
TqlTreeNode* qlSearchTree(QTreeWidget* Tree, TqlTreeNode* StartNode,
                          const std::function<bool(const std::string&)>& Matches);
