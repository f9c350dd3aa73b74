#pragma once
// Process-wide paths of the data folder layout.
namespace FileSpec {
void InitFileSpecs();
}
