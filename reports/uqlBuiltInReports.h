// Registers the seven built-in reports with the project.
#pragma once

// Creates one instance of each built-in report and adds it to the report
// list of gqlProject, in this order: "Code Metrics", "Ridizo Dedu", "Global
// variables", "Used Units", "Class Types", "String Literals", "System
// symbols". Called once, after the project exists. Raises Exception when
// there is no project or it has no report list.
void RegisterBuiltInReports();
