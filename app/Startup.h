#pragma once
// Start-up, main loop and shut-down, called once each by main in this order.

void initialise(int argc, const char* const argv[]);
void run();
void shutdown();

struct Game;

// One pass of the main loop; false once the window is asked to close. A paused game waits for
// the next event instead of drawing on, and the wait counts as no time in the next pass.
// lastTime is the timer's reading at the previous pass (0 before the first).
bool loopPass(Game& game, double& lastTime);
