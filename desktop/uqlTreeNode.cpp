#include "desktop/uqlTreeNode.h"

#include "base/uqlPathUtils.h"
#include "desktop/uqlText.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

#include <array>

namespace {

std::string Counted(const char* Caption, int Count)
{
    return std::string(Caption) + " (" + std::to_string(Count) + ")";
}

int ReferenceCount(TqlSymbol* Symbol) { return Symbol ? Symbol->GetUsedBy()->GetCount() : 0; }

template <class T>
T* As(TqlSymbol* Symbol)
{
    return dynamic_cast<T*>(Symbol);
}

} // namespace

// ---------------------------------------------------------------------------
// TqlTreeNode
// ---------------------------------------------------------------------------

TqlTreeNode::TqlTreeNode() : QTreeWidgetItem(NodeType) { SetHasChildren(false); }

TqlTreeNode::TqlTreeNode(QTreeWidgetItem* Parent) : QTreeWidgetItem(Parent, NodeType)
{
    SetHasChildren(false);
}

TqlTreeNode::TqlTreeNode(QTreeWidget* Owner) : QTreeWidgetItem(Owner, NodeType)
{
    SetHasChildren(false);
}

void TqlTreeNode::SetCaption(const std::string& Caption) { setText(0, qlFromAnsi(Caption)); }

std::string TqlTreeNode::Caption() const { return qlToAnsi(text(0)); }

