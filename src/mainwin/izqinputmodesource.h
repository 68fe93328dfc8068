#pragma once

#include <optional>

// Tells whether the keyboard types Hangul or Latin letters at the moment; nothing when it
// cannot tell.
class IzqInputModeSource {
public:
    virtual ~IzqInputModeSource() = default;
    virtual std::optional<bool> IsHangul() = 0;
};
