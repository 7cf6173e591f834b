// An engine file that reaches the interface round its include root.
#include "../app/MainFrame.h"
