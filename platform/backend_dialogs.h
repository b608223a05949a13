// What each back end provides for real (non-headless) dialogs. Only platform/ includes this.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace Platform {
// Shows a real box and blocks until it is dismissed; with ok_cancel, true means OK.
bool Backend_message_box(const std::string& caption, const std::string& text, bool ok_cancel);
Folder_choice Backend_choose_folder(const std::string& title);
}  // namespace Platform
