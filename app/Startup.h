#pragma once
// Start-up, main loop and shut-down, called once each by main in this order.

void initialise(int argc, const char* const argv[]);
void run();
void shutdown();
