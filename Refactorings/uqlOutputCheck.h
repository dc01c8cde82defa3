// The last check before a refactoring writes: the project's sources are
// analysed again with the edited units in their place, into a model of its
// own (IqlTrialProjects), and what that analysis finds is compared with what
// the analysis of the sources found. The project's own model stays as it is.
#pragma once

#include <string>
#include <vector>

// One unit as a refactoring would write it.
struct TqlOutputText {
    // The full name of the source file that it replaces.
    std::string FileName;
    std::string Text;
    // The file name that the output gives the unit when it renames the
    // unit ("" otherwise); its folder part is not looked at.
    std::string NewFileName;
};

// Why an output must not be written, and the first place that shows it:
// FileIndex in the project's own file list (-1 when the file is not there),
// X and Y in the output's text.
struct TqlOutputFault {
    std::string Text;
    int FileIndex = -1;
    int X = 0;
    int Y = 0;
};

// Analyses the sources with Outputs in place and answers the first of:
// a message that the sources did not have (a syntax error, a name not
// found); a name that the sources resolved and the output leaves
// unresolved; a method declared "override", or an object's method declared
// "virtual" again, that found its ancestor's method in the sources and no
// longer does. False when none, or when gqlProject cannot make a trial
// project (nothing to compare with). Costs one analysis of the project; the
// project's own model stays as it is. A rename gives the old and the new
// name: where the sources already left the old name unresolved (a use the
// analysis did not see), the output may leave the new one so.
// Inside a with statement over a type the analysis does not know, every name
// read may be a member of that type and is left unresolved: a name that the
// output newly reads there (qualifying a member written bare) passes where
// the sources' same with statement already left names unresolved.
bool qlFindOutputFault(const std::vector<TqlOutputText>& Outputs, TqlOutputFault& Fault,
                       const std::string& OldName = "", const std::string& NewName = "");
