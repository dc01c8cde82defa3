// The Object Pascal lexer: turns a zero-terminated text into tokens, acts on
// compiler directives (conditional compilation, defines, switches, include
// files) and, in TlxPasLex, reads ahead without moving.
//
// Positions are 0-based: Run is the index of the next character to scan,
// TokenPos the start of the current token, LineNumber and the column of
// GetPosXY count from 0.
#pragma once

#include "lexer/lxDirectiveLex.h"
#include "lexer/lxIncludeReplay.h"
#include "lexer/lxPasLexTypes.h"

#include <functional>
#include <memory>
#include <string>

class TlxBasePasLex;

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint& A, const TPoint& B) { return A.X == B.X && A.Y == B.Y; }
};

// Message event shared by the lexer and the parsers: Sender, text, column, line.
using TMessageEvent = std::function<void(void* Sender, const std::string& Msg, int X, int Y)>;
using TlxLexEvent = std::function<void(TlxBasePasLex* Sender)>;
using TlxLexStringEvent = std::function<void(TlxBasePasLex* Sender, const std::string& Value)>;
using TlxLexStringBooleanEvent = std::function<bool(TlxBasePasLex* Sender, const std::string& Name)>;
using TlxLexIfOptEvent =
    std::function<void(TlxBasePasLex* Sender, TbdBooleanDirectives Value, bool Active)>;
// Returns the included text (zero-terminated, kept alive by the handler for
// as long as the lexer scans it) or nil when there is none.
using TlxLexOnIncludeEvent =
    std::function<const char*(TlxBasePasLex* Sender, const std::string& FileName)>;
using TlxLexExpressionEvent = std::function<bool(
    TlxBasePasLex* Sender, TcdTokenKind ConstTypeOne, const std::string& ConstantOne,
    TcdTokenKind TypeOfRelation, TcdTokenKind ConstTypeThree, const std::string& ConstantTwo)>;
using TDirectiveSetEvent =
    std::function<void(TlxBasePasLex* Sender, TbdBooleanDirectives Value, bool Activate)>;
using TlxLexNumberEvent = std::function<void(TlxBasePasLex* Sender, int Value)>;
using TlxLexAppTypeEvent = std::function<void(TlxBasePasLex* Sender, TlxAppType Value)>;
using TlxLexSODirectEvent =
    std::function<void(TlxBasePasLex* Sender, TcdTokenKind Kind, const std::string& Value)>;

class TlxBasePasLex {
public:
    // Include files nested deeper than this are ignored with a message.
    static constexpr int MaxIncludeDepth = 64;
    // Nesting of parentheses and "and"/"or" terms in one {$IF} expression.
    static constexpr int MaxExpressionDepth = 256;

    // Tables given are shared and never freed; nil makes the lexer build its own.
    explicit TlxBasePasLex(const TlxPasHash* KeyTable = nullptr,
                           const TlxDirectiveHash* DirectiveTable = nullptr);
    TlxBasePasLex(const TlxBasePasLex&) = delete;
    TlxBasePasLex& operator=(const TlxBasePasLex&) = delete;
    virtual ~TlxBasePasLex();

    // --- scanning
    void Next();
    void NextNoJunk();
    void NextNoSpace();
    void NextID(TptTokenKind Kind);
    std::string GetToken() const { return std::string(FOrigin + FTokenPos, size_t(FRun - FTokenPos)); }
    int GetTokenLen() const { return FRun - FTokenPos; }
    // The current token's characters (GetTokenLen of them), without a copy.
    const char* GetTokenPtr() const { return FOrigin + FTokenPos; }
    // The byte-order mark before a first line lies at its column 0 as well
    // (the line's columns count from after it).
    TPoint GetPosXY() const
    {
        return TPoint{FLineNumber == 0 && FTokenPos < FLinePos ? 0 : FTokenPos - FLinePos, FLineNumber};
    }
    TptTokenKind GetGenID() const
    {
        return FTokenID == ptIdentifier && FExID != ptUnknown ? FExID : FTokenID;
    }
    bool GetIsJunk() const { return IsTokenIDJunk(FTokenID); }
    bool GetIsSpace() const { return FTokenID == ptCRLF || FTokenID == ptSpace; }
    std::string GetStringContent() const;

