#pragma once
// Registers the preset browser window's artwork (drawn by code) under the
// resource names its bitmaps load: the window with its two wells and the
// close, previous, refresh and next buttons; nothing when they exist.
void RegisterBrowserArtwork();
