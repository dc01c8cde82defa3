// The form check of a rename: a property that a form file of the project
// writes keeps its name, or the form would no longer load. The form's text
// is read as the streaming system reads it.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace SymbolRenamer {

// One property written in a text form: the object block it stands in, the
// collection properties whose items hold it (outermost first), its dotted
// name and the line of that name.
struct TFormProperty {
    std::string_view Object;
    std::string_view Class;
    std::vector<std::vector<std::string_view>> Collections;
    std::vector<std::string_view> Path;
    int Line;
};

// Reads the text form of a form file and visits each property written in
// it; false when the text is not a form it can follow.
bool ScanFormText(std::string_view Text, std::function<void(const TFormProperty&)> Visit);

} // namespace SymbolRenamer
