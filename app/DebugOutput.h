#pragma once
// Debug builds: the driver's reports of errors, undefined and deprecated behaviour go to the
// error stream as they happen, so a call that another driver would refuse shows up on ours.
void logDriverDebugOutput();
