#pragma once
// Something that keyboard and mouse steer: the player's controller or the free camera.

struct GLFWwindow;

struct Controllable {
    bool active = true; // update is called only while this is set

    virtual void update(GLFWwindow* window, float& frameTime) = 0;

  protected:
    // Owners destroy the concrete type; nobody deletes through the base.
    ~Controllable() = default;
};
