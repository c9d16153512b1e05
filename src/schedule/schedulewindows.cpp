// Registers the windows of this subsystem with the window hooks.
#include "app/windowhooks.h"

void RegisterScheduleWindows()
{
}