void TqlTreeNode::SetHasChildren(bool Value)
{
    setChildIndicatorPolicy(Value ? QTreeWidgetItem::ShowIndicator
                                  : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool TqlTreeNode::HasChildren() const
{
    return childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || childCount() > 0;
}

void TqlTreeNode::SetImageIndex(int Index)
{
    FImageIndex = Index;
    const std::vector<QIcon>& Images = qlTreeImages();
    setIcon(0, Index >= 0 && Index < int(Images.size()) ? Images[size_t(Index)] : QIcon());
}

TqlTreeNode* TqlTreeNode::ParentNode() const
{
    QTreeWidgetItem* P = parent();
    return P && P->type() == NodeType ? static_cast<TqlTreeNode*>(P) : nullptr;
}

TqlTreeNode* TqlTreeNode::ChildNode(int Index) const
{
    QTreeWidgetItem* C = child(Index);
    return C && C->type() == NodeType ? static_cast<TqlTreeNode*>(C) : nullptr;
}

// ---------------------------------------------------------------------------
// Kinds and images
// ---------------------------------------------------------------------------

namespace {

constexpr std::array<uint8_t, 30> KindImage = {0,  1, 1,  11, 10, 13, 9, 12, 8, 15,
                                               14, 2, 2,  3,  3,  3,  3, 4,  5, 5,
                                               6,  7, 3,  3,  3,  3,  3, 3,  3, 3};

} // namespace

bool qlIsGroupNodeKind(uint8_t Kind)
{
    switch (Kind) {
    case nkUsedUnits: case nkUsedBy: case nkClasses: case nkObjects: case nkInterfaces:
    case nkRecords: case nkRoutines: case nkVariables: case nkConstants: case nkTypes:
    case nkEnumerations: case nkSets: case nkArrays:
        return true;
    default:
        return false;
    }
}

const std::vector<QIcon>& qlTreeImages()
{
    // A letter on a coloured tile per picture; groups get a darker frame.
    struct TPicture {
        const char* Letter;
        QRgb Fill;
        bool Group;
    };
    static constexpr std::array<TPicture, qlTreeImageCount> Pictures = {{
        {"U", 0x6a8fc7, false}, // unit
        {"\u2192", 0x9aa3ad, true}, // uses and references groups
        {"R", 0x7fb069, false}, // routine
        {"v", 0xd8b25a, false}, // variable and the rest
        {"P", 0xb07fc7, false}, // property
        {"T", 0x5fb3b3, false}, // type
        {"\u00b7", 0xb8bec4, false}, // reference
        {"!", 0xe07a5f, false}, // reference in the wrong letter case
        {"I", 0x4fa3d1, false}, // interface
        {"O", 0xc7956a, false}, // object
        {"C", 0x3f7cbf, false}, // class
        {"C", 0x3f7cbf, true}, // classes group
        {"I", 0x4fa3d1, true}, // interfaces group
        {"O", 0xc7956a, true}, // objects group
        {"r", 0x8c9f5a, false}, // record
        {"r", 0x8c9f5a, true}, // records group
    }};
    // Made once and kept to the end: pixmaps must not outlive the
    // application object, which static destruction would risk.
    static const std::vector<QIcon>* Images = [] {
        auto* R = new std::vector<QIcon>;
        for (const TPicture& P : Pictures) {
            QPixmap Pix(16, 16);
            Pix.fill(Qt::transparent);
            QPainter Painter(&Pix);
            Painter.setRenderHint(QPainter::Antialiasing);
            const QColor Fill(P.Fill);
            Painter.setPen(P.Group ? QPen(Fill.darker(170), 2) : QPen(Fill.darker(130), 1));
            Painter.setBrush(Fill);
            Painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
            QFont Font = Painter.font();
            Font.setPixelSize(10);
            Font.setBold(true);
            Painter.setFont(Font);
            Painter.setPen(Qt::white);
            Painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(P.Letter));
            Painter.end();
            R->emplace_back(Pix);
        }
        return R;
    }();
    return *Images;
}

void SetNodeKind(TqlTreeNode* Node, uint8_t Kind)
{
    Node->Kind = Kind;
    if (Kind < KindImage.size())
        Node->SetImageIndex(KindImage[Kind]);
}

// ---------------------------------------------------------------------------
// Building blocks
// ---------------------------------------------------------------------------

namespace {

TqlTreeNode* NewNode(QTreeWidget* Owner, TqlTreeNode* Parent)
{
    return Parent ? new TqlTreeNode(Parent) : new TqlTreeNode(Owner);
}

// A child of Parent that takes its unit.
TqlTreeNode* NewChild(TqlTreeNode* Parent, const std::string& Caption)
{
    auto* Child = new TqlTreeNode(Parent);
    Child->SetCaption(Caption);
    Child->Unit = Parent->Unit;
    return Child;
}

// A child captioned with the symbol's name.
TqlTreeNode* AddNamedNode(TqlTreeNode* Parent, TqlSymbol* Symbol, uint8_t Kind, bool HasChildren)
{
    TqlTreeNode* Child = NewChild(Parent, Symbol->GetName());
    Child->Symbol = Symbol;
    SetNodeKind(Child, Kind);
    Child->SetHasChildren(HasChildren);
    return Child;
}

TqlTreeNode* AddGroup(TqlTreeNode* Node, const char* Caption, int Count, TqlSymbol* Container,
                      uint8_t Kind)
{
    TqlTreeNode* Group = NewChild(Node, Counted(Caption, Count));
    Group->Symbol = Container;
    SetNodeKind(Group, Kind);
    Group->SetHasChildren(true);
    return Group;
}

std::string TypeName(TqlSymbol* Symbol)
{
    TqlSymbol* Type = Symbol->GetTypeIntf();
    return Type ? Type->GetName() : std::string();
}

} // namespace

bool HasContainerContent(TqlVarContainer* Container)
{
    return Container->GetClasses()->GetCount() > 0 || Container->GetRoutines()->GetCount() > 0 ||
           Container->GetVariables()->GetCount() > 0 ||
           Container->GetInterfaces()->GetCount() > 0 ||
           Container->GetConstants()->GetCount() > 0 ||
           Container->GetEnumerations()->GetCount() > 0 || Container->GetSets()->GetCount() > 0 ||
           Container->GetArrays()->GetCount() > 0;
}

TqlTreeNode* AddUnitNode(QTreeWidget* Owner, TqlTreeNode* Parent, TqlUnit* Unit)
{
    TqlTreeNode* Node = NewNode(Owner, Parent);
    Node->SetCaption(Unit->GetName());
    Node->Unit = Unit;
    Node->Symbol = Unit;
    SetNodeKind(Node, nkUnit);
    Node->SetHasChildren(Unit->GetUsedUnits()->GetCount() > 0 || ReferenceCount(Unit) > 0 ||
                         HasContainerContent(Unit));
    return Node;
}

void AddContainerGroups(TqlTreeNode* Node, TqlVarContainer* Container)
{
    struct TGroup {
        const char* Caption;
        int Count;
        uint8_t Kind;
    };
    const TGroup Groups[] = {
        {"Classes", Container->GetClasses()->GetCount(), nkClasses},
        {"Objects", Container->GetObjects()->GetCount(), nkObjects},
        {"Interfaces", Container->GetInterfaces()->GetCount(), nkInterfaces},
        {"Records", Container->GetRecords()->GetCount(), nkRecords},
        {"Types", Container->GetTypes()->GetCount(), nkTypes},
        {"Variables", Container->GetVariables()->GetCount(), nkVariables},
        {"Constants", Container->GetConstants()->GetCount(), nkConstants},
        {"Enumerations", Container->GetEnumerations()->GetCount(), nkEnumerations},
        {"Sets", Container->GetSets()->GetCount(), nkSets},
        {"Arrays", Container->GetArrays()->GetCount(), nkArrays},
        {"Routines", Container->GetRoutines()->GetCount(), nkRoutines},
    };
    for (const TGroup& G : Groups)
        if (G.Count > 0)
            AddGroup(Node, G.Caption, G.Count, Container, G.Kind);
}

TqlTreeNode* AddClassNode(TqlTreeNode* Parent, TqlClass* Class, TqlUnit* Unit, uint8_t Kind)
{
    std::string Heritage;
    if (TqlClass* Ancestor = Class->GetInheritsFromClass())
        Heritage = Ancestor->GetName();
    TqlOwnedInterfaceList* Interfaces = Class->GetInterfaces();
    for (int I = 0; I < Interfaces->GetCount(); ++I) {
        if (!Heritage.empty())
            Heritage += ", ";
        Heritage += Interfaces->GetSortedInterfaces(I)->GetName();
    }
    auto* Node = new TqlTreeNode(Parent);
    Node->SetCaption(Heritage.empty() ? Class->GetName() : Class->GetName() + " (" + Heritage + ")");
    Node->Unit = Unit;
    Node->Symbol = Class;
    SetNodeKind(Node, Kind);
    Node->SetHasChildren(Class->GetFieldList()->GetCount() > 0 ||
                         Class->GetProperties()->GetCount() > 0 ||
                         Class->GetRoutines()->GetCount() > 0 || ReferenceCount(Class) > 0);
    return Node;
}

// "Name : Type"; a type written inline has no name, and then no colon shows.
static void AppendTypeName(std::string& Text, const std::string& Type)
{
    if (!Type.empty())
        Text += " : " + Type;
}

void AddMembersSection(TqlTreeNode* Node, const std::string& Caption,
                       std::unique_ptr<TqlSymbolList> Members)
{
    if (!Members || Members->GetCount() == 0)
        return;
    auto* Section = new TqlTreeNode(Node);
    Section->SetCaption(Counted(Caption.c_str(), Members->GetCount()));
    Section->SetHasChildren(true);
    for (int I = 0; I < Members->GetCount(); ++I) {
        TqlSymbol* Member = Members->GetSortedSymbols(I);
        auto* Child = new TqlTreeNode(Section);
        Child->Unit = Node->Unit;
        Child->Symbol = Member;
        std::string Text;
        if (auto* Property = As<TqlProperty>(Member)) {
            SetNodeKind(Child, nkProperty);
            Text = "Property " + Property->GetName();
            if (Property->GetTypeIntf())
                AppendTypeName(Text, TypeName(Property));
        } else if (auto* Routine = As<TqlRoutine>(Member)) {
            SetNodeKind(Child, nkRoutine);
            Text = std::string(RoutineKindName[Routine->GetRoutineKind() & 3]) + " " +
                   Routine->GetName();
            if (TqlVariable* Result = Routine->GetReturnType())
                Text += " : " + Result->GetName();
        } else {
            SetNodeKind(Child, nkVariable);
            Text = Member->GetName();
            if (Member->GetTypeIntf())
                AppendTypeName(Text, TypeName(Member));
        }
        Child->SetCaption(Text);
        AddUsedByGroup(Node->treeWidget(), Child, Member->GetUsedBy());
    }
}

void AddUsedUnitsGroup(TqlTreeNode* Node, TqlUsedUnitList* UsedUnits)
{
    if (!UsedUnits || UsedUnits->GetCount() == 0)
        return;
    TqlTreeNode* Group = NewChild(Node, Counted("Used Units", UsedUnits->GetCount()));
    SetNodeKind(Group, nkUsedUnits);
    for (int I = 0; I < UsedUnits->GetCount(); ++I)
        if (TqlUnit* Unit = UsedUnits->GetSortedUsedUnit(I)->GetUnit())
            AddUnitNode(Node->treeWidget(), Group, Unit);
}

void AddUsedByGroup(QTreeWidget*, TqlTreeNode* Parent, TqlUsedByList* UsedBy)
{
    if (!UsedBy || UsedBy->GetCount() == 0)
        return;
    TqlTreeNode* Group = NewChild(Parent, Counted("Used By", UsedBy->GetCount()));
    Group->Symbol = Parent->Symbol;
    SetNodeKind(Group, nkUsedBy);
    Group->SetHasChildren(true);
}

void AddReferenceNode(TqlTreeNode* Node, TqlUsedByLocation* Reference)
{
    auto* Child = new TqlTreeNode(Node);
    Child->SetCaption(qlExtractFileName(Reference->GetFileName()) + " (" +
                      std::to_string(Reference->GetX()) + "," + std::to_string(Reference->GetY()) +
                      ")");
    Child->CodeLocation = Reference;
    SetNodeKind(Child, Reference->GetIsWrongCase() ? nkWrongCaseReference : nkReference);
}

TqlTreeNode* AddSymbolNode(TqlTreeNode* Parent, TqlSymbol* Symbol, uint8_t Kind)
{
    std::string Caption = Symbol->GetName();
    std::string TypeText;
    if (As<TqlType>(Symbol))
        TypeText = Symbol->GetName();
    else if (Symbol->GetTypeIntf())
        TypeText = TypeName(Symbol);
    if (!TypeText.empty() && TypeText != Caption)
        Caption += " : " + TypeText;
    TqlTreeNode* Node = NewChild(Parent, Caption);
    Node->Symbol = Symbol;
    SetNodeKind(Node, Kind);
    Node->SetHasChildren(ReferenceCount(Symbol) > 0);
    return Node;
}

// ---------------------------------------------------------------------------
// Filling on expansion
// ---------------------------------------------------------------------------

namespace {

void AddUsedByOf(TqlTreeNode* Node, TqlSymbol* Symbol)
{
    if (Symbol)
        AddUsedByGroup(Node->treeWidget(), Node, Symbol->GetUsedBy());
}

void FillUsedBy(TqlTreeNode* Node)
{
    if (!Node->Unit)
        return;
    if (Node->Symbol) {
        TqlUsedByList* UsedBy = Node->Symbol->GetUsedBy();
        for (int I = 0; I < UsedBy->GetCount(); ++I)
            AddReferenceNode(Node, UsedBy->GetLocations(I));
        return;
    }
    TqlUsedByList* UsedBy = Node->Unit->GetUsedBy();
    for (int I = 0; I < UsedBy->GetCount(); ++I) {
        TqlUsedByLocation* Reference = UsedBy->GetLocations(I);
        if (TqlUnit* Holder = Reference->GetUnitIntf())
            AddUnitNode(Node->treeWidget(), Node, Holder)->CodeLocation = Reference;
    }
}

void FillClassGroup(TqlTreeNode* Node, TqlContainerListSorted* List, uint8_t ChildKind)
{
    for (int I = 0; I < List->GetCount(); ++I)
        if (auto* Class = As<TqlClass>(List->GetSortedItem(I)))
            AddClassNode(Node, Class, Node->Unit, ChildKind);
}

void FillClassMembers(TqlTreeNode* Node)
{
    auto* Class = As<TqlClass>(Node->Symbol);
    if (!Node->Unit || !Class)
        return;
    static const std::pair<const char*, TVisibilityKind> Sections[] = {
        {"Private", vkPrivate},     {"Protected", vkProtected}, {"Published", vkPublished},
        {"Automated", vkAutomated}, {"Public", vkPublic},
    };
    for (const auto& [Caption, Visibility] : Sections) {
        std::unique_ptr<TqlSymbolList> Members;
        Class->GetMembersWithVisibility(Members, {Visibility});
        AddMembersSection(Node, Caption, std::move(Members));
    }
    AddUsedByOf(Node, Class);
}

// Enumerations or sets of a container: one node per item-holder.
template <class TList, class TGet>
void FillItemHolders(TqlTreeNode* Node, TList* List, TGet Get, uint8_t ChildKind)
{
    for (int I = 0; I < List->GetCount(); ++I) {
        TqlEnumerationMemberContainer* Holder = (List->*Get)(I);
        AddNamedNode(Node, Holder, ChildKind, Holder->GetItems()->GetCount() > 0);
    }
}

void FillItems(TqlTreeNode* Node)
{
    auto* Holder = As<TqlEnumerationMemberContainer>(Node->Symbol);
    if (!Holder)
        return;
    TqlSymbolList* Items = Holder->GetItems();
    for (int I = 0; I < Items->GetCount(); ++I)
        AddSymbolNode(Node, Items->GetSymbol(I), nkType);
    AddUsedByOf(Node, Holder);
}

void FillRoutine(TqlTreeNode* Node)
{
    auto* Routine = As<TqlRoutine>(Node->Symbol);
    if (!Node->Unit || !Routine)
        return;
    if (TqlVariable* Result = Routine->GetReturnType())
        AddSymbolNode(Node, Result, nkParameter);
    if (TqlParameterList* Parameters = Routine->GetParameters(); Parameters && Parameters->GetCount() > 0)
        AddGroup(Node, "Parameters", Parameters->GetCount(), Routine, nkParameters);
    AddContainerGroups(Node, Routine);
    AddUsedByOf(Node, Routine);
}

void FillProjectNode(TqlTreeNode* Node)
{
    auto* Container = As<TqlVarContainer>(Node->Symbol);
    switch (Node->Kind) {
    case nkUnit:
        if (TqlUnit* Unit = Node->Unit) {
            AddContainerGroups(Node, Unit);
            AddUsedUnitsGroup(Node, Unit->GetUsedUnits());
            AddUsedByGroup(Node->treeWidget(), Node, Unit->GetUsedBy());
        }
        break;
    case nkUsedBy:
        FillUsedBy(Node);
        break;
    case nkClasses:
        if (Container)
            FillClassGroup(Node, Container->GetClasses(), nkClass);
        break;
    case nkObjects:
        if (Container)
            FillClassGroup(Node, Container->GetObjects(), nkObject);
        break;
    case nkInterfaces:
        if (Container)
            FillClassGroup(Node, Container->GetInterfaces(), nkInterface);
        break;
    case nkClass: case nkObject: case nkInterface:
        FillClassMembers(Node);
        break;
    case nkRecords:
        if (Container) {
            TqlRecordsList* Records = Container->GetRecords();
            for (int I = 0; I < Records->GetCount(); ++I) {
                TqlRecord* Record = Records->GetSortedRecords(I);
                AddNamedNode(Node, Record, nkRecord,
                             Record->GetFieldList()->GetCount() > 0 || ReferenceCount(Record) > 0);
            }
        }
        break;
    case nkRecord:
        if (auto* Record = As<TqlRecord>(Node->Symbol); Record && Node->Unit) {
            TqlVariablesList* Fields = Record->GetFieldList();
            for (int I = 0; I < Fields->GetCount(); ++I)
                AddSymbolNode(Node, Fields->GetSortedVariables(I), nkVariable);
            AddUsedByOf(Node, Record);
        }
        break;
    case nkRoutines:
        if (Container) {
            TqlRoutineList* Routines = Container->GetRoutines();
            for (int I = 0; I < Routines->GetCount(); ++I) {
                TqlRoutine* Routine = Routines->GetSortedRoutines(I);
                AddSymbolNode(Node, Routine, nkRoutine)
                    ->SetHasChildren(HasContainerContent(Routine) || ReferenceCount(Routine) > 0);
            }
        }
        break;
    case nkRoutine:
        FillRoutine(Node);
        break;
    case nkVariables: case nkConstants:
        if (Container) {
            TqlVariablesList* List =
                Node->Kind == nkVariables ? Container->GetVariables() : Container->GetConstants();
            for (int I = 0; I < List->GetCount(); ++I)
                AddSymbolNode(Node, List->GetSortedVariables(I),
                              Node->Kind == nkVariables ? nkVariable : nkConstant);
        }
        break;
    case nkVariable: case nkConstant: case nkType: case nkParameter:
        if (Node->Unit)
            AddUsedByOf(Node, Node->Symbol);
        break;
    case nkTypes:
        if (Container) {
            TqlTypesList* Types = Container->GetTypes();
            for (int I = 0; I < Types->GetCount(); ++I)
                AddSymbolNode(Node, Types->GetSortedTypes(I), nkType);
        }
        break;
    case nkParameters:
        if (auto* Routine = As<TqlRoutine>(Node->Symbol)) {
            TqlParameterList* Parameters = Routine->GetParameters();
            for (int I = 0; Parameters && I < Parameters->GetCount(); ++I)
                AddSymbolNode(Node, Parameters->GetParameters(I), nkParameter);
        }
        break;
    case nkEnumerations:
        if (Container && Node->Unit)
            FillItemHolders(Node, Container->GetEnumerations(), &TqlEnumerationList::GetEnumeration,
                            nkEnumeration);
        break;
    case nkSets:
        if (Container && Node->Unit)
            FillItemHolders(Node, Container->GetSets(), &TqlSetList::GetSet, nkSet);
        break;
    case nkEnumeration: case nkSet:
        FillItems(Node);
        break;
    case nkArrays:
        if (Container && Node->Unit) {
            TqlArrayList* Arrays = Container->GetArrays();
            for (int I = 0; I < Arrays->GetCount(); ++I) {
                TqlArray* Array = Arrays->GetArray(I);
                AddNamedNode(Node, Array, nkArray, Array->GetDimensionCount() > 0);
            }
        }
        break;
    case nkArray:
        AddUsedByOf(Node, Node->Symbol);
        break;
    default: // used units, properties and references got theirs at creation
        break;
    }
}

// One root-level node of the inheritance tree.
TqlTreeNode* AddHeirNode(TqlTreeNode* Parent, TqlClass* Class, TqlUnit* Unit, uint8_t Kind)
{
    TqlTreeNode* Child = AddNamedNode(Parent, Class, Kind, Class->GetDescendants()->GetCount() > 0);
    Child->Unit = Unit;
    return Child;
}

// Interfaces descend from their own interface list; classes and objects
// from their ancestor.
bool IsRoot(TqlClass* Class, uint8_t Kind)
{
    return Kind == nkInterface ? Class->GetInterfaces()->GetCount() == 0
                               : Class->GetInheritsFromClass() == nullptr;
}

// The list of a container (or of the project itself, Container null) that
// holds the classes, objects or interfaces.
TqlList* HeirList(TqlVarContainer* Container, uint8_t Kind)
{
    switch (Kind) {
    case nkClass:
        return Container ? Container->GetClasses() : gqlProject->GetClasses();
    case nkObject:
        return Container ? Container->GetObjects() : gqlProject->GetObjects();
    default:
        return Container ? Container->GetInterfaces() : gqlProject->GetInterfaces();
    }
}

bool HasRoots(TqlList* List, uint8_t Kind)
{
    for (int I = 0; I < List->GetCount(); ++I)
        if (IsRoot(static_cast<TqlClass*>(List->GetItem(I)), Kind))
            return true;
    return false;
}

void AddRootsOf(TqlTreeNode* Node, TqlList* List, TqlUnit* Unit, uint8_t Kind)
{
    for (int I = 0; I < List->GetCount(); ++I)
        if (auto* Class = static_cast<TqlClass*>(List->GetItem(I)); IsRoot(Class, Kind))
            AddHeirNode(Node, Class, Unit, Kind);
}

// Whether any unit of the project, or the project's own list, has a root of
// the kind.
bool ProjectHasRoots(uint8_t Kind)
{
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int U = 0; U < Units->GetCount(); ++U)
        if (HasRoots(HeirList(Units->GetUnits(U), Kind), Kind))
            return true;
    return HasRoots(HeirList(nullptr, Kind), Kind);
}

void FillRoots(TqlTreeNode* Node, uint8_t Kind)
{
    if (!gqlProject)
        return;
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int U = 0; U < Units->GetCount(); ++U)
        AddRootsOf(Node, HeirList(Units->GetUnits(U), Kind), Units->GetUnits(U), Kind);
    AddRootsOf(Node, HeirList(nullptr, Kind), gqlProject->GetMainUnit(), Kind);
}

