#pragma once
// Registers the wavetable editor panel's artwork (drawn by code) under the
// resource names its bitmaps load: the panel background with its captions,
// the push buttons and the view-mode selector. Names other panels register
// too (load, save, reset, close, tools) are left as they are when present.
void RegisterWaveTableArtwork();
