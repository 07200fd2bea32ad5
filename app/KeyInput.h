#pragma once
// The debug and action keys: ESC, ENTER, TAB and the function keys, each confirmed on the console.
struct GLFWwindow;

extern const char* const kHelpText;

// GLFW key callback; acts on presses only, so holding a key toggles once.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