    void Init();
    void InitLine();
    // Points the lexer at Text, which must stay valid and zero-terminated while
    // it is scanned. TextLen, when given, is the text's length: a zero byte
    // before it is then an unknown character instead of the end of the text.
    // Resets position, line, lexer state and the conditional state (skip depth
    // and open conditionals); keeps switches, defined symbols and file name.
    virtual void SetOrigin(const char* Text, int TextLen = -1);
    // The text being scanned now lies at Text: the same characters, moved.
    // Only the pointers into it change; position, line, lexer state, the
    // conditional state and the switches are kept. No include file may be
    // open (their saved states point into the text too).
    virtual void RelocateOrigin(const char* Text);
    // Scans a copy of Line.
    virtual void SetLine(const std::string& Line);
    void SetRunPos(int Value);
    TlxLexState GetLexState() const { return FLexState; }
    void SetLexState(TlxLexState Value) { FLexState = Value; }
    virtual void GetStatus(TlxPasLexStatus& Status) const;
    virtual void SetStatus(const TlxPasLexStatus& Status);
    TlxPasLexStatus GetStatus() const
    {
        TlxPasLexStatus S;
        GetStatus(S);
        return S;
    }

    // --- defined symbols: owned until replaced
    void SetDefinedList(TlxAssignAbleHash* List);
    // The set to read or change: a set shared with others is copied first.
    TlxAssignAbleHash* DefinedList() { return &WritableDefines(); }

    void AtLineEnd(int Pos);

    // --- directives
    // Acts on the directive comment that is the current token; afterwards the
    // current token is the first one after it (or the first of an included
    // text, or of the branch that is compiled).
    void ScannDirectives();
    // Acts on the directive word the directive scanner stands on.
    void ProcessDirective();
    // Skips the text of a conditional branch that is not compiled.
    void SkipDirective();
    // The current directive's text after its name, upper-cased, without the
    // closing bracket (TokenPos at the comment's start, Run after its end).
    std::string GetDirectiveParam() const;

