#include "model/uqlModelShared.h"

#include "base/qlFileLimits.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

// ---------------------------------------------------------------------------
// Form model
// ---------------------------------------------------------------------------

TqlComponentProperty* TqlComponentPropertiesList::AddProperty(const std::string& Name)
{
    auto Property = std::make_unique<TqlComponentProperty>(Name);
    FProperties.Add(Property.get());
    TqlComponentProperty* Result = Property.release();
    FNames.Add(Name, Result);
    return Result;
}

void TqlComponentPropertiesList::AddIdentifierName(const std::string& Identifier,
                                                   TqlComponentProperty* Property)
{
    FIdentifiers.Add(Identifier, Property);
}

bool TqlComponentPropertiesList::HasProperty(const std::string& Name)
{
    int Index;
    return FNames.Find(Name, Index);
}

bool TqlComponentPropertiesList::HasWithIdentifier(const std::string& Identifier)
{
    int Index;
    return FIdentifiers.Find(Identifier, Index);
}

TqlCollectionItem* TqlComponentProperty::GetItems(int Index) const
{
    if (!FItems)
        throw EListError(Index);
    return static_cast<TqlCollectionItem*>(FItems->GetItem(Index));
}

TqlCollectionItem* TqlComponentProperty::AddItem(int Line)
{
    if (!FItems)
        FItems = std::make_unique<TqlList>(true);
    auto Item = std::make_unique<TqlCollectionItem>(this, Line);
    FItems->Add(Item.get());
    return Item.release();
}

TqlComponent* TqlComponentList::AddComponent(const std::string& Name, const std::string& ClassName)
{
    auto Component = std::make_unique<TqlComponent>(Name, ClassName);
    Add(Component.get());
    return Component.release();
}

TqlComponent* TqlComponentList::GetComponents(int Index) const { return ItemAs<TqlComponent>(Index); }

TqlComponent::TqlComponent(const std::string& Name, const std::string& ClassName)
    : FClassName(ClassName), FName(Name)
{
}

bool TqlComponent::HasProperty(const std::string& Name)
{
    if (FProperties.HasProperty(Name))
        return true;
    for (int i = 0; i < FChildComponents.GetCount(); ++i)
        if (FChildComponents.GetComponents(i)->GetProperties()->HasProperty(Name))
            return true;
    return false;
}

bool TqlComponent::HasPropertyWithIdentifier(const std::string& Identifier)
{
    // Iterative, depth first, own properties before the children's.
    std::vector<TqlComponent*> Stack{this};
    while (!Stack.empty()) {
        TqlComponent* C = Stack.back();
        Stack.pop_back();
        if (C->FProperties.HasWithIdentifier(Identifier))
            return true;
        for (int i = C->FChildComponents.GetCount() - 1; i >= 0; --i)
            Stack.push_back(C->FChildComponents.GetComponents(i));
    }
    return false;
}

bool TqlDFMResource::HasProperty(const std::string& Name)
{
    for (int i = 0; i < FComponents.GetCount(); ++i)
        if (FComponents.GetComponents(i)->HasProperty(Name))
            return true;
    return false;
}

