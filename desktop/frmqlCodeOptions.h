// The coding conventions dialog.
#pragma once

#include <QWidget>

inline constexpr bool CodingConventionsDialogAvailable = false;

// Shows the dialog over gqlProject's coding conventions.
void EditCodingConventions(QWidget* Parent);
