// The lossless node tree of one Object Pascal source file.
//
// Every character of the file lies in exactly one leaf: a token, a comment, a
// compiler directive or a run of blanks and line breaks. Inner nodes group the
// leaves under the grammar constructs that refactorings work on. A tree is
// edited node by node and written back as text by its module node.
//
// Ownership: a node owns its children. A node taken out of its parent's
// children (Delete) stays owned by that former parent, parked, and keeps its
// Parent link; it is no longer written and is destroyed with the tree (or
// with its former parent), never earlier and never twice. Free() is a detach
// that also marks the node as dropped, so pointers that a caller or a walk
// still holds stay valid until the whole tree goes. The module node, the root
// of a tree, is owned by whoever created it. The storage of the nodes made
// under a module node comes from that tree's node store and goes with the
// module node, so a node stays within the tree it was made for.
#pragma once

#include "base/qlException.h"
#include "lexer/lxPasLex.h"
#include "lexer/lxPasLexTypes.h"
#include "lexer/lxSimplePasPar.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

class TqlNode;
class TqlCodeNode;
class TqlTokenNode;
class TqlBlockNode;
class TqlVariableDeclarationListNode;
class TqlIdentifierNode;
class TqlNodeBuilder;
class TqlNodeStore;


// A class reference for the node finders: typeid(TqlBlockNode).
using TClass = std::type_info;

// The node classes of this unit as bits. A node's NodeKinds() holds the bit
// of its own class and those of all its base classes, so a class test is one
// AND instead of a dynamic_cast; a class derived elsewhere has the bits of the
// class it derives from.
enum TqlNodeClassBits : unsigned {
    nbModule = 1u << 0,
    nbCode = 1u << 1,
    nbInterfaceSection = 1u << 2,
    nbImplementationSection = 1u << 3,
    nbIdentifierList = 1u << 4,
    nbUsesList = 1u << 5,
    nbComment = 1u << 6,
    nbDirective = 1u << 7,
    nbJunk = 1u << 8,
    nbToken = 1u << 9,
    nbIdentifier = 1u << 10,
    nbClass = 1u << 11,
    nbClassMemberList = 1u << 12,
    nbClassMethodDeclaration = 1u << 13,
    nbClassProperty = 1u << 14,
    nbMethodDeclaration = 1u << 15,
    nbMethodImplementation = 1u << 16,
    nbStatementList = 1u << 17,
    nbBlock = 1u << 18,
    nbStatement = 1u << 19,
    nbVariableDeclarationList = 1u << 20,
    nbConstDeclarationList = 1u << 21,
    nbTypeDeclarationList = 1u << 22,
    nbParameterList = 1u << 23,
    nbVariableReferenceList = 1u << 24,
    nbVariableReference = 1u << 25,
};

// Declares the kind bits of a node class: its own bit and those of Base.
#define QL_NODE_KIND(Class, Base, Bit)                                   \
    using TKindClass = Class;                                            \
    static constexpr unsigned KindBit = Bit;                             \
    static constexpr unsigned Kinds = Base::Kinds | Bit;                 \
    unsigned NodeKinds() const override { return Kinds; }

// The storage of one tree: its nodes, the lists they keep and the texts of
// its leaves, allocated one after the other in blocks that grow with the
// tree; all of it is given back only with the whole store.
class TqlNodeStore {
public:
    void* Allocate(size_t Size, size_t Align)
    {
        char* At = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(FNext) + Align - 1) & ~(Align - 1));
        if (At && At <= FEnd && static_cast<size_t>(FEnd - At) >= Size) {
            FNext = At + Size;
            return At;
        }
        return AllocateBlock(Size, Align);
    }
    // A copy of Text in the store.
    std::string_view Keep(std::string_view Text);

    TqlNodeStore() = default;
    TqlNodeStore(const TqlNodeStore&) = delete;
    TqlNodeStore& operator=(const TqlNodeStore&) = delete;
    // Hands its full-sized blocks to the next stores of the thread.
    ~TqlNodeStore();

    static constexpr size_t MaxBlockSize = 65536;

