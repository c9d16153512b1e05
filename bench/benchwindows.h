#pragma once
// The window operations of kolt_bench, built when the widgets are: each opens
// a window offscreen as the program does and times its own work, from the
// command to the painted window, so that the start of the process and the
// loading of the rest of the program are not counted.

// The QApplication the windows need, made before any operation runs.
void StartWindows(int& argc, char** argv);
// Ends it while the rest of the program is still there to be torn down.
void StopWindows();

int WindowPartList();
int WindowTree();
int WindowTimeline();
int WindowProcess();
