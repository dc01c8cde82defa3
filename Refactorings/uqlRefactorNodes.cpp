#include "Refactorings/uqlRefactorNodes.h"

#include "base/qlFileLimits.h"
#include "base/uqlPathUtils.h"
#include "lexer/lxCompilerConditions.h"
#include "model/uqlClasses.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void ListIndexError(int Index)
{
    throw EListError(Index);
}

bool IsJunkOrComment(const TqlNode* Node)
{
    return TqlNode::As<TqlJunkNode>(Node) || TqlNode::As<TqlCommentNode>(Node);
}

} // namespace

// ---------------------------------------------------------------------------
// TqlCodeNodeList

int TqlCodeNodeList::Add(TqlCodeNode* Node)
{
    FItems.push_back(Node);
    return Count() - 1;
}

int TqlCodeNodeList::Add(TqlCodeNode* Node, TqlNodeStore* Store)
{
    if (FItems.capacity() == 0 && Store)
        FItems = decltype(FItems)(decltype(FItems)::allocator_type(Store));
    return Add(Node);
}

void TqlCodeNodeList::Delete(TqlCodeNode* Node)
{
    auto It = std::find(FItems.begin(), FItems.end(), Node);
    if (It == FItems.end())
        ListIndexError(-1);
    FItems.erase(It);
}

TqlCodeNode* TqlCodeNodeList::GetNode(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return FItems[static_cast<size_t>(Index)];
}

// ---------------------------------------------------------------------------
// TqlNode

// The parked nodes and then the children go with the node. Nothing here
// reaches back into the parent: a node is only destroyed together with its
// owner, whose secondary indexes die with it.
TqlNode::~TqlNode()
{
    FParked.reset();
    DestroyChildren();
    if (FChildItemsOnHeap)
        ::operator delete(FChildItems);
}

void TqlNode::DestroyChildren()
{
    for (uint32_t I = 0; I < FChildCount; ++I)
        delete FChildItems[I];
    FChildCount = 0;
}

void TqlNode::GrowChildren()
{
    // Room for three children takes no more heap than room for one.
    const uint32_t Capacity = FChildCapacity ? FChildCapacity * 2 : 3;
    const size_t Size = size_t(Capacity) * sizeof(TqlNode*);
    TqlNodeStore* Store = ListStore();
    auto** Items = static_cast<TqlNode**>(Store ? Store->Allocate(Size, alignof(TqlNode*)) : ::operator new(Size));
    if (FChildCount)
        std::memcpy(Items, FChildItems, FChildCount * sizeof(TqlNode*));
    if (FChildItemsOnHeap)
        ::operator delete(FChildItems);
    FChildItems = Items;
    FChildCapacity = Capacity;
    FChildItemsOnHeap = Store == nullptr;
}

void TqlNode::operator delete(TqlNode* Node, std::destroying_delete_t)
{
    const bool InTreeStore = Node->FInTreeStore;
    void* Whole = dynamic_cast<void*>(Node);
    Node->~TqlNode();
    if (!InTreeStore)
        ::operator delete(Whole);
}

namespace {

// The full-sized blocks of the node stores that went, kept for the next
// stores of the same thread: trees built one after the other reuse memory
// the system has given already instead of having it given (and cleared)
// again for every tree. At most MaxCachedBlocks are kept.
struct TqlBlockCache {
    static constexpr size_t MaxCachedBlocks = 256; // 16 MB
    std::vector<std::unique_ptr<std::max_align_t[]>> Blocks;
    ~TqlBlockCache();
};

// Set when the thread's cache is gone (a store freed at the thread's very
// end gives its blocks back to the heap).
thread_local bool gqlBlockCacheGone = false;
thread_local TqlBlockCache gqlBlockCache;

TqlBlockCache::~TqlBlockCache()
{
    gqlBlockCacheGone = true;
}

} // namespace

TqlNodeStore::~TqlNodeStore()
{
    if (gqlBlockCacheGone)
        return;
    std::vector<std::unique_ptr<std::max_align_t[]>>& Cache = gqlBlockCache.Blocks;
    for (size_t I = FBlocks.size() - FFullBlocks; I < FBlocks.size() && Cache.size() < TqlBlockCache::MaxCachedBlocks; ++I)
        Cache.push_back(std::move(FBlocks[I]));
}

char* TqlNodeStore::NewHugeBlock(size_t Size)
{
    Size = (Size + HugeBlockSize - 1) / HugeBlockSize * HugeBlockSize;
    FHuge.emplace_back(static_cast<char*>(std::aligned_alloc(HugeBlockSize, Size)));
    if (!FHuge.back())
        throw std::bad_alloc();
    ::madvise(FHuge.back().get(), Size, MADV_HUGEPAGE);
    return FHuge.back().get();
}

void* TqlNodeStore::AllocateBlock(size_t Size, size_t Align)
{
    // A tree this large goes on in huge blocks that the system may back with
    // huge pages: one fault instead of hundreds for each.
    const bool Huge = FFullBlocks >= HugeAfterBlocks;
    // A large piece gets a block of its own and the current block stays in
    // use.
    if (Huge && Size > HugeBlockSize / 4)
        return NewHugeBlock(Size);
    if (!Huge && Size > MaxBlockSize / 4) {
        FLarge.push_back(NewBlock(Size));
        return FLarge.back().get();
    }
    if (Huge) {
        FNext = NewHugeBlock(HugeBlockSize);
        FEnd = FNext + HugeBlockSize;
        return Allocate(Size, Align);
    }
    std::vector<std::unique_ptr<std::max_align_t[]>>* Cache = gqlBlockCacheGone ? nullptr : &gqlBlockCache.Blocks;
    if (Cache && !Cache->empty()) {
        FBlockSize = MaxBlockSize;
        FBlocks.push_back(std::move(Cache->back()));
        Cache->pop_back();
    } else {
        // Blocks stay below the size at which the heap maps memory of its
        // own.
        FBlockSize = std::max(Size, std::min<size_t>(FBlocks.empty() ? 4096 : FBlockSize * 2, MaxBlockSize));
        FBlocks.push_back(NewBlock(FBlockSize));
    }
    FFullBlocks = FBlockSize == MaxBlockSize ? FFullBlocks + 1 : 0;
    FNext = reinterpret_cast<char*>(FBlocks.back().get());
    FEnd = FNext + FBlockSize;
    return Allocate(Size, Align);
}