private:
    void* AllocateBlock(size_t Size, size_t Align);
    static std::unique_ptr<std::max_align_t[]> NewBlock(size_t Size);
    // A block of whole huge pages, at least Size.
    char* NewHugeBlock(size_t Size);

    static constexpr size_t HugeBlockSize = size_t(2) << 20;
    static constexpr size_t HugeAfterBlocks = 256;
    struct TFree {
        void operator()(char* P) const { std::free(P); }
    };

    std::vector<std::unique_ptr<std::max_align_t[]>> FBlocks;
    // How many of FBlocks, from the end, are of MaxBlockSize.
    size_t FFullBlocks = 0;
    std::vector<std::unique_ptr<char, TFree>> FHuge;
    std::vector<std::unique_ptr<std::max_align_t[]>> FLarge;
    size_t FBlockSize = 0;
    char* FNext = nullptr;
    char* FEnd = nullptr;
};

// Storage from Store (a tree's node store): given back only with the store.
void* qlStoreAllocate(TqlNodeStore* Store, size_t Size, size_t Align);

// The allocator of the lists that nodes keep: from the node store of their
// tree when they have one, else from the heap.
template <class T>
struct TqlStoreAllocator {
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;
    using is_always_equal = std::false_type;

    TqlStoreAllocator() = default;
    explicit TqlStoreAllocator(TqlNodeStore* AStore) : Store(AStore) {}
    template <class U>
    TqlStoreAllocator(const TqlStoreAllocator<U>& Other) : Store(Other.Store)
    {
    }
    T* allocate(size_t N)
    {
        return Store ? static_cast<T*>(qlStoreAllocate(Store, N * sizeof(T), alignof(T)))
                     : std::allocator<T>().allocate(N);
    }
    void deallocate(T* P, size_t N)
    {
        if (!Store)
            std::allocator<T>().deallocate(P, N);
    }
    friend bool operator==(const TqlStoreAllocator& A, const TqlStoreAllocator& B) { return A.Store == B.Store; }

    TqlNodeStore* Store = nullptr;
};

// A list of code nodes that does not own them: the secondary indexes of the
// container nodes.
class TqlCodeNodeList {
public:
    int Add(TqlCodeNode* Node);
    // The same; a list that has no room yet takes it from Store.
    int Add(TqlCodeNode* Node, TqlNodeStore* Store);
    int Count() const { return static_cast<int>(FItems.size()); }
    // Removes the first entry equal to Node; a list-index error when Node is
    // not in the list.
    void Delete(TqlCodeNode* Node);
    TqlCodeNode* GetNode(int Index) const;
    void Clear() { FItems.clear(); }

private:
    std::vector<TqlCodeNode*, TqlStoreAllocator<TqlCodeNode*>> FItems;
};

// Compare(Node, Data) of the generic child search.
using TqlNodeCompareEvent = std::function<bool(TqlNode* Node, const void* Data)>;
// Callback of TqlModuleNode::IterateNodes.
using TqlNodeCallback = std::function<void(TqlNode* Node)>;

class TqlNode {
public:
    TqlNode() = default;
    virtual ~TqlNode();
    TqlNode(const TqlNode&) = delete;
    TqlNode& operator=(const TqlNode&) = delete;

    static constexpr unsigned Kinds = 0;
    // The kind bits of the node's class (see TqlNodeClassBits).
    virtual unsigned NodeKinds() const { return Kinds; }
    // Node is a T (or of a class derived from T): the cast, else nil. T is
    // one of the node classes of this unit (one with kind bits of its own).
    template <class T>
    static T* As(TqlNode* Node)
    {
        static_assert(std::is_same_v<typename T::TKindClass, T>, "As needs a class with a kind bit");
        return Node && (Node->NodeKinds() & T::KindBit) ? static_cast<T*>(Node) : nullptr;
    }
    template <class T>
    static const T* As(const TqlNode* Node)
    {
        static_assert(std::is_same_v<typename T::TKindClass, T>, "As needs a class with a kind bit");
        return Node && (Node->NodeKinds() & T::KindBit) ? static_cast<const T*>(Node) : nullptr;
    }

    // Puts Node into the children at Index (0..Count). Node must be a node
    // made for this tree and not among any node's children at the moment (a
    // new node, or one taken out with Delete). Does not set Node's parent.
    virtual void Insert(int Index, TqlNode* Node);
    // Takes Node out of the children; Node is not freed and keeps its Parent.
    // A list-index error when Node is not a child.
    virtual void Delete(TqlNode* Node);

    // Detaches Self from its parent (Parent->Delete(Self)).
    void Delete();
    static void DeleteIfExists(TqlNode* Node);
    // Drops Self from the tree: detaches it (when attached) and marks it as
    // freed; its storage goes with the tree. The root cannot be freed this
    // way (its creator owns it).
    void Free();
    bool Freed() const { return FFreed; }
    // Frees every child.
    void Clear();

