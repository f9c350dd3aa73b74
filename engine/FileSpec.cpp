// Placeholder until the folder layout lands.
#include "engine/FileSpec.h"
namespace FileSpec {
void InitFileSpecs() {}
}