std::unique_ptr<std::max_align_t[]> TqlNodeStore::NewBlock(size_t Size)
{
    return std::make_unique_for_overwrite<std::max_align_t[]>((Size + sizeof(std::max_align_t) - 1) /
                                                              sizeof(std::max_align_t));
}

std::string_view TqlNodeStore::Keep(std::string_view Text)
{
    if (Text.empty())
        return {};
    char* Copy = static_cast<char*>(Allocate(Text.size(), 1));
    std::memcpy(Copy, Text.data(), Text.size());
    return std::string_view(Copy, Text.size());
}

void* qlStoreAllocate(TqlNodeStore* Store, size_t Size, size_t Align)
{
    return Store->Allocate(Size, Align);
}

TqlNodeStore* TqlNode::TreeStore()
{
    if (!FTreeStore) {
        auto* Module = As<TqlModuleNode>(this);
        if (!Module)
            return nullptr;
        Module->FStore = std::make_unique<TqlNodeStore>();
        FTreeStore = Module->FStore.get();
    }
    return FTreeStore;
}

void TqlNode::DiscardChildren()
{
    DestroyChildren();
    FParked.reset();
}

void TqlNode::Adopt(TqlNode* Node, int AIndex)
{
    // The new node is handed to Insert as an adopted one rather than parked
    // first, so a node made in place costs no parked entry.
    Node->FParent = this;
    Node->FAdopted = true;
    const auto Park = [this, Node] {
        // A node that did not get in stays parked, owned by Self.
        if (Node->FAdopted) {
            Node->FAdopted = false;
            ParkedNodes().emplace_back(Node);
        }
    };
    try {
        Insert(AIndex < 0 ? Count() : AIndex, Node);
    } catch (...) {
        Park();
        throw;
    }
    Park();
}

std::vector<std::unique_ptr<TqlNode>>& TqlNode::ParkedNodes()
{
    if (!FParked)
        FParked = std::make_unique<std::vector<std::unique_ptr<TqlNode>>>();
    return *FParked;
}

std::unique_ptr<TqlNode> TqlNode::Unpark(TqlNode* Node)
{
    if (Node->FAdopted) {
        Node->FAdopted = false;
        return std::unique_ptr<TqlNode>(Node);
    }
    if (!FParked)
        return nullptr;
    // The node parked last is the likeliest.
    for (auto It = FParked->rbegin(); It != FParked->rend(); ++It)
        if (It->get() == Node) {
            std::unique_ptr<TqlNode> Result = std::move(*It);
            FParked->erase(std::next(It).base());
            return Result;
        }
    return nullptr;
}

void TqlNode::Insert(int Index, TqlNode* Node)
{
    QL_ASSERT(Node != nullptr, "uqlRefactorNodes: Insert of nil");
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    QL_ASSERT(Node->FParent != nullptr && !Node->FFreed,
              "uqlRefactorNodes: only a detached node of the tree can be inserted");
    if (FChildCount == FChildCapacity)
        GrowChildren();
    TqlNode* Taken = Node;
    if (Node->FAdopted) {
        // A new node, straight from Adopt.
        Node->FAdopted = false;
    } else {
        std::unique_ptr<TqlNode> Owned = Node->FParent->Unpark(Node);
        QL_ASSERT(Owned != nullptr, "uqlRefactorNodes: the node to insert is still attached");
        Taken = Owned.release();
    }
    TqlNode** At = FChildItems + Index;
    if (Index < Count())
        std::memmove(At + 1, At, (FChildCount - static_cast<uint32_t>(Index)) * sizeof(TqlNode*));
    *At = Taken;
    ++FChildCount;
}

void TqlNode::Delete(TqlNode* Node)
{
    const int Index = IndexOf(Node);
    if (Index < 0)
        ListIndexError(Index);
    std::vector<std::unique_ptr<TqlNode>>& Parked = ParkedNodes();
    Parked.emplace_back();
    TqlNode** At = FChildItems + Index;
    Parked.back().reset(*At);
    std::memmove(At, At + 1, (FChildCount - static_cast<uint32_t>(Index) - 1) * sizeof(TqlNode*));
    --FChildCount;
}

void TqlNode::Delete()
{
    QL_ASSERT(FParent != nullptr, "uqlRefactorNodes: Delete of a node without parent");
    FParent->Delete(this);
}

void TqlNode::DeleteIfExists(TqlNode* Node)
{
    if (Node)
        Node->Delete();
}

void TqlNode::Free()
{
    QL_ASSERT(FParent != nullptr, "uqlRefactorNodes: the root of a tree is freed by its owner");
    if (FFreed)
        return;
    if (FParent->IndexOf(this) >= 0)
        FParent->Delete(this);
    FFreed = true;
}

void TqlNode::Clear()
{
    while (Count() > 0) {
        TqlNode* First = FChildItems[0];
        First->Free();
        // A Delete override that kept the node would loop forever.
        QL_ASSERT(Count() == 0 || FChildItems[0] != First,
                  "uqlRefactorNodes: Clear could not take a child out");
    }
}

TqlNode* TqlNode::GetNode(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return FChildItems[Index];
}

int TqlNode::IndexOf(const TqlNode* Node) const
{
    for (uint32_t I = 0; I < FChildCount; ++I)
        if (FChildItems[I] == Node)
            return static_cast<int>(I);
    return -1;
}

int TqlNode::GetIndex() const
{
    return FParent ? FParent->IndexOf(this) : -1;
}

int TqlNode::Add(std::unique_ptr<TqlNode> Node)
{
    QL_ASSERT(Node != nullptr, "uqlRefactorNodes: Add of nil");
    QL_ASSERT(Node->FParent == nullptr && TqlNode::As<TqlModuleNode>(Node.get()) == nullptr,
              "uqlRefactorNodes: Add takes a node that belongs to no tree");
    if (FChildCount == FChildCapacity)
        GrowChildren();
    Node->FParent = this;
    FChildItems[FChildCount++] = Node.release();
    return Count() - 1;
}