bool TqlDFMResource::HasPropertyWithIdentifier(const std::string& Identifier)
{
    for (int i = 0; i < FComponents.GetCount(); ++i)
        if (FComponents.GetComponents(i)->HasPropertyWithIdentifier(Identifier))
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Form text reader
// ---------------------------------------------------------------------------

namespace {
enum TFormToken : int { toEOF = 0, toSymbol = 1, toString = 2, toInteger = 3, toFloat = 4 };

[[noreturn]] void FormError(const std::string& Msg, int Line)
{
    throw EParserError(Msg + " on line " + std::to_string(Line));
}

// Tokens of the form text: identifiers, strings ('...' and #n runs), integers
// (decimal, $hex), floats, and single characters.
class TqlFormParser {
public:
    explicit TqlFormParser(std::string Text) : FText(std::move(Text)) { NextToken(); }

    int Token() const { return FToken; }
    const std::string& TokenString() const { return FTokenString; }
    int64_t TokenInt() const { return FTokenInt; }
    double TokenFloat() const { return FTokenFloat; }
    int SourceLine() const { return FLine; }
    bool IsChar(char C) const { return FToken == static_cast<unsigned char>(C) + 256; }
    bool IsSymbol(const char* Word) const { return FToken == toSymbol && lxSameText(FTokenString, Word); }
    [[noreturn]] void Error(const std::string& Msg) const { FormError(Msg, FLine); }

    void CheckSymbol()
    {
        if (FToken != toSymbol)
            Error("Identifier expected");
    }
    void CheckChar(char C)
    {
        if (!IsChar(C))
            Error(std::string("'") + C + "' expected");
    }

    // Extends the current identifier by ".Name" parts that follow at once.
    void TokenComponentIdent()
    {
        CheckSymbol();
        while (FPos < FText.size() && FText[FPos] == '.') {
            ++FPos;
            if (FPos >= FText.size() || !IsIdentStart(FText[FPos]))
                Error("Identifier expected");
            const size_t Start = FPos;
            while (FPos < FText.size() && IsIdentChar(FText[FPos]))
                ++FPos;
            FTokenString += '.';
            FTokenString.append(FText, Start, FPos - Start);
        }
    }

    // Skips binary data up to and including '}' and reads the next token.
    void SkipBinary()
    {
        while (FPos < FText.size() && FText[FPos] != '}') {
            if (FText[FPos] == '\n')
                ++FLine;
            ++FPos;
        }
        if (FPos < FText.size())
            ++FPos;
        NextToken();
    }

    void NextToken()
    {
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
            if (FText[FPos] == '\n')
                ++FLine;
            ++FPos;
        }
        FTokenString.clear();
        if (FPos >= FText.size()) {
            FToken = toEOF;
            return;
        }
        const char C = FText[FPos];
        if (IsIdentStart(C)) {
            const size_t Start = FPos;
            while (FPos < FText.size() && IsIdentChar(FText[FPos]))
                ++FPos;
            FTokenString.assign(FText, Start, FPos - Start);
            FToken = toSymbol;
        } else if (C == '\'' || C == '#') {
            ReadString();
        } else if (C == '$') {
            ++FPos;
            const size_t Start = FPos;
            while (FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
            if (FPos == Start)
                Error("Invalid number");
            FTokenString.assign(FText, Start, FPos - Start);
            uint64_t V = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), V, 16);
            if (Ec != std::errc())
                Error("Invalid number");
            FTokenInt = static_cast<int64_t>(V);
            FToken = toInteger;
        } else if (std::isdigit(static_cast<unsigned char>(C)) ||
                   (C == '-' && FPos + 1 < FText.size() &&
                    std::isdigit(static_cast<unsigned char>(FText[FPos + 1])))) {
            ReadNumber();
        } else {
            ++FPos;
            FTokenString.assign(1, C);
            FToken = static_cast<unsigned char>(C) + 256;
        }
    }

private:
    static bool IsIdentStart(char C)
    {
        return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    }
    static bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }
    static int HexValue(char C)
    {
        if (C >= '0' && C <= '9')
            return C - '0';
        if (C >= 'a' && C <= 'f')
            return C - 'a' + 10;
        return C - 'A' + 10;
    }

    void ReadString()
    {
        std::string S;
        for (;;) {
            if (FPos < FText.size() && FText[FPos] == '#') {
                ++FPos;
                int64_t Code = 0;
                const size_t Start = FPos;
                if (FPos < FText.size() && FText[FPos] == '$') {
                    ++FPos;
                    while (FPos < FText.size() &&
                           std::isxdigit(static_cast<unsigned char>(FText[FPos])) && Code <= 0xFFFF)
                        Code = Code * 16 + HexValue(FText[FPos++]);
                } else {
                    while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])) &&
                           Code <= 0xFFFF)
                        Code = Code * 10 + (FText[FPos++] - '0');
                }
                if (FPos == Start || Code > 0xFFFF)
                    Error("Invalid string constant");
                // Characters beyond the 8-bit range have no place in the
                // model's strings.
                S += Code <= 0xFF ? static_cast<char>(Code) : '?';
            } else if (FPos < FText.size() && FText[FPos] == '\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == '\r' || FText[FPos] == '\n')
                        Error("Unterminated string");
                    if (FText[FPos] == '\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
                            S += '\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    S += FText[FPos++];
                }
            } else
                break;
        }
        FTokenString = std::move(S);
        FToken = toString;
    }

    void ReadNumber()
    {
        const size_t Start = FPos;
        if (FText[FPos] == '-')
            ++FPos;
        auto Digits = [this] {
            while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
        };
        Digits();
        bool IsFloat = false;
        if (FPos < FText.size() && FText[FPos] == '.') {
            IsFloat = true;
            ++FPos;
            Digits();
        }
        if (FPos < FText.size() && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
            IsFloat = true;
            ++FPos;
            if (FPos < FText.size() && (FText[FPos] == '+' || FText[FPos] == '-'))
                ++FPos;
            Digits();
        }
        FTokenString.assign(FText, Start, FPos - Start);
        if (IsFloat) {
            // A type suffix (single, currency, date) may follow a float.
            if (FPos < FText.size() && std::strchr("cCdDsS", FText[FPos]) && FText[FPos] != '\0')
                ++FPos;
            double D = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), D);
            if (Ec != std::errc() || P != FTokenString.data() + FTokenString.size())
                Error("Invalid number");
            FTokenFloat = D;
            FToken = toFloat;
        } else {
            int64_t V = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), V);
            if (Ec != std::errc() || P != FTokenString.data() + FTokenString.size())
                Error("Invalid number");
            FTokenInt = V;
            FToken = toInteger;
        }
    }

    std::string FText;
    size_t FPos = 0;
    int FLine = 1;
    int FToken = toEOF;
    std::string FTokenString;
    int64_t FTokenInt = 0;
    double FTokenFloat = 0;
};