void FillHeirs(TqlTreeNode* Node, uint8_t ChildKind)
{
    auto* Class = As<TqlClass>(Node->Symbol);
    if (!Node->Unit || !Class)
        return;
    TqlList* Descendants = Class->GetDescendants();
    for (int I = 0; I < Descendants->GetCount(); ++I) {
        auto* Heir = static_cast<TqlClass*>(Descendants->GetItem(I));
        AddHeirNode(Node, Heir, Heir->GetUnitIntf(), ChildKind);
    }
    AddUsedByOf(Node, Class);
}

void FillInheritanceNode(TqlTreeNode* Node)
{
    switch (Node->Kind) {
    case nkUsedBy:
        FillUsedBy(Node);
        break;
    case nkClasses:
        FillRoots(Node, nkClass);
        break;
    case nkObjects:
        FillRoots(Node, nkObject);
        break;
    case nkInterfaces:
        FillRoots(Node, nkInterface);
        break;
    case nkClass: case nkObject:
        FillHeirs(Node, nkClass);
        break;
    case nkInterface:
        FillHeirs(Node, nkInterface);
        break;
    default:
        break;
    }
}

} // namespace

void ExpandTreeNode(TqlTreeNode* Node, bool InProjectTree)
{
    if (!Node || Node->Kind > nkArray || Node->childCount() > 0)
        return;
    // The children are built under a detached stand-in and then handed over
    // at once: one insertion for the view instead of one per node.
    TqlTreeNode Scratch;
    Scratch.Unit = Node->Unit;
    Scratch.Symbol = Node->Symbol;
    Scratch.CodeLocation = Node->CodeLocation;
    Scratch.Kind = Node->Kind;
    if (InProjectTree)
        FillProjectNode(&Scratch);
    else
        FillInheritanceNode(&Scratch);
    if (Scratch.childCount() > 0)
        Node->addChildren(Scratch.takeChildren());
}

