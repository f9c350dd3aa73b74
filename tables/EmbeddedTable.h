#pragma once
// Tables computed by the build and carried as read-only data
// (tables/GeneratedTables.h lists them) are declared as
//   extern const float NAME[COUNT] MORLAVINE_TABLE_SYMBOL(NAMESPACE, NAME);
// which gives each the plain symbol that tables/EmbeddedTables.cpp defines.

#define MORLAVINE_TABLE_SYMBOL(NS, NAME) __asm__("morlavine_table_" #NS "_" #NAME)