void TqlNode::SetParentNode(TqlNode* NewParent, int Index)
{
    QL_ASSERT(NewParent != nullptr, "uqlRefactorNodes: SetParentNode to nil");
    QL_ASSERT(NewParent != this && !IsParentOf(NewParent),
              "uqlRefactorNodes: SetParentNode onto the node itself or into its subtree");
    QL_ASSERT(FParent != nullptr && !FFreed,
              "uqlRefactorNodes: SetParentNode of a node that is not part of a tree");
    // A node that was detached before is moved as it is.
    if (FParent->IndexOf(this) >= 0)
        FParent->Delete(this);
    if (Index == -1)
        Index = NewParent->Count();
    NewParent->Insert(Index, this);
    FParent = NewParent;
}

bool TqlNode::ParentedBy(const TqlNode* Node) const
{
    for (const TqlNode* P = FParent; P; P = P->FParent)
        if (P == Node)
            return true;
    return false;
}

bool TqlNode::ParentedBy(const TClass& AClass) const
{
    for (const TqlNode* P = FParent; P; P = P->FParent)
        if (typeid(*P) == AClass)
            return true;
    return false;
}

bool TqlNode::IsParentOf(const TqlNode* Node) const
{
    return Node != nullptr && Node->ParentedBy(this);
}

TqlNode* TqlNode::GetNextNode(int StartIndex, bool Continue, const TqlNodeCompareEvent& Compare,
                              const void* Data) const
{
    int I = StartIndex + 1;
    if (I < 0) {
        if (!Continue)
            return nullptr;
        I = 0;
    }
    for (; I < Count(); ++I) {
        TqlNode* Node = FChildItems[I];
        if (Compare(Node, Data))
            return Node;
        if (!Continue)
            break;
    }
    return nullptr;
}

TqlNode* TqlNode::GetPriorNode(int StartIndex, bool Continue, const TqlNodeCompareEvent& Compare,
                               const void* Data) const
{
    int I = StartIndex - 1;
    if (I >= Count()) {
        if (!Continue)
            return nullptr;
        I = Count() - 1;
    }
    for (; I >= 0; --I) {
        TqlNode* Node = FChildItems[I];
        if (Compare(Node, Data))
            return Node;
        if (!Continue)
            break;
    }
    return nullptr;
}

bool TqlNode::GetNextTokenNodeCompareEvent(TqlNode* Node, const void* Data) const
{
    const auto* Token = TqlNode::As<TqlTokenNode>(Node);
    if (!Token)
        return false;
    const TptTokenKind Kind = *static_cast<const TptTokenKind*>(Data);
    return Kind == ptUnknown || Token->TokenKind() == Kind;
}

bool TqlNode::GetNextNodeClassCompareEvent(TqlNode* Node, const void* Data) const
{
    return Node != nullptr && typeid(*Node) == *static_cast<const TClass*>(Data);
}

namespace {

TqlNodeCompareEvent TokenCompare(const TqlNode* Self)
{
    return [Self](TqlNode* Node, const void* Data) {
        return Self->GetNextTokenNodeCompareEvent(Node, Data);
    };
}

TqlNodeCompareEvent ClassCompare(const TqlNode* Self)
{
    return [Self](TqlNode* Node, const void* Data) {
        return Self->GetNextNodeClassCompareEvent(Node, Data);
    };
}

} // namespace

TqlTokenNode* TqlNode::GetFirstTokenNode(TptTokenKind Kind) const
{
    return GetNextTokenNode(-1, Kind, true);
}

TqlTokenNode* TqlNode::GetNextTokenNode(int StartIndex, TptTokenKind Kind, bool Continue) const
{
    return static_cast<TqlTokenNode*>(GetNextNode(StartIndex, Continue, TokenCompare(this), &Kind));
}

TqlTokenNode* TqlNode::GetPriorTokenNode(int StartIndex, TptTokenKind Kind, bool Continue) const
{
    return static_cast<TqlTokenNode*>(
        GetPriorNode(StartIndex, Continue, TokenCompare(this), &Kind));
}

TqlTokenNode* TqlNode::GetLastTokenNode(TptTokenKind Kind) const
{
    return GetPriorTokenNode(Count(), Kind, true);
}

TqlTokenNode* TqlNode::GetNextPeerTokenNode(TptTokenKind Kind, bool Continue) const
{
    // A detached node has no peers.
    const int Index = GetIndex();
    return Index >= 0 ? FParent->GetNextTokenNode(Index, Kind, Continue) : nullptr;
}

TqlTokenNode* TqlNode::GetPriorPeerTokenNode(TptTokenKind Kind, bool Continue) const
{
    // A detached node has no peers.
    const int Index = GetIndex();
    return Index >= 0 ? FParent->GetPriorTokenNode(Index, Kind, Continue) : nullptr;
}

TqlNode* TqlNode::GetFirstNodeClass(const TClass& AClass) const
{
    return GetNextNodeClass(-1, AClass, true);
}

TqlNode* TqlNode::GetNextNodeClass(int StartIndex, const TClass& AClass, bool Continue) const
{
    return GetNextNode(StartIndex, Continue, ClassCompare(this), &AClass);
}

TqlNode* TqlNode::GetPriorNodeClass(int StartIndex, const TClass& AClass, bool Continue) const
{
    return GetPriorNode(StartIndex, Continue, ClassCompare(this), &AClass);
}

TqlNode* TqlNode::GetLastNodeClass(const TClass& AClass) const
{
    return GetPriorNodeClass(Count(), AClass, true);
}

TqlNode* TqlNode::GetNextPeerNodeClass(const TClass& AClass, bool Continue) const
{
    // A detached node has no peers.
    const int Index = GetIndex();
    return Index >= 0 ? FParent->GetNextNodeClass(Index, AClass, Continue) : nullptr;
}

TqlNode* TqlNode::GetPriorPeerNodeClass(const TClass& AClass, bool Continue) const
{
    // A detached node has no peers.
    const int Index = GetIndex();
    return Index >= 0 ? FParent->GetPriorNodeClass(Index, AClass, Continue) : nullptr;
}

