#pragma once

// Plays the program's short "cut" sound from its resources and returns at once. A sound still
// playing is cut off by the new one. Without an audio device nothing is played and nothing is
// reported: the sound never matters to what the program does.
void PlayCutSound();
