// A link file that reaches up into the widgets: the layer check must refuse it.
#include "link/PanelLink.h"
#include "widgets/PolishMessageBox.h"