// ---------------------------------------------------------------------------
// TqlModuleNode

TqlModuleNode::TqlModuleNode() = default;

TqlModuleNode::~TqlModuleNode()
{
    DiscardChildren();
}

std::string_view TqlModuleNode::KeepText(std::string_view Text)
{
    return TreeStore()->Keep(Text);
}

void TqlModuleNode::VisitNode(TqlNode* Node, bool ChildrenFirst, const TqlNodeCallback& Callback)
{
    if (!ChildrenFirst) {
        Callback(Node);
        // A node that its callback dropped is not entered.
        if (Node->Freed())
            return;
    }
    // The index moves on by one plus the change of the child count during
    // the visit, so a visited node may be detached or nodes inserted before
    // it without a sibling being skipped or visited twice.
    int I = 0;
    while (I <= Node->Count() - 1) {
        const int Before = Node->Count();
        VisitNode(Node->GetNode(I), ChildrenFirst, Callback);
        I += 1 + (Node->Count() - Before);
        if (I < 0)
            I = 0;
    }
    if (ChildrenFirst)
        Callback(Node);
}

void TqlModuleNode::IterateNodes(bool ChildrenFirst, const TqlNodeCallback& Callback)
{
    VisitNode(this, ChildrenFirst, Callback);
}

namespace {

void AppendTreeText(const TqlNode* Node, std::string& Text)
{
    const auto* Code = TqlNode::As<TqlCodeNode>(Node);
    if (Code && (Code->Count() == 0 || Code->Modified())) {
        Text += Code->CodeView();
        return;
    }
    for (int I = 0; I < Node->Count(); ++I)
        AppendTreeText(Node->GetNode(I), Text);
}

// Appends Text with each of its line breaks (CR LF, CR or LF) written as
// Break.
void AppendWithBreaks(std::string_view Text, const std::string& Break, std::string& Out)
{
    size_t Pos = 0;
    const size_t Len = Text.size();
    while (Pos < Len) {
        size_t End = Text.find_first_of("\r\n", Pos);
        if (End == std::string_view::npos) {
            Out.append(Text.substr(Pos));
            return;
        }
        Out.append(Text.substr(Pos, End - Pos));
        Out += Break;
        Pos = End + (Text[End] == '\r' && End + 1 < Len && Text[End + 1] == '\n' ? 2 : 1);
    }
}

// The text to write: leaves from the source as they are, text of edits in
// the file's line-break style.
void AppendOutputText(const TqlNode* Node, const std::string& Break, std::string& Out)
{
    const auto* Code = TqlNode::As<TqlCodeNode>(Node);
    if (Code && (Code->Count() == 0 || Code->Modified())) {
        if (Code->Modified() || Code->GetStartPos() < 0)
            AppendWithBreaks(Code->CodeView(), Break, Out);
        else
            Out += Code->CodeView();
        return;
    }
    for (int I = 0; I < Node->Count(); ++I)
        AppendOutputText(Node->GetNode(I), Break, Out);
}

[[noreturn]] void CreateError(const std::string& FileName, int Err)
{
    throw Exception("Cannot create file \"" + FileName + "\". " + std::strerror(Err));
}

} // namespace

std::string TqlModuleNode::GetText() const
{
    std::string Text;
    AppendTreeText(this, Text);
    return Text;
}

void TqlModuleNode::Generate(const std::string& FileName, bool CheckOverwrite)
{
    std::string Data;
    AppendOutputText(this, FLineBreak, Data);
    if (!Data.empty() && Data.back() != '\n' && Data.back() != '\r')
        Data += FLineBreak;

    struct stat St {};
    if (::lstat(FileName.c_str(), &St) == 0) {
        if (CheckOverwrite)
            throw Exception("Attempt to overwrite file, " + FileName + ".");
        if (S_ISLNK(St.st_mode))
            CreateError(FileName, ELOOP);
    }
    // The text goes into a new file of its own beside the target first.
    static unsigned Counter = 0;
    std::string Temp;
    int Fd = -1;
    for (int Attempt = 0; Fd < 0; ++Attempt) {
        // A short name of its own, so that a target name near the length
        // limit can still be written.
        const size_t Slash = FileName.find_last_of('/');
        Temp = (Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1)) + ".~ql" +
               std::to_string(::getpid()) + "." + std::to_string(++Counter);
        Fd = ::open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (Fd < 0 && (errno != EEXIST || Attempt > 100))
            CreateError(FileName, errno);
    }
    bool Written = qlWriteAll(Fd, Data.data(), Data.size());
    int Err = Written ? 0 : errno;
    if (::close(Fd) != 0 && Written) {
        Written = false;
        Err = errno;
    }
    if (!Written) {
        ::unlink(Temp.c_str());
        throw Exception("Error writing file \"" + FileName + "\". " + std::strerror(Err));
    }
    // A link never replaces what is there: a file that appeared meanwhile
    // stays as it is.
    if (CheckOverwrite) {
        const int Linked = ::link(Temp.c_str(), FileName.c_str());
        Err = errno;
        ::unlink(Temp.c_str());
        if (Linked != 0) {
            if (Err == EEXIST)
                throw Exception("Attempt to overwrite file, " + FileName + ".");
            CreateError(FileName, Err);
        }
    } else if (::rename(Temp.c_str(), FileName.c_str()) != 0) {
        Err = errno;
        ::unlink(Temp.c_str());
        CreateError(FileName, Err);
    }
}

// ---------------------------------------------------------------------------
// TqlCodeNode

namespace {

void AppendCode(const TqlCodeNode* Node, bool IncludeTrailingJunk, std::string& Text)
{
    if (Node->Count() == 0 || Node->Modified()) {
        Text += Node->CodeView();
        return;
    }
    const int Last = Node->Count() - 1;
    for (int I = 0; I <= Last; ++I) {
        const auto* Child = TqlNode::As<TqlCodeNode>(Node->GetNode(I));
        if (!Child)
            continue;
        if (I == Last && !IncludeTrailingJunk && TqlNode::As<TqlJunkNode>(Child))
            continue;
        AppendCode(Child, true, Text);
    }
}

} // namespace

