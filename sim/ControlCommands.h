#pragma once

#include "PanelModel.h"

#include <optional>
#include <string>
#include <string_view>

namespace tq820sim {

// Applies one control line that concerns the panel itself ("ch1 tq231", "fault battery on",
// "firmware 2.00", "memory empty", "state", ...). Returns the one-line answer, "ok ..." or
// "error ...", or nullopt when the line's verb is not a panel command (the front end's
// own commands: silent, noise, garble, delay, unplug, plug, stats).
std::optional<std::string> applyControl(PanelModel& panel, std::string_view line);

// Help text for the commands above, one per line.
const char* controlHelp();

} // namespace tq820sim