// Reads one form text into a form model, recording the uses it names.
class TqlFormReader {
public:
    TqlFormReader(TqlDFMResource* Resource, TqlUnit* Unit, int FileIndex, std::string Text)
        : FResource(Resource), FUnit(Unit), FFileIndex(FileIndex), FParser(std::move(Text))
    {
    }

    // Whether the form was read whole (see TqlDFMResource::GetReadWhole).
    bool Read()
    {
        if (FParser.Token() != toEOF)
            ReadObject(nullptr);
        if (FParser.Token() != toEOF)
            FSkipped = true;
        return !FSkipped;
    }

private:
    class TDepth {
    public:
        explicit TDepth(TqlFormReader& R) : FR(R)
        {
            if (++FR.FDepth > TqlDFMResource::MaxNesting)
                FR.FParser.Error("Form nesting too deep");
        }
        ~TDepth() { --FR.FDepth; }
        TDepth(const TDepth&) = delete;
        TDepth& operator=(const TDepth&) = delete;

    private:
        TqlFormReader& FR;
    };

    TqlUsedByInfo Place() const { return UsedByInfo(FFileIndex, false, 1, FParser.SourceLine()); }

    void ReadObject(TqlComponent* Parent)
    {
        TDepth Depth(*this);
        bool Inherited = false, Inline = false;
        if (FParser.IsSymbol("INHERITED"))
            Inherited = true;
        else if (FParser.IsSymbol("INLINE"))
            Inline = true;
        else if (!FParser.IsSymbol("OBJECT")) {
            FSkipped = true;
            FParser.NextToken();
            return;
        }
        FParser.NextToken();
        FParser.CheckSymbol();
        std::string Name;
        std::string ClassName = FParser.TokenString();
        FParser.NextToken();
        if (FParser.IsChar(':')) {
            FParser.NextToken();
            FParser.CheckSymbol();
            Name = ClassName;
            ClassName = FParser.TokenString();
            FParser.NextToken();
        }
        TqlComponent* Component;
        if (Parent)
            Component = Parent->GetChildComponents()->AddComponent(Name, ClassName);
        else {
            Component = FResource->GetComponents()->AddComponent(Name, ClassName);
            FFormClass = FUnit ? FUnit->GetClasses()->Find(ClassName) : nullptr;
        }
        Component->SetIsInherited(Inherited);
        Component->SetIsInline(Inline);
        if (FParser.IsChar('[')) {
            FParser.NextToken();
            if (FParser.Token() != toInteger)
                FParser.Error("Number expected");
            const int64_t Pos = FParser.TokenInt();
            if (Pos < INT32_MIN || Pos > INT32_MAX)
                FParser.Error("Number out of range");
            Component->SetPosition(static_cast<int>(Pos));
            FParser.NextToken();
            FParser.CheckChar(']');
            FParser.NextToken();
        } else
            Component->SetPosition(-1);

        if (!Name.empty() && FFormClass)
            FFormClass->FindSymbol(FUnit, FFormClass, Name, true, Place());

        while (FParser.Token() != toEOF && !FParser.IsSymbol("END") && !FParser.IsSymbol("OBJECT") &&
               !FParser.IsSymbol("INHERITED") && !FParser.IsSymbol("INLINE"))
            ReadProperty(Component);
        while (FParser.Token() != toEOF && !FParser.IsSymbol("END"))
            ReadObject(Component);
        if (FParser.Token() == toEOF)
            FSkipped = true;
        FParser.NextToken();
    }

