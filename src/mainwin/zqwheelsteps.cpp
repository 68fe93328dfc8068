#include "mainwin/zqwheelsteps.h"

int TzqWheelSteps::Add(int delta)
{
    if (delta == 0)
        return 0;
    if ((delta > 0) != (FRest > 0) && FRest != 0)
        FRest = 0;
    FRest += delta;
    const int steps = FRest / UnitsPerStep;
    FRest -= steps * UnitsPerStep;
    return steps;
}
