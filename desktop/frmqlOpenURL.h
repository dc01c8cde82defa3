// The open-address dialog.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

// False until the dialog exists; the main window's Open URL command stays
// disabled meanwhile.
inline constexpr bool OpenURLDialogAvailable = false;

// Asks for an address, offering the addresses among Recent; true with a
// non-empty Address on OK.
bool ExecuteOpenURL(QWidget* Parent, const std::vector<std::string>& Recent, std::string& Address);