    // A property of Component, or of an item of one of its collections.
    void ReadProperty(TqlComponent* Component, TqlCollectionItem* Item = nullptr)
    {
        if (FParser.Token() != toSymbol) {
            FSkipped = true;
            FParser.NextToken();
            return;
        }
        TqlComponentProperty* Property = Component->GetProperties()->AddProperty(FParser.TokenString());
        Property->SetLine(FParser.SourceLine());
        if (Item)
            Item->AddProperty(Property);
        std::string FullName = FParser.TokenString();
        FParser.NextToken();
        while (FParser.IsChar('.')) {
            FParser.NextToken();
            FParser.CheckSymbol();
            FullName += '.';
            FullName += FParser.TokenString();
            FParser.NextToken();
        }
        Property->SetFullName(FullName);
        if (FParser.IsChar('=')) {
            FParser.NextToken();
            ReadValue(Component, Property);
        } else
            FSkipped = true;
    }

    // A name the form gives that resolves to nothing is noted on the unit:
    // a declaration of that name may be what the form means.
    void Resolve(const std::string& Ident)
    {
        const size_t Dot = Ident.find('.');
        if (Dot == std::string::npos) {
            if (!(FFormClass && FFormClass->FindSymbol(FUnit, FFormClass, Ident, true, Place())) && FUnit)
                FUnit->AddUnresolvedName(Ident);
            return;
        }
        if (!FUnit)
            return;
        const std::string Head = Ident.substr(0, Dot), Rest = Ident.substr(Dot + 1);
        TqlSymbol* Found = FUnit->FindReferencedSymbol(FFormClass, Head, true, Place());
        if (!Found)
            FUnit->AddUnresolvedName(Head);
        if (!(Found && Found->GetTypeIntf() &&
              Found->GetTypeIntf()->FindSymbol(FUnit, FFormClass, Rest, true, Place())))
            FUnit->AddUnresolvedName(Rest);
    }

