// Which members of a class code elsewhere can see, as Delphi 7 decides it.
// The analysis's lookup and the refactorings that move code ask the same
// question here.
#pragma once

class TqlClass;
class TqlSymbol;
class TqlUnit;

// Member, declared by Declaring (nil when not known), is out of reach of code
// in FromUnit (nil: no code, nothing is out of reach) written in a method of
// MethodClass (nil outside methods), the member reached through an object of
// class Through (nil: not asked). Outside the unit that declares it, a
// private member is out of reach everywhere, and a protected (or strict
// protected) member everywhere but in the methods of Declaring and its
// descendants; through an object, only when the object's class is
// MethodClass or descends from it.
bool qlMemberOutOfReach(TqlSymbol* Member, const TqlClass* Declaring, const TqlUnit* FromUnit,
                        const TqlClass* MethodClass, const TqlClass* Through = nullptr);
