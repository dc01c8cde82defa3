// One finding of the analysis or of a refactoring: text, position and whether
// it lies in a unit's interface section.
#pragma once

#include "model/uqlClasses.h"

#include <memory>

class TqlMessage : public TInterfacedObject, public IqlMessage {
public:
    // The values are stored unchanged; producers pass line and column counted
    // from 1.
    TqlMessage(const std::string& MessageText, int FileIndex, int X, int Y, bool InterfaceSection);
    ~TqlMessage() override;

    TqlCodeLocation* GetCodeLocation() override;
    bool GetInterfaceSection() override;
    std::string GetMessageText() override;

private:
    std::unique_ptr<TqlCodeLocation> FCodeLocation;
    bool FInterfaceSection;
    std::string FMessageText;
};
