// Registers the windows of this subsystem with the window hooks.
#include "core/windowhooks.h"

void RegisterControlsWindows()
{
}
