// Loading and saving of a persistent object (the project) by file name.
#pragma once

#include "base/qlInterface.h"

#include <string>

class IvxPersist : public virtual IInterface {
public:
    static constexpr TGUID IID{0x3E0F6C52, 0x7B1D, 0x4E8A, {0x9C, 0x21, 0x5D, 0x44, 0x0B, 0x8E, 0x61, 0x2F}};
    virtual bool LoadFromFile(const std::string& FileName) = 0;
    virtual void SaveToFile(const std::string& FileName) = 0;
    // Resets the object to an empty project.
    virtual void New() = 0;
};
