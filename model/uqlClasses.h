// The code model of Quillet and the interfaces through which every subsystem
// reaches the others. The other units include this header; it brings in the
// parts, each a concern of its own:
//   - uqlValues.h: Variant, the value type of settings and report cells, and
//     the enumerations that several subsystems share;
//   - uqlInterfaces.h: the reference-counted interfaces (Iql...), each with
//     its GUID and its operations in slot order, and the global hubs
//     gqlProject, gqlQuilletOptions, gqlRefactoringHost with the shared word
//     tables GlobalKeyHashTable and GlobalDirectiveHash;
//   - uqlLists.h: the model's root, its list of objects and its name index;
//   - uqlLocations.h: locations, uses, coding errors, files, line counts;
//   - uqlSymbols.h: the symbols and containers of declarations;
//   - uqlSymbolLists.h: the lists of declarations, used units and units,
//     with their lookup;
//   - uqlFormFiles.h: the form-file model.
//
// Code-model objects (TqlUnit, TqlSymbol, TqlCodeLocation and the lists) cross
// interfaces as plain pointers that the receiver borrows; the project's lists
// own them.
#pragma once

#include "model/uqlValues.h"
#include "model/uqlInterfaces.h"
#include "model/uqlLists.h"
#include "model/uqlLocations.h"
#include "model/uqlSymbols.h"
#include "model/uqlSymbolLists.h"
#include "model/uqlFormFiles.h"