    // --- state
    TptTokenKind TokenID() const { return FTokenID; }
    TptTokenKind ExID() const { return FExID; }
    int LineNumber() const { return FLineNumber; }
    int LinePos() const { return FLinePos; }
    int RunPos() const { return FRun; }
    int TokenPos() const { return FTokenPos; }
    const char* Origin() const { return FOrigin; }
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& Value) { FFileName = Value; }
    const TlxBooleanDirectives& Switches() const { return FSwitches; }
    void SetSwitches(const TlxBooleanDirectives& Value) { FSwitches = Value; }
    int SkipDepth() const { return FSkipDepth; }
    int IncludeDepth() const { return FStatusStack.Count(); }
    TlxPasLexStatusStack& StatusStack() { return FStatusStack; }
    const TlxPasHash* KeyTable() const { return FKeyTable; }
    TlxDirectiveLex& DirectiveLex() { return *FDirectiveLex; }

    // --- events with setters
    void SetOnMessage(TMessageEvent Value) { FOnMessage = std::move(Value); }
    const TMessageEvent& OnMessage() const { return FOnMessage; }
    virtual void SetOnCompDirect(TlxLexEvent Value) { FOnCompDirect = std::move(Value); }
    virtual void SetOnDefineDirect(TlxLexStringEvent Value) { FOnDefineDirect = std::move(Value); }
    virtual void SetOnElseDirect(TlxLexEvent Value) { FOnElseDirect = std::move(Value); }
    virtual void SetOnEndIfDirect(TlxLexEvent Value) { FOnEndIfDirect = std::move(Value); }
    virtual void SetOnIfDefDirect(TlxLexEvent Value) { FOnIfDefDirect = std::move(Value); }
    virtual void SetOnIfNDefDirect(TlxLexEvent Value) { FOnIfNDefDirect = std::move(Value); }
    virtual void SetOnIfOptDirect(TlxLexIfOptEvent Value) { FOnIfOptDirect = std::move(Value); }
    virtual void SetOnIncludeDirect(TlxLexOnIncludeEvent Value) { FOnIncludeDirect = std::move(Value); }
    virtual void SetOnInvalidDirect(TlxLexStringEvent Value) { FOnInvalidDirect = std::move(Value); }
    virtual void SetOnResourceDirect(TlxLexStringEvent Value) { FOnResourceDirect = std::move(Value); }
    virtual void SetOnUnDefDirect(TlxLexStringEvent Value) { FOnUnDefDirect = std::move(Value); }
    virtual void SetOnLineEnd(TlxLexEvent Value) { FOnLineEnd = std::move(Value); }
    virtual void SetOnDeclared(TlxLexStringBooleanEvent Value) { FOnDeclared = std::move(Value); }
    virtual void SetOnDefined(TlxLexStringEvent Value) { FOnDefined = std::move(Value); }
    // OperandsOnly: the handler's answer depends on its arguments alone, so
    // that include files need not be scanned again for its sake.
    virtual void SetOnExpression(TlxLexExpressionEvent Value, bool OperandsOnly = false)
    {
        FOnExpression = std::move(Value);
        FExpressionOperandsOnly = OperandsOnly;
    }
    void SetOnIfDirect(TlxLexEvent Value) { FOnIfDirect = std::move(Value); }
    void SetOnElseIfDirect(TlxLexEvent Value) { FOnElseIfDirect = std::move(Value); }
    void SetOnIfEndDirect(TlxLexEvent Value) { FOnIfEndDirect = std::move(Value); }
    void SetOnIncludeEnd(TlxLexEvent Value) { FOnIncludeEnd = std::move(Value); }
    void SetOnMultiLineStart(TlxLexEvent Value) { FOnMultiLineStart = std::move(Value); }
    void SetOnMultiLineEnd(TlxLexEvent Value) { FOnMultiLineEnd = std::move(Value); }
    void SetOnSlashesComment(TlxLexEvent Value) { FOnSlashesComment = std::move(Value); }

    const TlxLexEvent& OnCompDirect() const { return FOnCompDirect; }
    const TlxLexStringEvent& OnDefineDirect() const { return FOnDefineDirect; }
    const TlxLexEvent& OnElseDirect() const { return FOnElseDirect; }
    const TlxLexEvent& OnEndIfDirect() const { return FOnEndIfDirect; }
    const TlxLexEvent& OnIfDefDirect() const { return FOnIfDefDirect; }
    const TlxLexEvent& OnIfNDefDirect() const { return FOnIfNDefDirect; }
    const TlxLexIfOptEvent& OnIfOptDirect() const { return FOnIfOptDirect; }
    const TlxLexOnIncludeEvent& OnIncludeDirect() const { return FOnIncludeDirect; }
    const TlxLexStringEvent& OnInvalidDirect() const { return FOnInvalidDirect; }
    const TlxLexStringEvent& OnResourceDirect() const { return FOnResourceDirect; }
    const TlxLexStringEvent& OnUnDefDirect() const { return FOnUnDefDirect; }
    const TlxLexEvent& OnLineEnd() const { return FOnLineEnd; }
    const TlxLexStringBooleanEvent& OnDeclared() const { return FOnDeclared; }
    const TlxLexStringEvent& OnDefined() const { return FOnDefined; }
    const TlxLexExpressionEvent& OnExpression() const { return FOnExpression; }
    const TlxLexEvent& OnIfDirect() const { return FOnIfDirect; }
    const TlxLexEvent& OnElseIfDirect() const { return FOnElseIfDirect; }
    const TlxLexEvent& OnIfEndDirect() const { return FOnIfEndDirect; }
    const TlxLexEvent& OnIncludeEnd() const { return FOnIncludeEnd; }
    const TlxLexEvent& OnMultiLineStart() const { return FOnMultiLineStart; }
    const TlxLexEvent& OnMultiLineEnd() const { return FOnMultiLineEnd; }
    const TlxLexEvent& OnSlashesComment() const { return FOnSlashesComment; }

    // For the include hook: what is known of the text it is about to return
    // (see TlxIncludeReplays). An inclusion in a state scanned before is then
    // replayed instead of scanned, and other inclusions are watched for what
    // they do. A text offered nothing is always scanned.
    void OfferIncludeReplays(std::shared_ptr<TlxIncludeReplays> Replays)
    {
        FOfferedReplays = std::move(Replays);
    }

    // --- directive events that are plain fields
    TDirectiveSetEvent OnSwitchDirect;
    TlxLexNumberEvent OnAlignDirect;
    TlxLexAppTypeEvent OnAppTypeDirect;
    TlxLexSODirectEvent OnSODirect;
    TlxLexStringEvent OnDescriptionDirect;
    TlxLexStringEvent OnExtensionDirect;
    TlxLexStringEvent OnExternalSymDirect;
    TlxLexStringEvent OnHPPEmitDirect;
    TlxLexStringEvent OnImageBaseDirect;
    TlxLexStringEvent OnLinkDirect;
    TlxLexStringEvent OnMinStackSizeDirect;
    TlxLexStringEvent OnMaxStackSizeDirect;
    TlxLexStringEvent OnMinEnumSizeDirect;
    TlxLexStringEvent OnNoDefineDirect;
    TlxLexStringEvent OnNoIncludeDirect;
    TlxLexStringEvent OnResourceReserveDirect;

