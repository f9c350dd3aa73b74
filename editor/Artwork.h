#pragma once
// Registers the editor's artwork (drawn by code) under the resource names
// the editor's bitmaps load; nothing when they are registered already.
void RegisterEditorArtwork();
