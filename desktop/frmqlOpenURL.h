// The open-address dialog: asks for the internet address of a project file.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QPushButton;

inline constexpr bool OpenURLDialogAvailable = true;

// Asks for an address, offering the addresses among Recent; true with a
// non-empty Address on OK, else false with Address empty.
bool ExecuteOpenURL(QWidget* Parent, const std::vector<std::string>& Recent, std::string& Address);

class TfrmOpenURL : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpenURL(QWidget* Parent = nullptr);

    // The addresses among RecentFiles (texts holding "://"), most recent
    // first; the first of them becomes the box's text. OK stays disabled
    // until the user changes or picks a text.
    void LoadRecentAddresses(const std::vector<std::string>& RecentFiles);
    void cbURLChange(const QString& Text);

    QComboBox* cbURL = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
