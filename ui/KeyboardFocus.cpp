#include "ui/KeyboardFocus.h"

#include <algorithm>
#include <vector>

#include <imgui.h>
#include <imgui_internal.h>

namespace {

struct Stop {
    ImGuiID id;
    ImGuiWindow* window;  // windows live as long as the UI context
    ImGuiID focusScope;
    ImRect rect;
};

struct Ring {
    std::vector<Stop> drawn;     // in this frame, so far
    std::vector<Stop> previous;  // in the frame before: where a Tab goes
    const ImGuiContext* context = nullptr;  // whose windows they are
};

Ring& TheRing() {
    static Ring* ring = new Ring();  // lives to the end of the process
    return *ring;
}

// The controls a Tab may reach: those of the popup on top, else those of
// the main window and its child regions.
bool Reachable(const Stop& stop, const ImGuiWindow* modal) {
    const ImGuiWindow* root = stop.window->RootWindow;
    return modal ? root == modal : !(root->Flags & ImGuiWindowFlags_Popup);
}

void MoveFocus(bool backwards) {
    ImGuiContext& g = *GImGui;
    ImGuiWindow* modal = ImGui::GetTopMostPopupModal();
    // A menu or a context menu that is open takes the keys itself.
    if (!g.OpenPopupStack.empty() && (!modal || g.OpenPopupStack.back().Window != modal)) return;
    std::vector<const Stop*> stops;
    for (const Stop& stop : TheRing().previous) {
        if (Reachable(stop, modal)) stops.push_back(&stop);
    }
    if (stops.empty()) return;
    const int count = static_cast<int>(stops.size());
    const auto current = std::find_if(stops.begin(), stops.end(), [&](const Stop* s) { return s->id == g.NavId; });
    int next = backwards ? count - 1 : 0;
    if (current != stops.end() && !g.NavDisableHighlight) {
        const int at = static_cast<int>(current - stops.begin());
        next = (at + (backwards ? count - 1 : 1)) % count;
    }
    const Stop& stop = *stops[static_cast<size_t>(next)];
    if (g.ActiveId != 0) ImGui::ClearActiveID();
    ImGui::FocusWindow(stop.window);
    ImGui::SetNavID(stop.id, ImGuiNavLayer_Main, stop.focusScope, ImGui::WindowRectAbsToRel(stop.window, stop.rect));
    g.NavDisableHighlight = false;
    g.NavDisableMouseHover = true;
    ImGui::ScrollToRectEx(stop.window, stop.rect, ImGuiScrollFlags_KeepVisibleEdgeX | ImGuiScrollFlags_KeepVisibleEdgeY);
}

}  // namespace

void BeginKeyboardFocus() {
    Ring& ring = TheRing();
    ring.previous.swap(ring.drawn);
    ring.drawn.clear();
    if (ring.context != GImGui) ring.previous.clear();  // a new UI context has other windows
    ring.context = GImGui;
    // The library's own tabbing would send the focus into a slider's text field.
    ImGui::PushItemFlag(ImGuiItemFlags_NoTabStop, true);
    const ImGuiIO& io = ImGui::GetIO();
    if (ImGui::IsKeyPressedMap(ImGuiKey_Tab) && !io.KeyCtrl && !io.KeyAlt && !io.WantTextInput) MoveFocus(io.KeyShift);
}

void EndKeyboardFocus() { ImGui::PopItemFlag(); }

void FocusStop() {
    const ImGuiContext& g = *GImGui;
    if (g.LastItemData.ID == 0 || (g.LastItemData.InFlags & ImGuiItemFlags_Disabled)) return;
    ImGuiWindow* window = g.CurrentWindow;
    TheRing().drawn.push_back({g.LastItemData.ID, window, window->DC.NavFocusScopeIdCurrent, g.LastItemData.Rect});
}

bool HasVisibleKeyboardFocus() {
    const ImGuiContext& g = *GImGui;
    return g.LastItemData.ID != 0 && g.NavId == g.LastItemData.ID && !g.NavDisableHighlight;
}
