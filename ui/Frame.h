#pragma once
// One frame of the main window: popups, menu bar, header, tabs.
void RenderUiFrame();
