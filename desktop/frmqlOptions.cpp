#include "desktop/frmqlOptions.h"

bool EditProjectOptions(QWidget*)
{
    return false;
}