std::string TqlCodeNode::GetCode(bool IncludeTrailingJunk) const
{
    std::string Text;
    AppendCode(this, IncludeTrailingJunk, Text);
    return Text;
}

TqlCodeNode::~TqlCodeNode()
{
    if (FOwnsText)
        delete[] FText;
}

void TqlCodeNode::SetCode(const std::string& ACode)
{
    // Within a tree the text goes into the tree's node store; a node made
    // outside one keeps a copy of its own.
    const char* Old = FOwnsText ? FText : nullptr;
    if (TqlNodeStore* Store = ListStore()) {
        FText = Store->Keep(ACode).data();
        FOwnsText = false;
    } else if (ACode.empty()) {
        FText = "";
        FOwnsText = false;
    } else {
        char* Copy = new char[ACode.size()];
        std::memcpy(Copy, ACode.data(), ACode.size());
        FText = Copy;
        FOwnsText = true;
    }
    if (!FText)
        FText = "";
    FTextLength = static_cast<int>(ACode.size());
    delete[] Old;
    FModified = true;
}

// ---------------------------------------------------------------------------
// Leaves

bool TqlJunkNode::IsWhiteSpaceOnly() const
{
    const std::string Text = DoGetCode();
    return Text.find_first_not_of("\r\n\t ") == std::string::npos;
}

bool TqlIdentifierNode::IsQualified() const
{
    QL_ASSERT(Parent() != nullptr, "uqlRefactorNodes: IsQualified of an identifier without parent");
    const TqlNode* Subject = this;
    if (GetIndex() == 0 && TqlNode::As<TqlVariableReferenceNode>(Parent())) {
        Subject = Parent();
        QL_ASSERT(Subject->Parent() != nullptr,
                  "uqlRefactorNodes: IsQualified in a reference without parent");
    }
    const TqlTokenNode* Prior = Subject->GetPriorPeerTokenNode(ptUnknown, true);
    return Prior != nullptr && Prior->TokenKind() == ptPoint;
}

// ---------------------------------------------------------------------------
// Container nodes

void TqlIdentifierListNode::RebuildIdentifiers()
{
    FIdentifiers.Clear();
    for (int I = 0; I < Count(); ++I)
        if (auto* Id = TqlNode::As<TqlIdentifierNode>(GetNode(I)))
            FIdentifiers.Add(Id, ListStore());
}

void TqlIdentifierListNode::Insert(int Index, TqlNode* Node)
{
    TqlCodeNode::Insert(Index, Node);
    if (TqlNode::As<TqlIdentifierNode>(Node))
        RebuildIdentifiers();
}

void TqlIdentifierListNode::Delete(TqlNode* Node)
{
    TqlCodeNode::Delete(Node);
    if (TqlNode::As<TqlIdentifierNode>(Node))
        RebuildIdentifiers();
}

void TqlMethodImplementationNode::Insert(int Index, TqlNode* Node)
{
    TqlCodeNode::Insert(Index, Node);
    if (auto* B = TqlNode::As<TqlBlockNode>(Node))
        FBlock = B;
}

void TqlMethodImplementationNode::Delete(TqlNode* Node)
{
    TqlCodeNode::Delete(Node);
    if (TqlNode::As<TqlBlockNode>(Node))
        FBlock = nullptr;
}

void TqlStatementListNode::Insert(int Index, TqlNode* Node)
{
    TqlCodeNode::Insert(Index, Node);
    if (auto* S = TqlNode::As<TqlStatementNode>(Node))
        FStatements.Add(S, ListStore());
}

void TqlStatementListNode::Delete(TqlNode* Node)
{
    TqlCodeNode::Delete(Node);
    if (auto* S = TqlNode::As<TqlStatementNode>(Node))
        FStatements.Delete(S);
}

void TqlBlockNode::Insert(int Index, TqlNode* Node)
{
    TqlStatementListNode::Insert(Index, Node);
    if (auto* M = TqlNode::As<TqlMethodImplementationNode>(Node))
        FMethodImplementations.Add(M, ListStore());
    else if (auto* V = TqlNode::As<TqlVariableDeclarationListNode>(Node))
        FVariableSections.Add(V, ListStore());
}

void TqlBlockNode::Delete(TqlNode* Node)
{
    TqlStatementListNode::Delete(Node);
    if (auto* M = TqlNode::As<TqlMethodImplementationNode>(Node))
        FMethodImplementations.Delete(M);
    else if (auto* V = TqlNode::As<TqlVariableDeclarationListNode>(Node))
        FVariableSections.Delete(V);
}

TqlVariableDeclarationListNode* TqlBlockNode::AddVariableSectionCode()
{
    TqlTokenNode* Begin = GetFirstTokenNode(ptUnknown);
    QL_ASSERT(Begin != nullptr && Begin->TokenKind() == ptBegin,
              "uqlRefactorNodes: a var section can only be added to a block that starts with begin");
    auto* Section = TqlVariableDeclarationListNode::Create(this, TPoint{-1, -1}, -1, Begin->GetIndex());
    TqlTokenNode::Create(Section, "var", ptVar, 0);
    TqlJunkNode::Create(Section, "\r\n  ", 1);
    return Section;
}

TqlVariableDeclarationListNode* TqlBlockNode::GetInnerMostVariableSection() const
{
    for (int I = 0; I < FVariableSections.Count(); ++I) {
        auto* Section = static_cast<TqlVariableDeclarationListNode*>(FVariableSections.GetNode(I));
        if (Section->IsInnerMostSection())
            return Section;
    }
    return nullptr;
}

TqlBlockNode* TqlStatementNode::GetBlockNode() const
{
    for (TqlNode* P = Parent(); P; P = P->Parent())
        if (auto* B = TqlNode::As<TqlBlockNode>(P))
            return B;
    return nullptr;
}

TptTokenKind TqlStatementNode::GetStatementKind() const
{
    const TqlTokenNode* First = GetFirstTokenNode(ptUnknown);
    return First ? First->TokenKind() : ptUnknown;
}

TqlBlockNode* TqlVariableDeclarationListNode::GetBlockNode() const
{
    for (TqlNode* P = Parent(); P; P = P->Parent())
        if (auto* B = TqlNode::As<TqlBlockNode>(P))
            return B;
    return nullptr;
}