    void ReadValue(TqlComponent* Component, TqlComponentProperty* Property)
    {
        TDepth Depth(*this);
        switch (FParser.Token()) {
        case toString: {
            std::string S = FParser.TokenString();
            FParser.NextToken();
            while (FParser.IsChar('+')) {
                FParser.NextToken();
                if (FParser.Token() != toString)
                    FParser.Error("String expected");
                S += FParser.TokenString();
                FParser.NextToken();
            }
            if (Property) {
                Property->SetValueType(dptString);
                Property->SetValue(S);
            }
            return;
        }
        case toSymbol: {
            FParser.TokenComponentIdent();
            const std::string Ident = FParser.TokenString();
            Resolve(Ident);
            if (Property) {
                Property->SetValueType(dptIdentifier);
                Property->SetValue(Ident);
                Component->GetProperties()->AddIdentifierName(Ident, Property);
            }
            FParser.NextToken();
            return;
        }
        case toInteger:
            if (Property) {
                Property->SetValueType(dptInteger);
                Property->SetValue(FParser.TokenInt());
            }
            FParser.NextToken();
            return;
        case toFloat:
            if (Property) {
                Property->SetValueType(dptFloat);
                Property->SetValue(FParser.TokenFloat());
            }
            FParser.NextToken();
            return;
        default:
            break;
        }
        if (FParser.IsChar('(')) {
            FParser.NextToken();
            while (!FParser.IsChar(')'))
                ReadValue(Component, nullptr);
            FParser.NextToken();
        } else if (FParser.IsChar('<')) {
            FParser.NextToken();
            while (!FParser.IsChar('>')) {
                if (!FParser.IsSymbol("item"))
                    FParser.Error("item expected");
                TqlCollectionItem* Item = Property ? Property->AddItem(FParser.SourceLine()) : nullptr;
                FParser.NextToken();
                while (FParser.Token() != toEOF && !FParser.IsSymbol("end"))
                    ReadProperty(Component, Item);
                if (FParser.Token() == toEOF)
                    FSkipped = true;
                FParser.NextToken();
            }
            FParser.NextToken();
        } else if (FParser.IsChar('[')) {
            FParser.NextToken();
            if (!FParser.IsChar(']')) {
                for (;;) {
                    if (FParser.Token() != toInteger && FParser.Token() != toSymbol)
                        FParser.Error("Invalid property");
                    FParser.NextToken();
                    if (FParser.IsChar(']'))
                        break;
                    FParser.CheckChar(',');
                    FParser.NextToken();
                }
            }
            FParser.NextToken();
        } else if (FParser.IsChar('{')) {
            FParser.SkipBinary();
        } else
            FParser.Error("Invalid property");
    }

    TqlDFMResource* FResource;
    TqlUnit* FUnit;
    int FFileIndex;
    TqlFormParser FParser;
    TqlClass* FFormClass = nullptr;
    int FDepth = 0;
    bool FSkipped = false;
};
} // namespace

