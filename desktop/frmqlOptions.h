// The project options dialog.
#pragma once

#include <QWidget>

inline constexpr bool ProjectOptionsDialogAvailable = false;

// Shows the dialog over gqlProject; true when it closed with OK.
bool EditProjectOptions(QWidget* Parent);
