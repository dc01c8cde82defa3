// The system options dialog, created at start-up and freed before the main
// window goes.
#pragma once

#include <QWidget>

inline constexpr bool SystemOptionsDialogAvailable = false;

void CreateSystemOptionsForm(QWidget* Parent);
void FreeSystemOptionsForm();
// Shows the dialog modally.
void ShowSystemOptionsForm();
