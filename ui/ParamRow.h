#pragma once
// One row of the parameters tab: its label, its control (a switch, a slider
// with its value in the row's unit, or a colour) and its help icon. The help
// shows as a tooltip when the pointer rests on the label or the icon, and
// beside a control the keyboard has reached. A right-click on the row offers
// to put it back to its default (from the parameter table). A slider takes a
// typed value after Ctrl+click, a double-click, or Enter while focused.
#include <string>

#include "settings/SettingsTable.h"

struct ParamRow {
    const ParamDesc* param = nullptr;
    // In the current language.
    std::string label, help;
    std::string defaultText;  // the tooltip's last line: "Default: 75 %"
    std::string resetLabel;   // the right-click menu's item
};
ParamRow MakeParamRow(const ParamDesc& param);

// Window-local x of each column, and the widths of the first three.
struct RowColumns {
    float label, labelWidth, control, controlWidth, value, valueWidth, help;
};

// Around the rows of a frame: the tooltip waits for the pointer to rest on
// the same row.
void BeginParamRows();
void EndParamRows();
// True while a tooltip waits to show: the frame must be drawn again for it.
bool ParamTooltipPending();

// True when the row's value changed.
bool DrawParamRow(const ParamRow& row, ShaderSettings& shader, const RowColumns& columns);
