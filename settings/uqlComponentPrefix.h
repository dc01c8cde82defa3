// One component-prefix rule: the regular expression that the name of a
// component of a given class must match.
#pragma once

#include "model/uqlClasses.h"

class TqlComponentPrefix : public TInterfacedObject, public IqlComponentPrefix {
public:
    TqlComponentPrefix(const std::string& Prefix, const std::string& ComponentClass)
        : FPrefix(Prefix), FComponentClass(ComponentClass)
    {
    }

    std::string GetComponentClass() override { return FComponentClass; }
    std::string GetPrefix() override { return FPrefix; }
    void SetComponentClass(const std::string& Value) override { FComponentClass = Value; }
    void SetPrefix(const std::string& Value) override { FPrefix = Value; }

private:
    std::string FPrefix;
    std::string FComponentClass;
};