    int Count() const { return static_cast<int>(FChildCount); }
    TqlNode* GetNode(int Index) const;
    int IndexOf(const TqlNode* Node) const;
    int GetIndex() const;
    // Appends an unattached node to the children without calling Insert, so
    // no secondary index sees it. Self becomes its parent (its owner).
    int Add(std::unique_ptr<TqlNode> Node);
    TqlNode* Parent() const { return FParent; }

    // Moves Self under NewParent at Index (-1: at the end). NewParent must be
    // neither Self nor inside Self's subtree.
    void SetParentNode(TqlNode* NewParent, int Index);
    // Node is an ancestor of Self.
    bool ParentedBy(const TqlNode* Node) const;
    // Some ancestor's class is exactly AClass.
    bool ParentedBy(const TClass& AClass) const;
    // Node lies in Self's subtree (False for Self).
    bool IsParentOf(const TqlNode* Node) const;

    TqlNode* GetNextNode(int StartIndex, bool Continue, const TqlNodeCompareEvent& Compare,
                         const void* Data) const;
    TqlNode* GetPriorNode(int StartIndex, bool Continue, const TqlNodeCompareEvent& Compare,
                          const void* Data) const;

    // Token finders: a TqlTokenNode (or descendant) of Kind; ptUnknown matches
    // any token.
    TqlTokenNode* GetFirstTokenNode(TptTokenKind Kind) const;
    TqlTokenNode* GetNextTokenNode(int StartIndex, TptTokenKind Kind, bool Continue) const;
    TqlTokenNode* GetPriorTokenNode(int StartIndex, TptTokenKind Kind, bool Continue) const;
    TqlTokenNode* GetLastTokenNode(TptTokenKind Kind) const;
    TqlTokenNode* GetNextPeerTokenNode(TptTokenKind Kind, bool Continue) const;
    TqlTokenNode* GetPriorPeerTokenNode(TptTokenKind Kind, bool Continue) const;

    // Class finders: a node whose class is exactly AClass.
    TqlNode* GetFirstNodeClass(const TClass& AClass) const;
    TqlNode* GetNextNodeClass(int StartIndex, const TClass& AClass, bool Continue) const;
    TqlNode* GetPriorNodeClass(int StartIndex, const TClass& AClass, bool Continue) const;
    TqlNode* GetLastNodeClass(const TClass& AClass) const;
    TqlNode* GetNextPeerNodeClass(const TClass& AClass, bool Continue) const;
    TqlNode* GetPriorPeerNodeClass(const TClass& AClass, bool Continue) const;

    // Typed forms of the class finders: GetFirstNodeClass<TqlBlockNode>().
    template <class T>
    T* GetFirstNodeClass() const { return static_cast<T*>(GetFirstNodeClass(typeid(T))); }
    template <class T>
    T* GetNextNodeClass(int StartIndex, bool Continue) const
    {
        return static_cast<T*>(GetNextNodeClass(StartIndex, typeid(T), Continue));
    }
    template <class T>
    T* GetPriorNodeClass(int StartIndex, bool Continue) const
    {
        return static_cast<T*>(GetPriorNodeClass(StartIndex, typeid(T), Continue));
    }
    template <class T>
    T* GetLastNodeClass() const { return static_cast<T*>(GetLastNodeClass(typeid(T))); }
    template <class T>
    T* GetNextPeerNodeClass(bool Continue) const
    {
        return static_cast<T*>(GetNextPeerNodeClass(typeid(T), Continue));
    }
    template <class T>
    T* GetPriorPeerNodeClass(bool Continue) const
    {
        return static_cast<T*>(GetPriorPeerNodeClass(typeid(T), Continue));
    }

    // Data points to a TptTokenKind.
    bool GetNextTokenNodeCompareEvent(TqlNode* Node, const void* Data) const;
    // Data points to a TClass.
    bool GetNextNodeClassCompareEvent(TqlNode* Node, const void* Data) const;

