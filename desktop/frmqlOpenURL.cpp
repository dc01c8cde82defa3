#include "desktop/frmqlOpenURL.h"

bool ExecuteOpenURL(QWidget*, const std::vector<std::string>&, std::string&)
{
    return false;
}
