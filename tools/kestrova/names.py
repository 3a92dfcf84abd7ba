"""The program's own names and the Windows numbers the harness reads in logs."""

CAPTION = "Kestrova  By Morvenhal Tobrand"
TRAY_WINDOW = "Wine System Tray"
SETTINGS_COMMAND = 20001  # the tray menu's "设置(&S)": shows or hides the window
EXIT_COMMAND = 20002  # the tray menu's "退出(&X)"
START_WAIT_MS = 500  # from the window's creation to the hook

MAKER_KEY = r"HKCU\Software\MorvenhalTobrand"
PROGRAM_KEY = MAKER_KEY + r"\Kestrova"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
METRICS_KEY = r"HKCU\Control Panel\Desktop\WindowMetrics"

WM_CLOSE = 0x0010
WM_QUERYENDSESSION = 0x0011
WM_ENDSESSION = 0x0016
WM_CONTEXTMENU = 0x007B
WM_COMMAND = 0x0111
WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP = 0x0100, 0x0101, 0x0104, 0x0105
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060

VK_ESCAPE, VK_APPS, VK_LMENU, VK_RMENU, VK_X, VK_F15 = 0x1B, 0x5D, 0xA4, 0xA5, 0x58, 0x7E

# Right Alt down, X down, right Alt up, X up, as xdotool steps: the tap that
# triggers under Wine as on Windows (a lone tap's release reaches a Wine hook
# as WM_SYSKEYUP).
TAP = [("keydown", "Alt_R"), ("keydown", "x"), ("keyup", "Alt_R"), ("keyup", "x")]
LEFT_ALT_TAP = [("keydown", "Alt_L"), ("keydown", "x"), ("keyup", "Alt_L"), ("keyup", "x")]
# X released while right Alt is still held: cancels.
CANCELLED_TAP = [("keydown", "Alt_R"), ("keydown", "x"), ("keyup", "x"), ("keyup", "Alt_R")]


def plain(message):
    """WM_KEYDOWN for WM_SYSKEYDOWN, WM_KEYUP for WM_SYSKEYUP. Under Wine a key
    injected right after the tap's release may still be reported as a system
    key, since Alt counts as held until every hook has answered."""
    return {WM_SYSKEYDOWN: WM_KEYDOWN, WM_SYSKEYUP: WM_KEYUP}.get(message, message)


def xdotool_steps(steps):
    """["keydown", "Alt_R", ...]: the steps as one xdotool command line."""
    return [word for step in steps for word in step]
