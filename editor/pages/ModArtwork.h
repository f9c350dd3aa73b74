#pragma once
// Registers the modulation page's artwork (drawn by code) under the resource
// names its bitmaps load: the page background with its three sections, the
// LFO, envelope and MSEG selectors and the MSEG lock, loop and menu buttons;
// nothing when they exist.
void RegisterModArtwork();