void ShowNodeSource(TqlTreeNode* Node)
{
    if (!Node || !gqlProject)
        return;
    TqlCodeLocation* Position = Node->CodeLocation ? Node->CodeLocation : Node->Symbol;
    if (Position)
        gqlProject->NotifyCodeViewers(Position->GetFileName(), Position->GetX(), Position->GetY());
    else if (Node->Unit)
        gqlProject->NotifyCodeViewers(Node->Unit->GetFullFileName(), 0, 0);
    else
        gqlProject->NotifyCodeViewers(std::string(), 0, 0);
}

// ---------------------------------------------------------------------------
// The two trees
// ---------------------------------------------------------------------------

void FillProjectTree(QTreeWidget* Tree)
{
    Tree->setUpdatesEnabled(false);
    Tree->clear();
    TqlUnit* Main = gqlProject ? gqlProject->GetMainUnit() : nullptr;
    if (Main) {
        TqlTreeNode Scratch;
        TqlUsedUnitList* UsedUnits = Main->GetUsedUnits();
        for (int I = 0; I < UsedUnits->GetCount(); ++I) {
            TqlUnit* Unit = UsedUnits->GetUsedUnit(I)->GetUnit();
            if (!Unit)
                continue;
            TqlTreeNode* Node = NewChild(&Scratch, Unit->GetName());
            Node->Unit = Unit;
            SetNodeKind(Node, nkUnit);
            Node->SetHasChildren(
                Unit->GetUsedUnits()->GetCount() > 0 || ReferenceCount(Unit) > 0 ||
                Unit->GetClasses()->GetCount() > 0 || Unit->GetRoutines()->GetCount() > 0 ||
                Unit->GetVariables()->GetCount() > 0 || Unit->GetInterfaces()->GetCount() > 0 ||
                Unit->GetObjects()->GetCount() > 0 || Unit->GetRecords()->GetCount() > 0 ||
                Unit->GetConstants()->GetCount() > 0);
        }
        Tree->addTopLevelItems(Scratch.takeChildren());
    }
    Tree->setUpdatesEnabled(true);
}

