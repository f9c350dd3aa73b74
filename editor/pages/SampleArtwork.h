#pragma once
// Registers the artwork of the recorder and the sample editor (drawn by
// code): their panel backgrounds, the record and play switches and the
// buttons they share with other panels (close, tools menu, load, save) when
// no other panel registered those yet.
void RegisterSampleArtwork();