bool TqlVariableDeclarationListNode::IsInnerMostSection() const
{
    const TqlBlockNode* Block = GetBlockNode();
    if (!Block)
        return false;
    const TqlTokenNode* Begin = Block->GetFirstTokenNode(ptUnknown);
    if (!Begin || Begin->TokenKind() != ptBegin)
        return false;
    const int Index = Block->IndexOf(this);
    return Index >= 0 && Index == Block->IndexOf(Begin) - 1;
}

void TqlVariableDeclarationListNode::AddVariableCode(const std::string& VariableName,
                                                     const std::string& TypeName)
{
    QL_ASSERT(Count() >= 2, "uqlRefactorNodes: AddVariableCode on a section without var and junk");
    const auto* VarToken = TqlNode::As<TqlTokenNode>(GetNode(0));
    QL_ASSERT(VarToken != nullptr && VarToken->TokenKind() == ptVar,
              "uqlRefactorNodes: AddVariableCode on a section that does not start with var");
    const auto* AfterVar = TqlNode::As<TqlJunkNode>(GetNode(1));
    QL_ASSERT(AfterVar != nullptr, "uqlRefactorNodes: AddVariableCode needs a junk node after var");
    const bool DeclarationFollows = Count() >= 3 && TqlNode::As<TqlIdentifierNode>(GetNode(2));
    const std::string LineEnd = DeclarationFollows ? AfterVar->DoGetCode() : std::string("\r\n");
    TqlIdentifierNode::Create(this, VariableName, ptIdentifier, 2);
    TqlTokenNode::Create(this, ":", ptColon, 3);
    TqlJunkNode::Create(this, " ", 4);
    TqlIdentifierNode::Create(this, TypeName, ptIdentifier, 5);
    TqlTokenNode::Create(this, ";", ptSemiColon, 6);
    TqlJunkNode::Create(this, LineEnd, 7);
}

void TqlVariableReferenceListNode::Insert(int Index, TqlNode* Node)
{
    TqlCodeNode::Insert(Index, Node);
    if (auto* R = TqlNode::As<TqlVariableReferenceNode>(Node))
        FVariableReferences.Add(R, ListStore());
}

void TqlVariableReferenceListNode::Delete(TqlNode* Node)
{
    TqlCodeNode::Delete(Node);
    if (auto* R = TqlNode::As<TqlVariableReferenceNode>(Node))
        FVariableReferences.Delete(R);
}

TqlIdentifierNode* TqlVariableReferenceNode::GetContainerNode(bool& IsAsCast) const
{
    QL_ASSERT(Count() > 0, "uqlRefactorNodes: GetContainerNode of an empty reference");
    TqlIdentifierNode* Result = nullptr;
    std::vector<TqlIdentifierNode*> Saved;
    for (int I = 0; I < Count(); ++I) {
        TqlNode* Child = GetNode(I);
        // Blanks, line breaks, comments and directives inside a reference
        // say nothing about it.
        if (IsJunkOrComment(Child))
            continue;
        if (auto* Nested = TqlNode::As<TqlVariableReferenceNode>(Child)) {
            if (!Result && Nested->Count() > 0) {
                bool NestedAsCast = false;
                Result = Nested->GetContainerNode(NestedAsCast);
            }
            continue;
        }
        if (auto* Id = TqlNode::As<TqlIdentifierNode>(Child)) {
            Result = Id;
            continue;
        }
        auto* Token = TqlNode::As<TqlTokenNode>(Child);
        QL_ASSERT(Token != nullptr, "uqlRefactorNodes: unexpected node in a variable reference");
        switch (Token->TokenKind()) {
        case ptAs:
            Result = nullptr;
            IsAsCast = true;
            break;
        case ptPoint:
            Result = nullptr;
            break;
        case ptRoundOpen:
        case ptSquareOpen:
            Saved.push_back(Result);
            break;
        case ptRoundClose:
        case ptSquareClose: {
            TqlIdentifierNode* Popped = nullptr;
            if (!Saved.empty()) {
                Popped = Saved.back();
                Saved.pop_back();
            }
            if (Popped)
                Result = Popped;
            break;
        }
        default:
            break;
        }
    }
    return Result;
}

// ---------------------------------------------------------------------------
// TqlNodeBuilder

TqlNodeBuilder::TqlNodeBuilder(TqlModuleNode* ARoot, const std::string& ADefines,
                               const TlxPasHash* KeyTable, const TlxDirectiveHash* DirectiveTable)
    : TlxSimplePasPar(KeyTable, DirectiveTable), FKeyTable(KeyTable), FDirectiveTable(DirectiveTable),
      FRootNode(ARoot)
{
    QL_ASSERT(ARoot != nullptr, "uqlRefactorNodes: the node builder needs a root");
    // Conditional compilation follows the project's defines.
    TlxAssignAbleHash Defines(ADefines);
    Lexer().DefinedList()->Assign(&Defines);
    // {$IF} is answered as in the analysis, so that both read the same code.
    lxSetDelphi7Conditions(Lexer(), qlSystemDeclares);
    Lexer().SetOnIncludeDirect([this](TlxBasePasLex*, const std::string& Name) -> const char* {
        ApplyInclude(Name);
        return nullptr; // the builder's lexer never enters the file
    });
}

std::string TqlNodeBuilder::FindInclude(const std::string& Name, const std::string& Holder)
{
    auto Known = FIncludeFiles.find({Name, Holder});
    if (Known != FIncludeFiles.end())
        return Known->second;
    std::string FileName = Name;
    if (qlExtractFileExt(FileName).empty())
        FileName += ".pas";
    // Beside the file that holds the directive, then beside the unit, then
    // the project's folders, as the analysis looks.
    const std::string Full = qlFindIncludeFile({qlFolderOf(Holder), qlFolderOf(FParsedFileName)}, FileName);
    FIncludeFiles[{Name, Holder}] = Full;
    return Full;
}

