#pragma once
// Scales the window and its controls by the desktop's DPI, once, at start-up.
void ScaleLayout();
