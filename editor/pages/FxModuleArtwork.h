#pragma once
// Registers the effect panels' artwork (drawn by code) under the resource
// names the panels load: the mix and large knob strips of 96 frames and one
// background per panel, drawn from the panels' control tables; nothing when
// they exist.

const char* const FX_MIX_KNOB_BITMAP = "big_knob_fx_mix.png";
const char* const FX_CONTROL_KNOB_BITMAP_1 = "big_knob_fx_control-1.png";
const char* const FX_CONTROL_KNOB_BITMAP_2 = "big_knob_fx_control-2.png";

void RegisterFxModuleArtwork();