const char* TqlNodeBuilder::LoadInclude(const std::string& FullFileName)
{
    auto Known = FIncludeTexts.find(FullFileName);
    if (Known != FIncludeTexts.end())
        return Known->second ? Known->second->c_str() : nullptr;
    std::unique_ptr<std::string>& Text = FIncludeTexts[FullFileName];
    TlxLexStream Stream;
    try {
        Stream.LoadFromFile(FullFileName);
    } catch (const Exception&) {
        return nullptr;
    }
    Text = std::make_unique<std::string>(Stream.Memory(), static_cast<size_t>(Stream.Size()));
    return Text->c_str();
}

void TqlNodeBuilder::ApplyInclude(const std::string& Name)
{
    // The files open in this pass, outermost first: a file that includes
    // itself, directly or through others, is not entered again.
    std::vector<std::string> Open{FParsedFileName};
    const auto Enter = [&](const std::string& Included) -> const char* {
        const std::string Full = FindInclude(Included, Open.back());
        if (Full.empty() || std::find(Open.begin(), Open.end(), Full) != Open.end())
            return nullptr;
        const char* Text = LoadInclude(Full);
        if (Text)
            Open.push_back(Full);

        return Text;
    };
    const char* Text = Enter(Name);
    if (!Text)
        return;
    TlxAssignAbleHash Defines;
    Defines.Assign(Lexer().DefinedList());
    TlxBasePasLex Pass(FKeyTable, FDirectiveTable);
    Pass.SetDefinedList(&Defines);
    Pass.SetOnIncludeDirect([&](TlxBasePasLex*, const std::string& Nested) { return Enter(Nested); });
    Pass.SetOnIncludeEnd([&](TlxBasePasLex*) {
        if (Open.size() > 2)
            Open.pop_back();
    });
    Pass.SetFileName(Name);
    Pass.SetOrigin(Text);
    while (Pass.TokenID() != ptNull) {
        if (Pass.TokenID() == ptAnsiDirective || Pass.TokenID() == ptBorDirective)
            Pass.ScannDirectives();
        else
            Pass.Next();
    }
    // The symbols now defined, each once (a file included again and again
    // defines the same symbols again).
    TlxAssignAbleHash& Defined = *Lexer().DefinedList();
    Defined.Clear();
    for (int I = 0; I < Defines.Count(); ++I)
        if (!Defined.Hash(Defines.GetItems(I)->Str))
            Defined.AddSorted(Defines.GetItems(I)->Str);
}

TqlNodeBuilder::~TqlNodeBuilder() = default;

void TqlNodeBuilder::Run(const std::string& FileName, TlxLexStream* Stream)
{
    FParsedFileName = FileName;
    FCurrentNode = FRootNode;
    FNodeStack.clear();
    FInJunk = false;
    FCovered = 0;
    FCoveredPoint = TPoint{0, 0};
    try {
        TlxSimplePasPar::Run(FileName, Stream);
    } catch (...) {
        // Nothing of a tree that could not be built stays behind.
        FRootNode->DiscardChildren();
        FNodeStack.clear();
        FCurrentNode = nullptr;
        FSource = {};
        throw;
    }
    FCurrentNode = nullptr;
    FSource = {};
}

void TqlNodeBuilder::AddGapLeaf()
{
    const int Pos = Lexer().TokenPos();
    auto* Gap = TqlJunkNode::Create(FCurrentNode, FCoveredPoint, FCovered, -1);
    Gap->SetEndPoint(Lexer().GetPosXY(), Pos - 1, FSource);
    FCovered = Pos;
    FCoveredPoint = Lexer().GetPosXY();
}

void TqlNodeBuilder::BeginCodeNode(TqlCodeNodeClass NodeClass)
{
    QL_ASSERT(FCurrentNode != nullptr, "uqlRefactorNodes: BeginCodeNode without a current node");
    CoverGap();
    FNodeStack.push_back(FCurrentNode);
    TqlCodeNode* Node = NodeClass(FCurrentNode, Lexer().GetPosXY(), Lexer().TokenPos(), -1);
    FCurrentNode = Node;
    FNodeStack.push_back(Node);
}

void TqlNodeBuilder::EndCodeNode()
{
    QL_ASSERT(FNodeStack.size() >= 2, "uqlRefactorNodes: EndCodeNode without an open node");
    auto* Node = static_cast<TqlCodeNode*>(FNodeStack.back());
    FNodeStack.pop_back();
    const int Pos = Lexer().TokenPos();
    Node->SetEndPoint(Lexer().GetPosXY(), Pos - 1, FSource);
    if (Node->Count() == 0 && Pos > FCovered) {
        FCovered = Pos;
        FCoveredPoint = Lexer().GetPosXY();
    }
    FCurrentNode = FNodeStack.back();
    FNodeStack.pop_back();
}

template <class T, class F>
void TqlNodeBuilder::Wrap(F&& Rule)
{
    BeginCodeNode(NewCodeNode<T>);
    try {
        Rule();
    } catch (...) {
        EndCodeNode();
        throw;
    }
    EndCodeNode();
}

template <class T, class F>
T* TqlNodeBuilder::Leaf(F&& Advance)
{
    CoverGap();
    const int Start = Lexer().TokenPos();
    const TPoint StartPoint = Lexer().GetPosXY();
    Advance();
    // Nothing of the tree changes while the lexer moves on: the leaf joins
    // its parent now, with all it holds.
    T* Node = T::Create(FCurrentNode, StartPoint, Start, -1);
    const int Pos = Lexer().TokenPos();
    const TPoint EndPoint = Lexer().GetPosXY();
    Node->SetEndPoint(EndPoint, Pos - 1, FSource);
    if (Pos > FCovered) {
        FCovered = Pos;
        FCoveredPoint = EndPoint;
    }
    return Node;
}

template <class T>
void TqlNodeBuilder::TokenLeaf(TptTokenKind Kind)
{
    Leaf<T>([this] { Lexer().Next(); })->SetTokenKind(Kind);
    SkipJunk();
}

void TqlNodeBuilder::NextToken()
{
    QL_ASSERT(!FInJunk, "uqlRefactorNodes: NextToken inside a run of blanks");
    TokenLeaf<TqlTokenNode>(Lexer().TokenID());
}