    // Creates a node of class T from Args and puts it under AParent at AIndex
    // (negative: at the end) through AParent->Insert. The tree owns it.
    template <class T, class... A>
    static T* CreateChild(TqlNode* AParent, int AIndex, A&&... Args)
    {
        QL_ASSERT(AParent != nullptr, "uqlRefactorNodes: a new node needs a parent");
        // Within a tree the node's storage comes from the tree's node store.
        T* Result;
        if (void* Store = AParent->AllocateInTree(sizeof(T), alignof(T))) {
            Result = ::new (Store) T(std::forward<A>(Args)...);
            Result->FInTreeStore = true;
            Result->FTreeStore = AParent->FTreeStore;
        } else {
            Result = std::make_unique<T>(std::forward<A>(Args)...).release();
        }
        AParent->Adopt(Result, AIndex);
        return Result;
    }

    // Destroys a node: one made in a tree's node store leaves its storage to
    // the store, which goes with the tree.
    static void operator delete(TqlNode* Node, std::destroying_delete_t);

protected:
    // Where the node's own lists keep their entries: the tree's node store
    // for a node made in a tree, else nil (the heap).
    TqlNodeStore* ListStore() const { return FInTreeStore ? FTreeStore : nullptr; }

private:
    friend class TqlNodeBuilder;
    // Destroys every child and parked node at once: the remains of a tree
    // that could not be built, which nobody else points into.
    void DiscardChildren();
    // Takes Node (new, owned by nobody) as owned by Self, makes Self its
    // parent and inserts it; parked when Insert does not take it.
    void Adopt(TqlNode* Node, int AIndex);
    // Takes Node out of Self's parked nodes; nullptr when it is not there.
    std::unique_ptr<TqlNode> Unpark(TqlNode* Node);
    std::vector<std::unique_ptr<TqlNode>>& ParkedNodes();
    // Storage for a new node under Self from the node store of Self's tree;
    // nil when Self was made outside a tree.
    void* AllocateInTree(size_t Size, size_t Align)
    {
        TqlNodeStore* Store = FTreeStore ? FTreeStore : TreeStore();
        return Store ? Store->Allocate(Size, Align) : nullptr;
    }
    // The node store of Self's tree, made with the tree's first need of it;
    // nil when Self was made outside a tree.
    TqlNodeStore* TreeStore();
    friend class TqlModuleNode;
    friend class TqlCodeNode;

    // Makes room for one more child.
    void GrowChildren();
    // Destroys the children.
    void DestroyChildren();

    // The children, owned; their list lies in the tree's node store for a
    // node made in a tree, else on the heap.
    TqlNode** FChildItems = nullptr;
    uint32_t FChildCount = 0;
    uint32_t FChildCapacity = 0;
    // Detached, still owned; made at the first detach (most nodes never
    // have any).
    std::unique_ptr<std::vector<std::unique_ptr<TqlNode>>> FParked;
    TqlNode* FParent = nullptr;
    // The node store of the tree the node was made in (the module node's
    // own); nil for a node made outside a tree.
    TqlNodeStore* FTreeStore = nullptr;
    // The flags last: the fields of a derived class may share their word.
    bool FFreed = false;
    bool FAdopted = false; // made by Adopt and not yet inserted: owned by nobody
    bool FInTreeStore = false;
    bool FChildItemsOnHeap = false;
};

// The root of one file's tree; never has a parent.
class TqlModuleNode : public TqlNode {
public:
    TqlModuleNode();
    // The tree goes before the node store that holds its nodes.
    ~TqlModuleNode() override;
    QL_NODE_KIND(TqlModuleNode, TqlNode, nbModule)

    // Visits the whole tree, the module node included. A callback may detach
    // or free the visited node, or insert nodes before it.
    void IterateNodes(bool ChildrenFirst, const TqlNodeCallback& Callback);
    // Writes the tree's text to FileName. Text that comes from the source
    // file is written byte for byte; the line breaks of text made by edits
    // are written in the file's own style (LineBreak), and the file always
    // ends with a line break. The file appears complete or not at all: the
    // text goes into a new file beside it that is then linked (or, without
    // CheckOverwrite, renamed) into place. With CheckOverwrite an existing
    // file or link at FileName is refused with "Attempt to overwrite file,
    // %s." and left untouched; a link is never written through.
    void Generate(const std::string& FileName, bool CheckOverwrite);
    // The text of the tree as it stands, line breaks as they are.
    std::string GetText() const;

    // The line break of the file the tree was built from (its first one; CR
    // LF when it has none or the tree was not built from a file).
    const std::string& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const std::string& Value) { FLineBreak = Value; }
    // The project file index of the source file; -1 when unknown.
    int FileIndex() const { return FFileIndex; }
    void SetFileIndex(int Value) { FFileIndex = Value; }