void FillInheritanceTree(QTreeWidget* Tree)
{
    Tree->setUpdatesEnabled(false);
    Tree->clear();
    if (gqlProject) {
        TqlTreeNode Scratch;
        static const std::pair<const char*, std::pair<uint8_t, uint8_t>> Roots[] = {
            {"Classes", {nkClasses, nkClass}},
            {"Objects", {nkObjects, nkObject}},
            {"Interfaces", {nkInterfaces, nkInterface}},
        };
        for (const auto& [Caption, Kinds] : Roots)
            if (ProjectHasRoots(Kinds.second)) {
                TqlTreeNode* Group = NewChild(&Scratch, Caption);
                SetNodeKind(Group, Kinds.first);
                Group->SetHasChildren(true);
            }
        TqlTreeNode* UnitsNode = NewChild(&Scratch, "Units");
        SetNodeKind(UnitsNode, nkUnit);
        UnitsNode->SetHasChildren(true);
        TqlUnitList* Units = gqlProject->GetUnits();
        for (int I = 0; I < Units->GetCount(); ++I)
            ExpandTreeNode(AddUnitNode(nullptr, UnitsNode, Units->GetSortedUnits(I)), true);
        Tree->addTopLevelItems(Scratch.takeChildren());
    }
    Tree->setUpdatesEnabled(true);
}

