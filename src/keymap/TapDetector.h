#pragma once
// Recognises a tap of the right Alt key from the events a low-level keyboard
// hook reports. The system reports a right-Alt press as WM_SYSKEYDOWN, its
// release as WM_KEYUP, and a key released while Alt is still held as
// WM_SYSKEYUP; only the last of these cancels a tap. There is no time limit.
#include <cstdint>

namespace keymap {

constexpr uint32_t wmKeyUp = 257;       // WM_KEYUP
constexpr uint32_t wmSysKeyDown = 260;  // WM_SYSKEYDOWN
constexpr uint32_t wmSysKeyUp = 261;    // WM_SYSKEYUP
constexpr uint8_t vkRightAlt = 165;     // VK_RMENU; the left Alt (164) is not watched

class TapDetector {
public:
    // Feeds one hook event; true means one worker is to be started now. Kept
    // in the header: it runs for every key event of the desktop.
    bool ProcessKeyEvent(uint32_t message, uint8_t key) {
        if (message == wmSysKeyDown) {
            if (key == vkRightAlt) altArmed_ = true;
            return false;
        }
        if (message == wmSysKeyUp) {
            altArmed_ = false;
            return false;
        }
        if (message == wmKeyUp && key == vkRightAlt && altArmed_) {
            altArmed_ = false;
            return true;
        }
        return false;
    }

    bool altArmed() const { return altArmed_; }

    // Back to the start state: a new hook begins without a half-seen tap.
    void Clear() { altArmed_ = false; }

private:
    bool altArmed_ = false;
};

}  // namespace keymap
