#pragma once
// Registers the arpeggiator and trance-gate page's artwork (drawn by code)
// under the resource names its bitmaps load; nothing when they exist.
void RegisterArpArtwork();
