// Feeds arbitrary bytes to the form reader (binary and text forms). Malformed
// input must end in EParserError, never in a crash, a leak or a hang.
#include "model/uqlClasses.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {
// A unit with a form class and a used unit, so identifiers get resolved.
struct TFuzzModel {
    TqlUnit Unit{-1, "Main"};
    TqlUnit Used{-1, "DataMod"};
    TFuzzModel()
    {
        TqlClass* Form = Unit.GetClasses()->AddClass("TForm1", vkInterface, -1, 1, 1);
        Form->GetVariables()->AddVariable("Button1", vkPublished, false, -1, 1, 2);
        Form->GetRoutines()->AddRoutine("Button1Click", vkPublished, rkProcedure, -1, 1, 3);
        TqlClass* DM = Used.GetClasses()->AddClass("TDM", vkInterface, -1, 1, 1);
        DM->GetVariables()->AddVariable("Table1", vkPublished, false, -1, 1, 2);
        Used.GetVariables()->AddVariable("DM", vkInterface, false, -1, 1, 3)->SetTypeIntf(DM);
        Unit.GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(&Used));
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TFuzzModel Model;
    std::istringstream Stream(std::string(reinterpret_cast<const char*>(Data), Size));
    try {
        Model.Unit.GetDFMResource()->ReadStream(&Model.Unit, Stream);
        Model.Unit.GetDFMResource()->HasPropertyWithIdentifier("Button1Click");
        Model.Unit.GetDFMResource()->HasProperty("Left");
    } catch (const EParserError&) {
    }
    return 0;
}
