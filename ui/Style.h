#pragma once
// The base style and palette of the interface, on top of the library's dark
// preset, with every size scaled by the interface scale (UiState().scale).
#include <imgui.h>

// Colours the panels push for single items, chosen with the base colours so
// that texts keep 4.5:1 and control outlines 3:1 against their background.
inline const ImVec4 WarningColor(1.0f, 0.85f, 0.0f, 1.0f);
inline const ImVec4 kWhite(1.0f, 1.0f, 1.0f, 1.0f);
inline const ImVec4 kRed(1.0f, 0.35f, 0.35f, 1.0f);
inline const ImVec4 kStatusEnabled(0.0f, 0.75f, 0.0f, 1.0f);
inline const ImVec4 kStatusDisabled(1.0f, 0.36f, 0.36f, 1.0f);
inline const ImVec4 kGameFolderColour(1.0f, 0.85f, 0.85f, 1.0f);
inline const ImVec4 kSectionHeaderColour(1.0f, 0.65f, 0.1f, 1.0f);
// The program's accent: the orange of the logo and the section headers, and
// a deeper shade that carries white text.
inline const ImVec4 kAccent(1.0f, 0.65f, 0.1f, 1.0f);
inline const ImVec4 kAccentDeep(0.68f, 0.38f, 0.04f, 1.0f);
// The primary button under the pointer and pressed: darker, so white text
// keeps its contrast.
inline const ImVec4 kAccentHover(0.6f, 0.33f, 0.03f, 1.0f);
inline const ImVec4 kAccentPressed(0.5f, 0.27f, 0.02f, 1.0f);
// Secondary texts: markers, hints, a tooltip's last line (6:1 on the window).
inline const ImVec4 kQuietText(0.62f, 0.62f, 0.62f, 1.0f);

// Resets the style to the dark preset, applies the base values and colours,
// and scales every size.
void ApplyBaseStyle();
