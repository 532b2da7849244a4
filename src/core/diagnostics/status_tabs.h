#pragma once
// The diagnostic window's tabs as a reader meets them: each tab's caption
// and its value labels with their captions, in the window's order. The
// window lays them out; the command-line tool prints the same fields under
// the same captions.

#include <string>
#include <vector>

#include "core/diagnostics/label_update.h"

struct StatusField {
    std::string name;     // the value label's object name; empty: the signal bars' picture
    std::string caption;  // empty for a value shown without one
};

struct StatusTab {
    std::string caption;
    std::vector<StatusField> fields;  // empty for a tab with no live values
};

// The tabs in order: index i is the tab DebugTab i.
const std::vector<StatusTab>& StatusTabs();

// The bars a picture update shows (0 to 5), or -1 when the update does not
// show one of the signal pictures.
int ShownSignalBars(const LabelUpdate& update);