private:
    friend class TqlNodeBuilder;
    // A copy of Text that lives as long as the tree: the source text that
    // the leaves of a built tree point into.
    std::string_view KeepText(std::string_view Text);
    void VisitNode(TqlNode* Node, bool ChildrenFirst, const TqlNodeCallback& Callback);
    friend class TqlNode;
    std::string FLineBreak = "\r\n";
    int FFileIndex = -1;
    // Storage of the tree's nodes, made with the first one.
    std::unique_ptr<TqlNodeStore> FStore;
};

// The per-class constructors of the code nodes: through the source position
// (the builder) and through a text (a node made by an edit).
#define QL_CODE_NODE_CREATORS(Class)                                                    \
    static Class* Create(TqlNode* AParent, const TPoint& APoint, int AStartPos, int AIndex) \
    {                                                                                    \
        return TqlNode::CreateChild<Class>(AParent, AIndex, APoint, AStartPos);         \
    }                                                                                    \
    static Class* Create(TqlNode* AParent, const std::string& ACode, int AIndex)         \
    {                                                                                    \
        Class* Node = TqlNode::CreateChild<Class>(AParent, AIndex, TPoint{-1, -1}, -1);  \
        Node->SetCode(ACode);                                                            \
        return Node;                                                                     \
    }

// A node that covers a span of source text.
class TqlCodeNode : public TqlNode {
public:
    // APoint is a 0-based lexer position (column X, line Y).
    TqlCodeNode(const TPoint& APoint, int AStartPos) : FStartPos(AStartPos) { TranslatePoint(FPoint, APoint); }
    TqlCodeNode(const TqlCodeNode&) = delete;
    TqlCodeNode& operator=(const TqlCodeNode&) = delete;
    QL_CODE_NODE_CREATORS(TqlCodeNode)
    QL_NODE_KIND(TqlCodeNode, TqlNode, nbCode)

    // The node's text; IncludeTrailingJunk False leaves out a last child that
    // is a junk node (at this level only).
    std::string GetCode(bool IncludeTrailingJunk) const;
    std::string DoGetCode() const { return GetCode(true); }
    void SetCode(const std::string& ACode);

    bool Modified() const { return FModified; }
    // The node's own text: a leaf's, or the text an edit set.
    std::string Code() const { return std::string(FText, FTextLength); }
    // The same without a copy; valid until the node's text is set again or
    // its tree goes.
    std::string_view CodeView() const { return std::string_view(FText, FTextLength); }
    const TPoint& GetPoint() const { return FPoint; }
    const TPoint& GetEndPoint() const { return FEndPoint; }
    int GetStartPos() const { return FStartPos; }
    int GetEndPos() const { return FEndPos; }

    ~TqlCodeNode() override;
    static void TranslatePoint(TPoint& Dest, const TPoint& Src) { Dest = TPoint{Src.X + 1, Src.Y + 1}; }
    // Closes the node: end point (0-based, of the first character after the
    // node), end position (its last character). A leaf from the source takes
    // its text from Source here without a copy: Source must last as long as
    // the node (the builder passes the copy of the source its tree keeps).
    void SetEndPoint(const TPoint& APoint, int AEndPos, std::string_view Source);

private:
    bool FModified = false;
    // The text is the node's own heap copy (a node made outside a tree);
    // otherwise it lies in the tree's source text or its node store.
    bool FOwnsText = false;
    int FStartPos = -1;
    int FEndPos = 0;
    const char* FText = "";
    TPoint FPoint{0, 0};
    TPoint FEndPoint{0, 0};
    // Last: the fields of a derived class may share its word.
    int FTextLength = 0;
};

inline void TqlCodeNode::SetEndPoint(const TPoint& APoint, int AEndPos, std::string_view Source)
{
    TranslatePoint(FEndPoint, APoint);
    FEndPos = AEndPos;
    if (FStartPos >= 0 && Count() == 0) {
        const long long First = FStartPos;
        const long long Last = std::min<long long>(AEndPos, static_cast<long long>(Source.size()) - 1);
        if (FOwnsText) {
            delete[] FText;
            FOwnsText = false;
        }
        if (Last >= First) {
            FText = Source.data() + First;
            FTextLength = static_cast<int>(Last - First + 1);
        } else {
            FText = "";
            FTextLength = 0;
        }
    }
}

