#pragma once

// The store's questions that only the GUI can answer.

// True when an installed font covers Hangul. The GUI passes the answer to
// SetHangulFontAvailable (store/notestore.h) at start-up.
bool HangulFontAvailable();
