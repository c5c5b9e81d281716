// The window's view of a loaded document: its option sections as the layout code takes them.
#pragma once

#include "core/document/document_model.h"
#include "core/layout/player_options.h"

namespace zp::layout {

SizeSettings SizeSettingsOf(const SizeOptions& options);
MenuSwitches MenuSwitchesOf(const MenuAboutOptions& options);

}  // namespace zp::layout