QTreeWidget* CreateExplorerTree(QWidget* Parent, bool InProjectTree)
{
    auto* Tree = new QTreeWidget(Parent);
    Tree->setHeaderHidden(true);
    Tree->setColumnCount(1);
    Tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    Tree->setAllColumnsShowFocus(true);
    Tree->setUniformRowHeights(true);
    QObject::connect(Tree, &QTreeWidget::itemExpanded, Tree, [InProjectTree](QTreeWidgetItem* Item) {
        if (Item->type() == TqlTreeNode::NodeType && Item->childCount() == 0)
            ExpandTreeNode(static_cast<TqlTreeNode*>(Item), InProjectTree);
    });
    QObject::connect(Tree, &QTreeWidget::itemDoubleClicked, Tree, [](QTreeWidgetItem* Item, int) {
        if (Item->type() == TqlTreeNode::NodeType)
            ShowNodeSource(static_cast<TqlTreeNode*>(Item));
    });
    return Tree;
}

// ---------------------------------------------------------------------------
// Find
// ---------------------------------------------------------------------------

namespace {

struct TSearch {
    TqlTreeNode* StartNode;
    const std::function<bool(const std::string&)>& Matches;
    bool Passed = false;

    TqlTreeNode* Search(TqlTreeNode* Node, bool Matching, bool InUnit)
    {
        if (!Passed)
            Passed = Node == StartNode;
        if (Matching && !qlIsGroupNodeKind(Node->Kind) && Node->Symbol &&
            Matches(Node->Symbol->GetName()))
            return Node;
        if (Node->Kind == nkUsedBy)
            return nullptr;
        if (Node->Kind == nkUsedUnits) {
            if (InUnit)
                return nullptr;
            InUnit = true;
        }
        const bool WasExpanded = Node->isExpanded();
        if (Node->childCount() == 0)
            ExpandTreeNode(Node, true);
        for (int I = 0; I < Node->childCount(); ++I)
            if (TqlTreeNode* Child = Node->ChildNode(I))
                if (TqlTreeNode* Found = Search(Child, !StartNode || Passed, InUnit))
                    return Found;
        if (!WasExpanded && Node->isExpanded())
            Node->setExpanded(false);
        return nullptr;
    }
};

} // namespace

TqlTreeNode* qlSearchTree(QTreeWidget* Tree, TqlTreeNode* StartNode,
                          const std::function<bool(const std::string&)>& Matches)
{
    TSearch Walk{StartNode, Matches};
    TqlTreeNode* Found = nullptr;
    // Every top-level node is searched in turn; top-level nodes never match.
    for (int I = 0; !Found && I < Tree->topLevelItemCount(); ++I) {
        QTreeWidgetItem* Item = Tree->topLevelItem(I);
        if (Item->type() == TqlTreeNode::NodeType)
            Found = Walk.Search(static_cast<TqlTreeNode*>(Item), false, false);
    }
    if (Found) {
        Tree->setCurrentItem(Found);
        Tree->scrollToItem(Found, QAbstractItemView::PositionAtTop);
    }
    return Found;
}