void TqlDFMResource::ReadDFM(TqlUnit* Unit, std::istream& Stream)
{
    std::string Text((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
    // A text form saved as UTF-8 may start with a byte-order mark.
    if (Text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        Text.erase(0, 3);
    FReadWhole = false;
    TqlFormReader Reader(this, Unit, FFileIndex, std::move(Text));
    FReadWhole = Reader.Read();
}

bool TqlDFMResource::IsBinary(std::istream& Stream)
{
    Stream.clear();
    const std::streampos Saved = Stream.tellg();
    Stream.seekg(0);
    char Head[3] = {0, 0, 0};
    Stream.read(Head, 3);
    const std::streamsize Got = Stream.gcount();
    Stream.clear();
    Stream.seekg(Saved);
    if (Got < 3)
        throw EParserError("Unable to read from stream.");
    return static_cast<unsigned char>(Head[0]) == 0xFF && Head[1] == 0x0A && Head[2] == 0x00;
}

void TqlDFMResource::ReadStream(TqlUnit* Unit, std::istream& Stream)
{
    if (IsBinary(Stream)) {
        std::string Binary((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
        std::istringstream Text(qlObjectBinaryToText(Binary));
        ReadDFM(Unit, Text);
    } else
        ReadDFM(Unit, Stream);
}

void TqlDFMResource::ReadResource(TqlUnit* Unit, const std::string& FileName)
{
    FUnitIndex = Unit ? Unit->GetUnitIndex() : -1;
    FFileName = FileName;
    std::error_code Ec;
    const bool Exists = std::filesystem::is_regular_file(FileName, Ec);
    if (TqlFileNameList* Files = ProjectFiles())
        FFileIndex = Files->Add(FileName, Exists, FUnitIndex);
    // A form that cannot be read is a finding on its unit; the analysis goes on.
    std::string Text, Why;
    std::string Problem;
    switch (qlReadLimitedFile(FileName, qlMaxSourceFileSize, Text, Why)) {
    case TqlFileProblem::None: break;
    case TqlFileProblem::Missing: return; // no form, no finding
    case TqlFileProblem::NotRegular: Problem = "Form file, " + FileName + ", does not exist: " + Why + "."; break;
    case TqlFileProblem::TooLarge: Problem = "Form file, " + FileName + ", is skipped: " + Why + "."; break;
    case TqlFileProblem::Unreadable: Problem = "Cannot open form file, " + FileName + ": " + Why; break;
    }
    if (!Problem.empty()) {
        if (gqlProject && Unit)
            if (Ref<IqlMessageList> Messages = gqlProject->GetMessages())
                Messages->Add(Problem, Unit->GetFileIndex(), 1, 1, false);
        return;
    }
    std::istringstream File(std::move(Text));
    ReadStream(Unit, File);
}

// ---------------------------------------------------------------------------
// Binary form to text
// ---------------------------------------------------------------------------

namespace {
enum TValueType : uint8_t {
    vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
    vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
    vaInt64, vaUTF8String, vaDouble
};

// Writes the text form of a binary form. Every read is checked against the
// bytes that remain; nesting is capped.
class TqlBinaryFormConverter {
public:
    explicit TqlBinaryFormConverter(const std::string& Data) : FData(Data) {}

    std::string Convert()
    {
        if (FData.size() >= 3 && static_cast<unsigned char>(FData[0]) == 0xFF && FData[1] == 0x0A &&
            FData[2] == 0x00) {
            // Resource header: type, name (zero-terminated), flags, size.
            FPos = 3;
            while (ReadByte() != 0) {
            }
            Need(6);
            FPos += 6;
        }
        Need(4);
        if (FData.compare(FPos, 4, "TPF0") != 0)
            Error("Invalid stream format");
        FPos += 4;
        ConvertObject(0);
        return std::move(FOut);
    }

private:
    [[noreturn]] void Error(const std::string& Msg) const
    {
        throw EParserError(Msg + " (binary form, offset " + std::to_string(FPos) + ")");
    }

    void Need(uint64_t Count) const
    {
        if (Count > FData.size() - FPos)
            Error("Form file is truncated");
    }

    uint8_t ReadByte()
    {
        Need(1);
        return static_cast<uint8_t>(FData[FPos++]);
    }

    uint8_t PeekByte() const
    {
        Need(1);
        return static_cast<uint8_t>(FData[FPos]);
    }

    uint64_t ReadLE(int Bytes)
    {
        Need(uint64_t(Bytes));
        uint64_t V = 0;
        for (int i = 0; i < Bytes; ++i)
            V |= uint64_t(static_cast<uint8_t>(FData[FPos + size_t(i)])) << (8 * i);
        FPos += size_t(Bytes);
        return V;
    }

    std::string ReadBytes(uint64_t Count)
    {
        Need(Count);
        std::string S = FData.substr(FPos, size_t(Count));
        FPos += size_t(Count);
        return S;
    }

    std::string ReadShortString() { return ReadBytes(ReadByte()); }

    int64_t ReadInteger()
    {
        switch (ReadByte()) {
        case vaInt8: return static_cast<int8_t>(ReadLE(1));
        case vaInt16: return static_cast<int16_t>(ReadLE(2));
        case vaInt32: return static_cast<int32_t>(ReadLE(4));
        case vaInt64: return static_cast<int64_t>(ReadLE(8));
        default: Error("Integer value expected");
        }
    }

    void Enter()
    {
        if (++FDepth > TqlDFMResource::MaxNesting)
            Error("Form nesting too deep");
    }

    void Indent(int Level) { FOut.append(size_t(Level) * 2, ' '); }

    void ConvertObject(int Level)
    {
        Enter();
        uint8_t Flags = 0;
        int64_t Position = 0;
        if ((PeekByte() & 0xF0) == 0xF0) {
            Flags = ReadByte() & 0x0F;
            if (Flags & 2)
                Position = ReadInteger();
        }
        const std::string ClassName = ReadShortString();
        const std::string ObjectName = ReadShortString();
        Indent(Level);
        FOut += (Flags & 1) ? "inherited " : (Flags & 4) ? "inline " : "object ";
        if (!ObjectName.empty())
            FOut += ObjectName + ": ";
        FOut += ClassName;
        if (Flags & 2)
            FOut += " [" + std::to_string(Position) + "]";
        FOut += "\r\n";
        while (PeekByte() != vaNull)
            ConvertProperty(Level + 1);
        ReadByte();
        while (PeekByte() != vaNull)
            ConvertObject(Level + 1);
        ReadByte();
        Indent(Level);
        FOut += "end\r\n";
        --FDepth;
    }

    void ConvertProperty(int Level)
    {
        Indent(Level);
        FOut += ReadShortString();
        FOut += " = ";
        ConvertValue(Level);
        FOut += "\r\n";
    }

    void WriteFloat(double D)
    {
        if (!std::isfinite(D))
            D = 0;
        char Buf[64];
        auto [P, Ec] = std::to_chars(Buf, Buf + sizeof Buf, D);
        std::string S = Ec == std::errc() ? std::string(Buf, P) : std::string("0");
        if (S.find_first_of(".e") == std::string::npos)
            S += ".0";
        FOut += S;
    }

    void WriteString(const std::string& S)
    {
        // Printable runs in quotes, everything else as #n.
        bool InQuote = false;
        if (S.empty())
            FOut += "''";
        for (unsigned char C : S) {
            if (C >= ' ' && C < 127) {
                if (!InQuote) {
                    FOut += '\'';
                    InQuote = true;
                }
                if (C == '\'')
                    FOut += '\'';
                FOut += static_cast<char>(C);
            } else {
                if (InQuote) {
                    FOut += '\'';
                    InQuote = false;
                }
                FOut += '#';
                FOut += std::to_string(C);
            }
        }
        if (InQuote)
            FOut += '\'';
    }

    void WriteWideString(uint64_t Length)
    {
        Need(Length * 2);
        std::string S;
        for (uint64_t i = 0; i < Length; ++i) {
            const auto W = static_cast<uint16_t>(ReadLE(2));
            if (W < 256)
                S += static_cast<char>(W);
            else {
                WriteString(S);
                S.clear();
                FOut += '#';
                FOut += std::to_string(W);
            }
        }
        if (!S.empty() || Length == 0)
            WriteString(S);
    }

    static double ExtendedToDouble(const std::string& B)
    {
        uint64_t Mantissa = 0;
        for (int i = 0; i < 8; ++i)
            Mantissa |= uint64_t(static_cast<uint8_t>(B[size_t(i)])) << (8 * i);
        const unsigned SignExp = static_cast<uint8_t>(B[8]) | (unsigned(static_cast<uint8_t>(B[9])) << 8);
        const int Exponent = int(SignExp & 0x7FFF);
        if (Exponent == 0x7FFF)
            return 0; // infinities and NaNs have no text form
        double D = std::ldexp(static_cast<double>(Mantissa), Exponent - 16383 - 63);
        return (SignExp & 0x8000) ? -D : D;
    }

    void ConvertValue(int Level)
    {
        Enter();
        const uint8_t Type = ReadByte();
        switch (Type) {
        case vaList:
            FOut += "(\r\n";
            while (PeekByte() != vaNull) {
                Indent(Level + 1);
                ConvertValue(Level + 1);
                FOut += "\r\n";
            }
            ReadByte();
            Indent(Level);
            FOut += ")";
            break;
        case vaInt8: FOut += std::to_string(static_cast<int8_t>(ReadLE(1))); break;
        case vaInt16: FOut += std::to_string(static_cast<int16_t>(ReadLE(2))); break;
        case vaInt32: FOut += std::to_string(static_cast<int32_t>(ReadLE(4))); break;
        case vaInt64: FOut += std::to_string(static_cast<int64_t>(ReadLE(8))); break;
        case vaExtended: WriteFloat(ExtendedToDouble(ReadBytes(10))); break;
        case vaSingle: {
            const auto Bits = static_cast<uint32_t>(ReadLE(4));
            float F;
            std::memcpy(&F, &Bits, sizeof F);
            WriteFloat(F);
            break;
        }
        case vaDouble:
        case vaDate: {
            const uint64_t Bits = ReadLE(8);
            double D;
            std::memcpy(&D, &Bits, sizeof D);
            WriteFloat(D);
            break;
        }
        case vaCurrency: WriteFloat(static_cast<double>(static_cast<int64_t>(ReadLE(8))) / 10000.0); break;
        case vaString: WriteString(ReadShortString()); break;
        case vaLString:
        case vaUTF8String: WriteString(ReadBytes(ReadLE(4))); break;
        case vaWString: WriteWideString(ReadLE(4)); break;
        case vaIdent: {
            const std::string Ident = ReadShortString();
            if (Ident.empty())
                Error("Invalid identifier");
            FOut += Ident;
            break;
        }
        case vaFalse: FOut += "False"; break;
        case vaTrue: FOut += "True"; break;
        case vaNil: FOut += "nil"; break;
        case vaBinary: {
            const std::string Data = ReadBytes(ReadLE(4));
            static const char Hex[] = "0123456789ABCDEF";
            FOut += "{";
            for (size_t i = 0; i < Data.size(); ++i) {
                if (i % 32 == 0) {
                    FOut += "\r\n";
                    Indent(Level + 1);
                }
                FOut += Hex[static_cast<uint8_t>(Data[i]) >> 4];
                FOut += Hex[static_cast<uint8_t>(Data[i]) & 15];
            }
            FOut += "}";
            break;
        }
        case vaSet: {
            FOut += "[";
            bool First = true;
            for (;;) {
                const std::string Element = ReadShortString();
                if (Element.empty())
                    break;
                if (!First)
                    FOut += ", ";
                FOut += Element;
                First = false;
            }
            FOut += "]";
            break;
        }
        case vaCollection:
            FOut += "<";
            while (PeekByte() != vaNull) {
                FOut += "\r\n";
                const uint8_t Next = PeekByte();
                if (Next == vaInt8 || Next == vaInt16 || Next == vaInt32)
                    ReadInteger(); // the item's order index carries nothing for the model
                if (ReadByte() != vaList)
                    Error("Collection item expected");
                Indent(Level + 1);
                FOut += "item\r\n";
                while (PeekByte() != vaNull)
                    ConvertProperty(Level + 2);
                ReadByte();
                Indent(Level + 1);
                FOut += "end";
            }
            ReadByte();
            FOut += ">";
            break;
        default: Error("Invalid value type " + std::to_string(Type));
        }
        --FDepth;
    }

    const std::string& FData;
    size_t FPos = 0;
    int FDepth = 0;
    std::string FOut;
};
} // namespace

std::string qlObjectBinaryToText(const std::string& Binary)
{
    return TqlBinaryFormConverter(Binary).Convert();
}
