#pragma once

// The console's animations were paced by a system whose timers tick at most 64 times a second
// (every 15.625 ms): a timer asked for 1 ms came at that pace, and the zoom's 22 steps made a
// third of a second. Qt on Linux honours 1 ms, which turns the same steps into a flash. A timer
// meant to run "as fast as the system ticks" asks for this interval instead.
constexpr int kSystemTimerResolutionMs = 16;