// A function that creates a code node of one class: the builder's class
// reference. NewCodeNode<TqlBlockNode> is the one for TqlBlockNode.
using TqlCodeNodeClass = TqlCodeNode* (*)(TqlNode* AParent, const TPoint& APoint, int AStartPos,
                                          int AIndex);
template <class T>
TqlCodeNode* NewCodeNode(TqlNode* AParent, const TPoint& APoint, int AStartPos, int AIndex)
{
    return T::Create(AParent, APoint, AStartPos, AIndex);
}

class TqlInterfaceSectionNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlInterfaceSectionNode)
    QL_NODE_KIND(TqlInterfaceSectionNode, TqlCodeNode, nbInterfaceSection)
};

class TqlImplementationSectionNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlImplementationSectionNode)
    QL_NODE_KIND(TqlImplementationSectionNode, TqlCodeNode, nbImplementationSection)
};

// A list of identifiers; Identifiers holds its identifier children in child
// order.
class TqlIdentifierListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlIdentifierListNode)
    QL_NODE_KIND(TqlIdentifierListNode, TqlCodeNode, nbIdentifierList)
    void Insert(int Index, TqlNode* Node) override;
    void Delete(TqlNode* Node) override;
    using TqlNode::Delete;
    const TqlCodeNodeList& Identifiers() const { return FIdentifiers; }

private:
    void RebuildIdentifiers();
    TqlCodeNodeList FIdentifiers;
};

// The unit names of a uses clause (without "uses" and the closing ";").
class TqlUsesListNode : public TqlIdentifierListNode {
public:
    using TqlIdentifierListNode::TqlIdentifierListNode;
    QL_CODE_NODE_CREATORS(TqlUsesListNode)
    QL_NODE_KIND(TqlUsesListNode, TqlIdentifierListNode, nbUsesList)
};

class TqlCommentNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlCommentNode)
    QL_NODE_KIND(TqlCommentNode, TqlCodeNode, nbComment)
};

class TqlDirectiveNode : public TqlCommentNode {
public:
    using TqlCommentNode::TqlCommentNode;
    QL_CODE_NODE_CREATORS(TqlDirectiveNode)
    QL_NODE_KIND(TqlDirectiveNode, TqlCommentNode, nbDirective)
};

// One run of blanks and line breaks.
class TqlJunkNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlJunkNode)
    QL_NODE_KIND(TqlJunkNode, TqlCodeNode, nbJunk)
    // The text holds nothing but CR, LF, TAB and blanks.
    bool IsWhiteSpaceOnly() const;
};

#define QL_TOKEN_NODE_CREATORS(Class)                                                      \
    QL_CODE_NODE_CREATORS(Class)                                                           \
    static Class* Create(TqlNode* AParent, const std::string& ACode, TptTokenKind AKind,    \
                         int AIndex)                                                       \
    {                                                                                      \
        Class* Node = TqlNode::CreateChild<Class>(AParent, AIndex, TPoint{-1, -1}, -1);    \
        Node->SetCode(ACode);                                                              \
        Node->SetTokenKind(AKind);                                                         \
        return Node;                                                                       \
    }

class TqlTokenNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_TOKEN_NODE_CREATORS(TqlTokenNode)
    QL_NODE_KIND(TqlTokenNode, TqlCodeNode, nbToken)
    TptTokenKind TokenKind() const { return FTokenKind; }
    void SetTokenKind(TptTokenKind AKind) { FTokenKind = AKind; }

private:
    TptTokenKind FTokenKind = ptUnknown;
};

class TqlIdentifierNode : public TqlTokenNode {
public:
    using TqlTokenNode::TqlTokenNode;
    QL_TOKEN_NODE_CREATORS(TqlIdentifierNode)
    QL_NODE_KIND(TqlIdentifierNode, TqlTokenNode, nbIdentifier)
    // The identifier follows a "." (for the first identifier of a variable
    // reference: the reference follows one).
    bool IsQualified() const;
};

class TqlClassNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlClassNode)
    QL_NODE_KIND(TqlClassNode, TqlCodeNode, nbClass)
};

class TqlClassMemberListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlClassMemberListNode)
    QL_NODE_KIND(TqlClassMemberListNode, TqlCodeNode, nbClassMemberList)
};

class TqlClassMethodDeclarationNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlClassMethodDeclarationNode)
    QL_NODE_KIND(TqlClassMethodDeclarationNode, TqlCodeNode, nbClassMethodDeclaration)
};

class TqlClassPropertyNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlClassPropertyNode)
    QL_NODE_KIND(TqlClassPropertyNode, TqlCodeNode, nbClassProperty)
};

class TqlMethodDeclarationNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlMethodDeclarationNode)
    QL_NODE_KIND(TqlMethodDeclarationNode, TqlCodeNode, nbMethodDeclaration)
};

// A routine with its body; remembers its block.
class TqlMethodImplementationNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlMethodImplementationNode)
    QL_NODE_KIND(TqlMethodImplementationNode, TqlCodeNode, nbMethodImplementation)
    void Insert(int Index, TqlNode* Node) override;
    void Delete(TqlNode* Node) override;
    using TqlNode::Delete;
    TqlBlockNode* Block() const { return FBlock; }

private:
    TqlBlockNode* FBlock = nullptr;
};

// A holder of statements; Statements indexes its statement children in order
// of insertion.
class TqlStatementListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlStatementListNode)
    QL_NODE_KIND(TqlStatementListNode, TqlCodeNode, nbStatementList)
    void Insert(int Index, TqlNode* Node) override;
    void Delete(TqlNode* Node) override;
    using TqlNode::Delete;
    const TqlCodeNodeList& Statements() const { return FStatements; }

private:
    TqlCodeNodeList FStatements;
};

// A block: declarations and the compound statement.
class TqlBlockNode : public TqlStatementListNode {
public:
    using TqlStatementListNode::TqlStatementListNode;
    QL_CODE_NODE_CREATORS(TqlBlockNode)
    QL_NODE_KIND(TqlBlockNode, TqlStatementListNode, nbBlock)
    void Insert(int Index, TqlNode* Node) override;
    void Delete(TqlNode* Node) override;
    using TqlNode::Delete;
    const TqlCodeNodeList& MethodImplementations() const { return FMethodImplementations; }
    const TqlCodeNodeList& VariableSections() const { return FVariableSections; }

    // A new, empty var section right before the block's "begin".
    TqlVariableDeclarationListNode* AddVariableSectionCode();
    // The var section right before the block's "begin", nil when none.
    TqlVariableDeclarationListNode* GetInnerMostVariableSection() const;

private:
    TqlCodeNodeList FMethodImplementations;
    TqlCodeNodeList FVariableSections;
};

class TqlStatementNode : public TqlStatementListNode {
public:
    using TqlStatementListNode::TqlStatementListNode;
    QL_CODE_NODE_CREATORS(TqlStatementNode)
    QL_NODE_KIND(TqlStatementNode, TqlStatementListNode, nbStatement)
    TqlBlockNode* GetBlockNode() const;
    // The kind of the first token child; ptUnknown when there is none.
    TptTokenKind GetStatementKind() const;
};

class TqlVariableDeclarationListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlVariableDeclarationListNode)
    QL_NODE_KIND(TqlVariableDeclarationListNode, TqlCodeNode, nbVariableDeclarationList)
    // Adds "VariableName: TypeName;" as the first declaration of the section.
    void AddVariableCode(const std::string& VariableName, const std::string& TypeName);
    TqlBlockNode* GetBlockNode() const;
    bool IsInnerMostSection() const;
};

class TqlConstDeclarationListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlConstDeclarationListNode)
    QL_NODE_KIND(TqlConstDeclarationListNode, TqlCodeNode, nbConstDeclarationList)
};

class TqlTypeDeclarationListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlTypeDeclarationListNode)
    QL_NODE_KIND(TqlTypeDeclarationListNode, TqlCodeNode, nbTypeDeclarationList)
};

class TqlParameterListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlParameterListNode)
    QL_NODE_KIND(TqlParameterListNode, TqlCodeNode, nbParameterList)
};

// A holder of variable references, indexed in order of insertion.
class TqlVariableReferenceListNode : public TqlCodeNode {
public:
    using TqlCodeNode::TqlCodeNode;
    QL_CODE_NODE_CREATORS(TqlVariableReferenceListNode)
    QL_NODE_KIND(TqlVariableReferenceListNode, TqlCodeNode, nbVariableReferenceList)
    void Insert(int Index, TqlNode* Node) override;
    void Delete(TqlNode* Node) override;
    using TqlNode::Delete;
    const TqlCodeNodeList& VariableReferences() const { return FVariableReferences; }

private:
    TqlCodeNodeList FVariableReferences;
};