protected:
    // A lexer that reads ahead for another one: it must not change the defined
    // symbols it shares, so its first define or undefine works on a copy.
    void SetDefinesCopyOnWrite(bool Value) { FDefinesCopyOnWrite = Value; }
    void Message(const std::string& Msg);

private:
    using TScanProc = void (TlxBasePasLex::*)();
    // The scanner routine for each first character, the same for every lexer;
    // the counting table's routines also count the significant tokens.
    static const TScanProc* MakeMethodTables(bool Counting);
    template <TScanProc Proc>
    void Counted();
    template <TScanProc Proc>
    static TScanProc Choose(bool Counting);
    unsigned char Ch(int Pos) const { return static_cast<unsigned char>(FOrigin[Pos]); }

    // Scanner routines, one per first character.
    void NullProc();
    void SpaceProc();
    void LFProc();
    void CRProc();
    void SymbolProc();
    void AsciiCharProc();
    void IntegerProc();
    void StringProc();
    void RoundOpenProc();
    void RoundCloseProc();
    void StarProc();
    void PlusProc();
    void CommaProc();
    void MinusProc();
    void PointProc();
    void SlashProc();
    void NumberProc();
    void ColonProc();
    void SemiColonProc();
    void LowerProc();
    void EqualProc();
    void GreaterProc();
    void AddressOpProc();
    void IdentProc();
    void SquareOpenProc();
    void SquareCloseProc();
    void PointerSymbolProc();
    void BraceOpenProc();
    void BraceCloseProc();
    void IntIdentProc();
    void ByteOrderMarkProc();
    void UnknownProc();
    void BorProc();
    void AnsiProc();
    void DirectiveToken(TptTokenKind Kind);

    // Directive machinery.
    void StartDirective();
    bool EndIncludeText();
    // A set of the lexer's own to change; it starts as a copy of the set in
    // use, or empty when Keep is false.
    TlxAssignAbleHash& WritableDefines(bool Keep = true);
    bool OnSharedDefines() const { return FSharedDefines && FDefinedList == FSharedDefines.get(); }
    void DirAdvance();
    void DirNextNonBlank();
    void DirSkipToEnd();
    void DirInvalid();
    bool DirEndOrNext();
    // The next token that is not blank, read as a symbol's name.
    void DirNextName();
    void DirEndOnly();
    bool DirExpect(TcdTokenKind Kind);
    bool DirIsWord() const;
    std::string DirStringValue() const;
    void DirSwitch(TbdBooleanDirectives S, bool On);
    void DirLongSwitch(TbdBooleanDirectives S);
    bool ProcessOne();
    void DirInclude();
    // DirInclude's refusals, with their messages.
    bool RefuseInclude(const std::string& Name);
    // The include hook's text for Name; Replays gets what the hook offered
    // with it.
    const char* AskInclude(const std::string& Name, std::shared_ptr<TlxIncludeReplays>& Replays);
    // Enters an include text the hook gave, watched when Replays (given only
    // where replays are allowed) still watches it.
    void EnterInclude(const std::string& Name, const char* Text,
                      const std::shared_ptr<TlxIncludeReplays>& Replays);

    // Include replays. Allowed when the lexer is set up so that an include
    // text's only effects are its defined symbols and the include hook's
    // calls.
    bool ReplayAllowed() const;
    // A text being replayed: what the hook gave for it, the name it was
    // asked by and the include directive in it reached so far.
    struct TReplayLevel {
        const char* Text;
        const std::string* Name;
        const TlxIncludeReplays::TNested* At;
    };
    // Where a replay stopped once the hook had been asked for a nested text
    // (or a directive was refused): the scan takes over from there.
    struct TReplayStop {
        TlxBooleanDirectives OuterSwitches;
        std::vector<TReplayLevel> Levels;
        bool Refused = false;
        std::string Name;
        const char* Entered = nullptr;
        std::shared_ptr<TlxIncludeReplays> EnteredReplays;
        // The stores Levels point into, kept until the scan has taken over.
        std::vector<std::shared_ptr<TlxIncludeReplays>> Held;
    };
    // Replays the text of Levels' last entry, whose hook has been called.
    // False when Replays holds nothing for this state (nothing done), or
    // when the replay stopped part way (Stop says where).
    bool Replay(const TlxIncludeReplays& Replays, std::vector<TReplayLevel>& Levels,
                TReplayStop& Stop);
    void ResumeScan(const TReplayStop& Stop);
    // Why an include directive naming Name is refused, with Levels (texts
    // being replayed) entered on top of the include stack.
    enum class TRefusal { None, NoName, TooDeep, Recursive };
    TRefusal IncludeRefusal(const std::string& Name, const std::vector<TReplayLevel>& Levels) const;
    void SetDefines(const std::vector<std::string>& Names);
    // The defined symbols become Set's, shared until they change.
    void TakeDefines(const std::shared_ptr<const TlxDefineSet>& Set);
    void NoteNestedInclude(const std::string& Name, const char* Text,
                           const std::shared_ptr<TlxIncludeReplays>& Replays);
    void EndWatch(const TlxPasLexStatus& Outer);
    void SpoilWatches();
    void DirIfDef(bool IfNDef);
    void DirIf();
    void DirIfOpt();
    void DirElse(bool IsElseIf);
    void DirEndIf(bool IsIfEnd);
    void OpenConditional(bool Compiled);
    bool EvalExpression(int Depth);
    bool EvalAndOrTail(bool Answer, bool ShortCircuit, int Depth);
    bool EvalTerm(bool Declared, bool Negate, int Depth);
    bool EvalComparison(bool Negate, int Depth);
    void CheckConditionalsAtEnd();

    const TScanProc* FProcTable;

    const char* FOrigin;
    int FTextLen = -1;
    int FRun = 0;
    int FTokenPos = 0;
    int FLineNumber = 0;
    int FLinePos = 0;
    TptTokenKind FTokenID = ptUnknown;
    TptTokenKind FExID = ptUnknown;
    TlxLexState FLexState = lsNormal;
    TlxBooleanDirectives FSwitches;
    int FSkipDepth = 0;
    std::string FCondStack;
    std::string FFileName;
    std::string FLineBuffer;
    // Counts scanned tokens, so that ScannDirectives knows whether acting on a
    // directive has already moved the lexer on.
    unsigned FTokenCount = 0;
    // The current directive token has been acted on (in skipped text).
    bool FDirectiveDone = false;
    bool FEndChecked = false;
    bool FDefinesCopyOnWrite = false;
    bool FExpressionOperandsOnly = false;

    // An include text being scanned under watch, to be replayed later if it
    // gives the parser nothing.
    struct TWatch {
        std::shared_ptr<TlxIncludeReplays> Replays;
        TlxIncludeReplays::TReplay Replay;
        // Significant tokens scanned when it was entered.
        unsigned Significant = 0;
        // The include stack's depth while its text is scanned.
        int Depth = 0;
        bool Pure = true;
    };
    std::vector<TWatch> FWatches;
    unsigned FSignificant = 0;
    std::shared_ptr<TlxIncludeReplays> FOfferedReplays;

    const TlxPasHash* FKeyTable;
    std::unique_ptr<TlxDirectiveLex> FDirectiveLex;
    TlxAssignAbleHash* FDefinedList;
    std::unique_ptr<TlxAssignAbleHash> FOwnedDefinedList;
    // The set of a replay that FDefinedList stands for while nothing changes
    // it; only ever read through FDefinedList.
    std::shared_ptr<const TlxDefineSet> FSharedDefines;
    TlxPasLexStatusStack FStatusStack;

    TMessageEvent FOnMessage;
    TlxLexEvent FOnCompDirect;
    TlxLexStringEvent FOnDefineDirect;
    TlxLexEvent FOnElseDirect;
    TlxLexEvent FOnEndIfDirect;
    TlxLexEvent FOnIfDefDirect;
    TlxLexEvent FOnIfNDefDirect;
    TlxLexIfOptEvent FOnIfOptDirect;
    TlxLexOnIncludeEvent FOnIncludeDirect;
    TlxLexStringEvent FOnInvalidDirect;
    TlxLexStringEvent FOnResourceDirect;
    TlxLexStringEvent FOnUnDefDirect;
    TlxLexEvent FOnLineEnd;
    TlxLexStringBooleanEvent FOnDeclared;
    TlxLexStringEvent FOnDefined;
    TlxLexExpressionEvent FOnExpression;
    TlxLexEvent FOnIfDirect;
    TlxLexEvent FOnElseIfDirect;
    TlxLexEvent FOnIfEndDirect;
    TlxLexEvent FOnIncludeEnd;
    TlxLexEvent FOnMultiLineStart;
    TlxLexEvent FOnMultiLineEnd;
    TlxLexEvent FOnSlashesComment;

    friend class TlxPasLex;
};

