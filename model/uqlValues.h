// Values and the enumerations that several subsystems share: Variant (the
// value type of settings and report cells), the small enumeration set and
// the enumerations of the code model, the reports and the form files.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <variant>

// ---------------------------------------------------------------------------
// Variant: an empty value, a Boolean, a 64-bit integer, a double or a string.
// ---------------------------------------------------------------------------

class Variant {
public:
    enum class Kind : uint8_t { Empty, Boolean, Integer, Double, String };

    Variant() = default;
    Variant(bool Value) : FValue(Value) {}
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
    Variant(T Value) : FValue(static_cast<int64_t>(Value))
    {
    }
    Variant(double Value) : FValue(Value) {}
    Variant(const char* Value) : FValue(std::string(Value ? Value : "")) {}
    Variant(std::string Value) : FValue(std::move(Value)) {}

    Kind GetKind() const { return static_cast<Kind>(FValue.index()); }
    bool IsEmpty() const { return GetKind() == Kind::Empty; }

    // Conversions. Strings convert to numbers and Booleans when their text is
    // one ("True"/"False" without regard to case, or a number); otherwise an
    // Exception names both types. Empty converts to 0, false and "".
    bool AsBoolean() const;
    int64_t AsInteger() const;
    double AsDouble() const;
    std::string AsString() const;

    // Equal kinds and values (an integer never equals a string).
    friend bool operator==(const Variant& A, const Variant& B) { return A.FValue == B.FValue; }

private:
    std::variant<std::monostate, bool, int64_t, double, std::string> FValue;
};

// A small set of an enumeration with at most 64 members.
template <class E>
class TqlEnumSet {
public:
    constexpr TqlEnumSet() = default;
    constexpr TqlEnumSet(std::initializer_list<E> Items)
    {
        for (E Item : Items)
            Include(Item);
    }
    constexpr void Include(E Item) { FBits |= Bit(Item); }
    constexpr void Exclude(E Item) { FBits &= ~Bit(Item); }
    constexpr bool Contains(E Item) const { return (FBits & Bit(Item)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr void Clear() { FBits = 0; }
    constexpr uint64_t Bits() const { return FBits; }
    friend constexpr bool operator==(TqlEnumSet A, TqlEnumSet B) { return A.FBits == B.FBits; }

private:
    static constexpr uint64_t Bit(E Item) { return uint64_t(1) << static_cast<unsigned>(Item); }
    uint64_t FBits = 0;
};

// ---------------------------------------------------------------------------
// Shared enumerations
// ---------------------------------------------------------------------------

// Where a unit's file was found.
enum TDirectoryType : uint8_t { dtProject, dtLibrary };

// The sections of a unit in which messages arose.
enum TqlUnitWarning : uint8_t { uwInterface, uwImplementation };
using TqlUnitWarningSet = TqlEnumSet<TqlUnitWarning>;

// Sort keys of the message list.
enum TMessageListSortBy : uint8_t { mlsbMessage, mlsbUnit, mlsbInterface };

// The kind of a report column.
enum TqlDataType : uint8_t { dtString, dtInteger, dtDouble, dtBoolean };

enum TqlDelphiVersion : uint8_t {
    dvDelphi4, dvDelphi5, dvDelphi6, dvDelphi7, dvDelphi8, dvDelphi2005, dvDelphi2006
};

// The kind of a form-file property value.
enum TDFMPropType : uint8_t { dptString, dptIdentifier, dptInteger, dptFloat, dptSet, dptList };

enum TParseState : uint8_t { psNone, psClassheritage, psInterfaceHeritage };

// How far a unit is parsed.
enum TParserState : uint8_t { psrNone, psrInterfaceParsing, psrInterfaceParsed, psrFull };

// Where a declaration stands: unit sections, then class-member visibilities.
enum TVisibilityKind : uint8_t {
    vkNone, vkInterface, vkImplementation, vkPublic, vkAutomated, vkPublished,
    vkProtected, vkStrictProtected, vkPrivate, vkStrictPrivate
};
using TVisibilityKindSet = TqlEnumSet<TVisibilityKind>;

// The built-in types of the language.
enum TqlTypeKind : uint8_t {
    tkNone, tkAnsiString, tkArray, tkArrayOfConst, tkBoolean, tkByte, tkBytebool,
    tkCardinal, tkChar, tkClass, tkComp, tkCurrency, tkDouble, tkDWord, tkExtended,
    tkFile, tkFunction, tkInt64, tkInteger, tkInterface, tkLongBool, tkLongInt,
    tkLongWord, tkOleVariant, tkPacked, tkPChar, tkPointer, tkProcedure, tkReal,
    tkReal48, tkRecord, tkRoutine, tkSet, tkShortInt, tkShortString, tkSingle,
    tkSmallInt, tkString, tkText, tkVariant, tkWideChar, tkWideString, tkWord,
    tkWordbool, tkObject, tkEnum, tkTextFile
};

enum TRoutineKind : uint8_t { rkProcedure, rkFunction, rkConstructor, rkDestructor };

enum TParamKind : uint8_t { pkNone, pkConst, pkVar, pkIn, pkOut };

enum TRoutineDirective : uint8_t {
    rdNone, rdAbstract, rdCdecl, rdPascal, rdAssembler, rdRegister, rdSafeCall,
    rdStdCall, rdExport, rdFar, rdNear, rdExternal, rdDynamic, rdMessage,
    rdOverload, rdOverride, rdReintroduce, rdVirtual, rdLocal
};
using TRoutineDirectives = TqlEnumSet<TRoutineDirective>;

enum TCodeErrorKind : uint8_t { ekBadIndentation, ekBadSpacing, ekBadNewLine };

// Display words of the routine kinds.
inline constexpr const char* RoutineKindName[4] = {"Procedure", "Function", "Constructor",
                                                   "Destructor"};
