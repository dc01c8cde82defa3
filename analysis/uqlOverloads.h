// Overloaded routines: which declaration an implementation heading repeats,
// which routines a use of an overloaded name may mean, and which of them the
// arguments of a call pick.
#pragma once

#include "model/uqlClasses.h"

#include <cstdint>
#include <string_view>
#include <vector>

// What a heading says of one parameter's type: the type found (nil when it
// was not), the element type of an open array, the name written where a type
// was not found, and whether the parameter has no type at all.
struct TqlParamShape {
    TqlSymbol* Type = nullptr;
    TqlSymbol* Element = nullptr;
    std::string_view Written;
    bool Untyped = false;
};
TqlParamShape qlParamShape(TqlParameter* Param);

// Two headings give a parameter the same type: the same type where both
// were found (an alias is the type it names, Longint is Integer), else the
// same name written.
bool qlSameParamType(const TqlParamShape& A, const TqlParamShape& B);
// Same count and, place by place, the same parameter types.
bool qlSameParameters(TqlRoutine* A, TqlRoutine* B);

// The type that a type symbol is: aliases followed to the type they name,
// and the built-in names of one type (Integer and Longint; Cardinal, Longword
// and DWord; string and AnsiString; Real and Double) taken as one. Nil stays
// nil.
TqlSymbol* qlTypeIdentity(TqlSymbol* Type);

// What the analysis knows of one argument of a call: a literal of a kind, a
// value of a known declared type, an array constructor ([a, b], []), a
// routine named where only its address can be meant (one that cannot be
// called without arguments), or nothing.
struct TqlArgument {
    enum TKind : uint8_t {
        akUnknown,
        akInteger,
        akReal,
        akString,
        akChar,
        akNil,
        akBoolean,
        akValue,
        akConstructor,
        akRoutine,
    };
    TKind Kind = akUnknown;
    // The value's type, for akValue.
    TqlSymbol* Type = nullptr;
};

// The type of a value of Type indexed once (S[i]): the character of a
// string or of a pointer to characters, the element of an array of one
// index; nil when it is not known.
TqlSymbol* qlIndexedType(TqlSymbol* Type);
// The enumeration that declares Value, when Value is one of its values;
// nil otherwise.
TqlSymbol* qlEnumerationOf(TqlSymbol* Value);

// The routines a use of an overloaded routine's name may mean: those of its
// list with its name and, for a method, those its class's ancestors add
// (up to an ancestor whose routine of that name hides the ones above it).
// Routines with the same parameters come as one entry: a forward
// declaration and its body, an ancestor's method and its override (the
// override only). Empty when there is nothing to choose from.
using TqlOverloads = std::vector<std::vector<TqlRoutine*>>;
void qlGatherOverloads(TqlRoutine* Routine, TqlOverloads& Overloads);

// The heading of the procedural type that Type is, through its aliases;
// nil when Type is no procedural type whose heading was read.
TqlRoutine* qlSignatureOf(TqlSymbol* Type);
// The entry of Overloads that a routine name stands for where a value of
// a procedural type of heading Signature is asked for: the one entry of its
// kind (procedure or function) with its parameters. -1 when none or more
// than one is.
int qlOverloadOfSignature(const TqlOverloads& Overloads, TqlRoutine* Signature);

// Which entries of Overloads a call with these arguments may mean. One
// entry when the arguments decide: the only one that can take them, or the
// one that takes each argument at least as near as every other and some
// nearer than each (as it is before a conversion, a class parameter of
// the nearer ancestor, a Char before a WideChar before a string), where
// the arguments the choice turns on are known; a place where every
// candidate has the same parameter type turns nothing. A variable passed
// to a var or out parameter is of its very type. None when no entry can
// take them: their count or a type the analysis knows rules each one out
// (an argument of unknown type rules out nothing). Otherwise every entry
// that may take them, and Ambiguous is set.
struct TqlOverloadChoice {
    std::vector<size_t> Entries;
    bool Ambiguous = false;
};
TqlOverloadChoice qlChooseOverload(const TqlOverloads& Overloads,
                                   const std::vector<TqlArgument>& Arguments);
