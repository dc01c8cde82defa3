#include "settings/uqlNamingConventions.h"

namespace {

const char* const SecNaming = "NamingConventions";

struct TRuleInfo {
    const char* Name;
    const char* Default;
};

const TRuleInfo Rules[TqlNamingConventions::nrRuleCount] = {
    {"LocalVariables", "v[A-Z].*"},
    {"GlobalVariables", "g[A-Z].*"},
    {"Constants", "[A-Z]+"},
    {"ClassFields", "F[A-Z].*"},
    {"ClassTypes", "T[A-Z].*"},
    {"InterfaceTypes", "I[A-Z].*"},
    {"RecordTypes", "T[A-Z].*"},
    {"ObjectTypes", "T[A-Z].*"},
    {"PointerTypes", "P[A-Z].*"},
    {"RoutineNames", "[A-Z].*"},
    {"ConstParameters", "a[A-Z].*"},
    {"VarParameters", "a[A-Z].*"},
    {"Parameters", ""},
    {"Properties", "[A-Z].*"},
    {"GetRoutines", "Get[A-Z].*"},
    {"SetRoutines", "Set[A-Z].*"},
};

} // namespace

const char* TqlNamingConventions::RuleName(TRule Rule)
{
    return Rules[Rule].Name;
}

const char* TqlNamingConventions::RuleDefault(TRule Rule)
{
    return Rules[Rule].Default;
}

TqlNamingConventions::TqlNamingConventions()
{
    LoadDefaults();
}

void TqlNamingConventions::Load(const Ref<IqlFileSettings>& Settings)
{
    for (int R = 0; R < nrRuleCount; ++R)
        FRules[R] = Settings->ReadValue(SecNaming, Rules[R].Name, Variant(FRules[R])).AsString();
}

void TqlNamingConventions::LoadDefaults()
{
    for (int R = 0; R < nrRuleCount; ++R)
        FRules[R] = Rules[R].Default;
}

void TqlNamingConventions::Save(const Ref<IqlFileSettings>& Settings)
{
    for (int R = 0; R < nrRuleCount; ++R)
        Settings->WriteValue(SecNaming, Rules[R].Name, Variant(FRules[R]));
}