void TqlNodeBuilder::Expected(TptTokenKind Kind)
{
    QL_ASSERT(!FInJunk, "uqlRefactorNodes: Expected inside a run of blanks");
    if (Lexer().TokenID() != Kind) {
        TlxSimplePasPar::Expected(Kind);
        return;
    }
    if (Kind == ptIdentifier)
        TokenLeaf<TqlIdentifierNode>(Kind);
    else
        TokenLeaf<TqlTokenNode>(Kind);
}

void TqlNodeBuilder::SkipJunk()
{
    for (;;) {
        switch (Lexer().TokenID()) {
        case ptAnsiDirective:
        case ptBorDirective:
            SkipDirective();
            break;
        case ptAnsiComment:
        case ptBorComment:
        case ptSlashesComment:
            Leaf<TqlCommentNode>([this] { Lexer().Next(); });
            break;
        case ptCRLF:
        case ptCRLFCo:
        case ptSpace:
            FInJunk = true;
            Leaf<TqlJunkNode>([this] {
                do
                    Lexer().Next();
                while (Lexer().TokenID() == ptCRLF || Lexer().TokenID() == ptCRLFCo ||
                       Lexer().TokenID() == ptSpace);
            });
            FInJunk = false;
            break;
        default:
            return;
        }
    }
}

void TqlNodeBuilder::SkipDirective()
{
    Wrap<TqlDirectiveNode>([this] { TlxSimplePasPar::SkipDirective(); });
}

void TqlNodeBuilder::ParseFile()
{
    // The leaves point into the tree's own copy of the source.
    FSource = FStream ? FRootNode->KeepText(std::string_view(FStream->Memory(), static_cast<size_t>(FStream->Size())))
                      : std::string_view();
    // Text that edits add is written with the file's own line break.
    const size_t Break = FSource.find_first_of("\r\n");
    if (Break == std::string_view::npos)
        FRootNode->SetLineBreak("\r\n");
    else if (FSource[Break] == '\n')
        FRootNode->SetLineBreak("\n");
    else
        FRootNode->SetLineBreak(Break + 1 < FSource.size() && FSource[Break + 1] == '\n' ? "\r\n" : "\r");
    TlxSimplePasPar::ParseFile();
    // Text that the parser did not take (anything after the final "end.")
    // becomes the last junk node of the module.
    const int Pos = Lexer().TokenPos();
    const int Len = static_cast<int>(FSource.size());
    if (Pos < Len) {
        CoverGap();
        auto* Rest = TqlJunkNode::Create(FRootNode, Lexer().GetPosXY(), Pos, -1);
        // The point after the text: count its line breaks.
        TPoint End = Lexer().GetPosXY();
        for (int I = Pos; I < Len; ++I) {
            const char C = FSource[static_cast<size_t>(I)];
            if (C == '\n' || (C == '\r' && (I + 1 >= Len || FSource[static_cast<size_t>(I) + 1] != '\n'))) {
                ++End.Y;
                End.X = 0;
            } else if (C != '\r') {
                ++End.X;
            }
        }
        Rest->SetEndPoint(End, Len - 1, FSource);
        FCovered = Len;
        FCoveredPoint = End;
    }
}

void TqlNodeBuilder::UnitFile()
{
    TlxSimplePasPar::UnitFile();
    SkipJunk();
}

// The rules that make inner nodes.
void TqlNodeBuilder::InterfaceSection()
{
    Wrap<TqlInterfaceSectionNode>([this] { TlxSimplePasPar::InterfaceSection(); });
}

void TqlNodeBuilder::ImplementationSection()
{
    Wrap<TqlImplementationSectionNode>([this] { TlxSimplePasPar::ImplementationSection(); });
}

void TqlNodeBuilder::UsedUnitsList()
{
    Wrap<TqlUsesListNode>([this] { TlxSimplePasPar::UsedUnitsList(); });
}

void TqlNodeBuilder::Block()
{
    Wrap<TqlBlockNode>([this] { TlxSimplePasPar::Block(); });
}

void TqlNodeBuilder::Statement()
{
    Wrap<TqlStatementNode>([this] { TlxSimplePasPar::Statement(); });
}

void TqlNodeBuilder::ClassType()
{
    Wrap<TqlClassNode>([this] { TlxSimplePasPar::ClassType(); });
}

void TqlNodeBuilder::ClassMemberList()
{
    Wrap<TqlClassMemberListNode>([this] { TlxSimplePasPar::ClassMemberList(); });
}

void TqlNodeBuilder::ClassMethodHeading()
{
    Wrap<TqlClassMethodDeclarationNode>([this] { TlxSimplePasPar::ClassMethodHeading(); });
}

void TqlNodeBuilder::ClassProperty()
{
    Wrap<TqlClassPropertyNode>([this] { TlxSimplePasPar::ClassProperty(); });
}

void TqlNodeBuilder::ExportedHeading()
{
    Wrap<TqlMethodDeclarationNode>([this] { TlxSimplePasPar::ExportedHeading(); });
}

void TqlNodeBuilder::ProcedureMethodDeclaration()
{
    Wrap<TqlMethodImplementationNode>([this] { TlxSimplePasPar::ProcedureMethodDeclaration(); });
}

void TqlNodeBuilder::FunctionMethodDeclaration()
{
    Wrap<TqlMethodImplementationNode>([this] { TlxSimplePasPar::FunctionMethodDeclaration(); });
}

void TqlNodeBuilder::VarSection()
{
    Wrap<TqlVariableDeclarationListNode>([this] { TlxSimplePasPar::VarSection(); });
}

void TqlNodeBuilder::ConstSection()
{
    Wrap<TqlConstDeclarationListNode>([this] { TlxSimplePasPar::ConstSection(); });
}

void TqlNodeBuilder::TypeSection()
{
    Wrap<TqlTypeDeclarationListNode>([this] { TlxSimplePasPar::TypeSection(); });
}

void TqlNodeBuilder::FormalParameterList()
{
    Wrap<TqlParameterListNode>([this] { TlxSimplePasPar::FormalParameterList(); });
}

void TqlNodeBuilder::VariableReference()
{
    Wrap<TqlVariableReferenceNode>([this] { TlxSimplePasPar::VariableReference(); });
}