// One designator such as A.B[I].C or (X as T).Y.
class TqlVariableReferenceNode : public TqlVariableReferenceListNode {
public:
    using TqlVariableReferenceListNode::TqlVariableReferenceListNode;
    QL_CODE_NODE_CREATORS(TqlVariableReferenceNode)
    QL_NODE_KIND(TqlVariableReferenceNode, TqlVariableReferenceListNode, nbVariableReference)
    // The identifier that names what the last part of the reference belongs
    // to; IsAsCast is set when an "as" cast was met.
    TqlIdentifierNode* GetContainerNode(bool& IsAsCast) const;
};

// Builds the node tree of one source file: a parser that lets the grammar run
// unchanged and turns every token, comment, directive and run of blanks and
// line breaks into a leaf, and the grammar rules that refactorings work on
// into inner nodes around the leaves that the rule consumed.
class TqlNodeBuilder : public TlxSimplePasPar {
public:
    // ADefines: the conditional defines to parse with, one per line (the
    // project's defines). The word tables are shared when given.
    TqlNodeBuilder(TqlModuleNode* ARoot, const std::string& ADefines,
                   const TlxPasHash* KeyTable = nullptr,
                   const TlxDirectiveHash* DirectiveTable = nullptr);
    ~TqlNodeBuilder() override;

    // Builds the tree of FileName (loaded when Stream is nil) under the root.
    // A fatal syntax error leaves the root without children and goes on to
    // the caller.
    void Run(const std::string& FileName, TlxLexStream* Stream) override;

    // Opens a rule node of NodeClass under the current node and makes it
    // current; EndCodeNode closes it.
    void BeginCodeNode(TqlCodeNodeClass NodeClass);
    void EndCodeNode();

    bool InJunk() const { return FInJunk; }
    const std::string& ParsedFileName() const { return FParsedFileName; }
    TqlNode* CurrentNode() const { return FCurrentNode; }
    TqlModuleNode* RootNode() const { return FRootNode; }

    // Overrides of the parser.
    void Expected(TptTokenKind Kind) override;
    void NextToken() override;
    void SkipJunk() override;
    void SkipDirective() override;
    void ParseFile() override;
    void UnitFile() override;

    void InterfaceSection() override;
    void ImplementationSection() override;
    void UsedUnitsList() override;
    void Block() override;
    void Statement() override;
    void ClassType() override;
    void ClassMemberList() override;
    void ClassMethodHeading() override;
    void ClassProperty() override;
    void ExportedHeading() override;
    void ProcedureMethodDeclaration() override;
    void FunctionMethodDeclaration() override;
    void VarSection() override;
    void ConstSection() override;
    void TypeSection() override;
    void FormalParameterList() override;
    void VariableReference() override;

private:
    template <class T, class F>
    void Wrap(F&& Rule);
    // A leaf of class T for the text from the current token up to where
    // Advance moves the lexer.
    template <class T, class F>
    T* Leaf(F&& Advance);
    // Moves the lexer past the current token inside a leaf of class T.
    template <class T>
    void TokenLeaf(TptTokenKind Kind);
    // Text that no leaf holds yet before the current token (the lexer passed
    // over it without a token the builder saw) becomes a leaf of its own.
    void CoverGap()
    {
        if (Lexer().TokenPos() > FCovered)
            AddGapLeaf();
    }
    void AddGapLeaf();
    // An include directive stays one directive node, but what the included
    // file defines (and the files it includes in turn) counts for the rest
    // of the file: a pass over its directives only.
    void ApplyInclude(const std::string& Name);
    // The file an include directive in the file Holder names, found as the
    // analysis finds it: beside Holder, beside the unit, then in the
    // project's folders; "" when there is none. Both are looked up once per
    // builder.
    std::string FindInclude(const std::string& Name, const std::string& Holder);
    // The text of that file; nil when it cannot be read.
    const char* LoadInclude(const std::string& FullFileName);

    const TlxPasHash* FKeyTable;
    const TlxDirectiveHash* FDirectiveTable;
    std::map<std::pair<std::string, std::string>, std::string> FIncludeFiles; // by name as written and holder
    std::map<std::string, std::unique_ptr<std::string>> FIncludeTexts; // by full name
    bool FInJunk = false;
    std::string FParsedFileName;
    std::vector<TqlNode*> FNodeStack;
    TqlNode* FCurrentNode = nullptr;
    TqlModuleNode* FRootNode;
    std::string_view FSource;
    int FCovered = 0;         // offset after the last character held by a leaf
    TPoint FCoveredPoint{};   // its lexer position
};
