#include "model/uqlReach.h"

#include "model/uqlClasses.h"

bool qlMemberOutOfReach(TqlSymbol* Member, const TqlClass* Declaring, const TqlUnit* FromUnit,
                        const TqlClass* MethodClass, const TqlClass* Through)
{
    const TVisibilityKind V = Member->GetVisibility();
    if (V != vkPrivate && V != vkProtected && V != vkStrictProtected)
        return false;
    if (!FromUnit || FromUnit->GetUnitIndex() == Member->GetUnitIndex())
        return false;
    if (V == vkPrivate)
        return true;
    // Protected: in the methods of the class and its descendants.
    if (!MethodClass)
        return true;
    if (Declaring && MethodClass != Declaring && !MethodClass->DescendsFrom(Declaring))
        return true;
    return Through && Through != MethodClass && !Through->DescendsFrom(MethodClass);
}