// The lexer of every parser: TlxBasePasLex with a second lexer that reads
// ahead from the current position without moving this one.
class TlxPasLex : public TlxBasePasLex {
public:
    explicit TlxPasLex(const TlxPasHash* KeyTable = nullptr,
                       const TlxDirectiveHash* DirectiveTable = nullptr);
    ~TlxPasLex() override;

    void SetOrigin(const char* Text, int TextLen = -1) override;
    void RelocateOrigin(const char* Text) override;
    void SetLine(const std::string& Line) override;

    // Starts the look-ahead at the current position: it copies this lexer's
    // status (with an empty include stack), reads the defined symbols without
    // changing them, and stops on the first significant token after this one.
    void InitAhead();
    // The kind of the first significant token after this one when blanks
    // and one plain punctuation mark tell it (; , ) = ] : := .); else
    // ptUnknown, and only the look-ahead can tell. The look-ahead is left
    // as it was.
    TptTokenKind PeekPunctuation() const;
    void AheadNext();
    std::string GetAheadToken() const { return FAheadLex->GetToken(); }
    TptTokenKind GetAheadTokenID() const { return FAheadLex->TokenID(); }
    TptTokenKind GetAheadExID() const { return FAheadLex->ExID(); }
    TptTokenKind GetAheadGenID() const { return FAheadLex->GetGenID(); }
    TlxBasePasLex& AheadLex() { return *FAheadLex; }

private:
    std::unique_ptr<TlxBasePasLex> FAheadLex;
};
