// One column of a report table: its heading, its position and its value kind.
#pragma once

#include "model/uqlClasses.h"

class TqlColumn : public TInterfacedObject, public IqlColumn {
public:
    // Kind is a TqlDataType; all three values are fixed here.
    TqlColumn(const std::string& Title, uint8_t Kind, int Index);

    uint8_t GetKind() override { return FKind; }
    int GetIndex() override { return FIndex; }
    std::string GetTitle() override { return FTitle; }

private:
    std::string FTitle;
    int FIndex;
    uint8_t FKind;
};
