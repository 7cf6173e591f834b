// A database header that reaches a widget through the shared Qt folder.
#include <QtWidgets/QMessageBox>
