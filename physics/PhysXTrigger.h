#pragma once
// What reacts when the player's capsule enters or leaves a trigger volume.

struct PhysXTrigger {
    bool inside = false;    // flipped on every entry and exit, so true while the player is within
    bool collected = false; // set by the game rules when a drug is taken

    // Called once on entry and once on exit, from inside the physics step.
    virtual void react() = 0;

  protected:
    ~PhysXTrigger() = default;
};
