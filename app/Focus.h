#pragma once
// Whether the game is in front of the player: the window has the keyboard focus and is not
// iconified. GameState's away says it is not.
struct GLFWwindow;

// Installs the focus and iconify callbacks that keep GameState's away up to date.
void watchFocus(GLFWwindow* window);
