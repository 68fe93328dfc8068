#pragma once

// Turns wheel deltas into whole steps. A mouse wheel's notch is 120 units; touchpads and
// high-resolution wheels send much smaller deltas, which add up until a step is full. A turn
// the other way starts afresh.
class TzqWheelSteps {
public:
    static constexpr int UnitsPerStep = 120;

    // The whole steps the delta completes: positive away from the user, negative towards.
    int Add(int delta);
    void Reset() { FRest = 0; }

private:
    int FRest = 0;
};
