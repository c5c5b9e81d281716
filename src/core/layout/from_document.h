// The window's view of a loaded document: its option sections as the layout code takes them.
#pragma once

#include "core/document/document_model.h"
#include "core/layout/player_options.h"

namespace zp::layout {

SizeSettings SizeSettingsOf(const SizeOptions& options);
AppearanceSettings AppearanceSettingsOf(const AppearanceOptions& options);
MouseKeySettings MouseKeySettingsOf(const MouseKeyOptions& options);
BehaviourSettings BehaviourSettingsOf(const BehaviourOptions& options);
MenuSwitches MenuSwitchesOf(const MenuAboutOptions& options);
PlayerOptions PlayerOptionsOf(const DocumentModel& document);

}  // namespace zp::layout
