#include "model/uqlMessage.h"

TqlMessage::TqlMessage(const std::string& MessageText, int FileIndex, int X, int Y,
                       bool InterfaceSection)
    : FCodeLocation(std::make_unique<TqlCodeLocation>(FileIndex, X, Y)),
      FInterfaceSection(InterfaceSection), FMessageText(MessageText)
{
}

TqlMessage::~TqlMessage() = default;

TqlCodeLocation* TqlMessage::GetCodeLocation() { return FCodeLocation.get(); }
bool TqlMessage::GetInterfaceSection() { return FInterfaceSection; }
std::string TqlMessage::GetMessageText() { return FMessageText; }
