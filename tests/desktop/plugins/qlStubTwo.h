// The refactorings file of the two-file stub.
#pragma once

#include <string>

// Registers "Two.A", "Two.B" and "Two.C" into Group, in that order.
void RegisterTwoRefactorings(const std::string& Group);
// Unregisters them while the host is there, then drops the references.
void ReleaseTwoRefactorings();
