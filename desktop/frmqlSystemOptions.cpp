#include "desktop/frmqlSystemOptions.h"

void CreateSystemOptionsForm(QWidget*) {}
void FreeSystemOptionsForm() {}
void ShowSystemOptionsForm() {}
