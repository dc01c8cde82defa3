#include "desktop/frmqlCodeOptions.h"

void EditCodingConventions(QWidget*) {}
