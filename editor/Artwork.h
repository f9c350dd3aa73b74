#pragma once
// Registers the editor's artwork (drawn by code) under the resource names
// the editor's bitmaps load. Registering again does nothing.
void RegisterEditorArtwork();
